// Page lists as a preference bundle ships them: read into rows, laid out
// with their cells.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/DevicePaths.h"
#include "fuzz_device.h"
#include "preferences/PSEntryListController.h"
#include "preferences/PSListController.h"

namespace {

constexpr const char* kBundle = "/Library/PreferenceBundles/Fuzz.bundle";


Ref<NSBundle> fuzzBundle() {
  static Ref<NSBundle> bundle = [] {
    std::filesystem::create_directories(fuzz::deviceRoot() + kBundle);
    return NSBundle::bundleWithPath(NSString::make(kBundle));
  }();
  return bundle;
}

}  // namespace

// A page whose rows come from the bundle the input is written into.
class FuzzPage : public PSListController {
  OBJC_CLASS(FuzzPage, PSListController)
  OBJC_OVERRIDE(bundle)
  OBJC_OVERRIDE(specifiers)

 private:
  Ref<NSBundle> bundleImpl() { return fuzzBundle(); }
  Ref<NSArray> specifiersImpl() {
    if (!_specifiers) _specifiers = loadSpecifiersFromPlistNameTarget("Input"_ns, this);
    return _specifiers;
  }
};

OBJC_IMPLEMENT(FuzzPage)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::quietLogs();
  std::string path = foundation::devicePath(std::string(fuzzBundle()->bundlePath()->utf8()) + "/Input.plist");
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  Ref<FuzzPage> page = FuzzPage::make();
  // The same list on the plain page an entry opens when its code did not load.
  auto entryPage = PSEntryListController::make();
  entryPage->pageBundle = fuzzBundle();
  entryPage->listName = "Input"_ns;
  entryPage->notice = "Its code did not load";
  try {
    page->table()->reloadData();
    entryPage->table()->reloadData();
  } catch (const std::exception&) {
    // A row naming a getter of another signature is refused by a throw, which
    // the host catches at the page's boundary.
  }
  return 0;
}
