// What each kind of entry opens.
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "foundation/DevicePaths.h"
#include "foundation/Log.h"
#include "foundation/PropertyList.h"
#include "preferences/PSEntryListController.h"
#include "preferences/PreferenceLoader.h"

namespace fs = std::filesystem;

namespace preferences {

namespace {

Ref<UIViewController> problemPage(const BundleEntry& entry, std::string why) {
  auto page = PSEntryListController::make();
  page->problem = std::move(why);
  page->setTitle(NSString::make(entry.label));
  return page;
}

bool isPageClass(Class cls) {
  for (Class k = cls; k; k = class_getSuperclass(k))
    if (k == UIViewController::cls()) return true;
  return false;
}

// The dynamic loader names the file by its host path; the device's own path reads better.
std::string deviceWords(std::string why) {
  std::string root = foundation::deviceRoot();
  for (std::size_t at; !root.empty() && (at = why.find(root)) != std::string::npos;) why.erase(at, root.size());
  return why;
}

// A phone's library is Mach-O, which the dynamic loader here cannot even name.
std::string whyNotLoaded(NSBundle* bundle, const std::string& exe) {
  std::string host = foundation::devicePath(bundle->bundlePath()->utf8() + "/" + exe);
  std::error_code ec;
  if (!fs::exists(host, ec)) return "its library " + exe + " is missing";
  unsigned char magic[4] = {};
  std::ifstream(host, std::ios::binary).read(reinterpret_cast<char*>(magic), 4);
  std::uint32_t word = magic[0] | magic[1] << 8 | magic[2] << 16 | static_cast<std::uint32_t>(magic[3]) << 24;
  for (std::uint32_t macho : {0xFEEDFACEu, 0xFEEDFACFu, 0xCEFAEDFEu, 0xCFFAEDFEu, 0xCAFEBABEu, 0xBEBAFECAu})
    if (word == macho) return "its library " + exe + " is built for iOS, not for this system";
  return deviceWords(bundle->loadError());
}

// The bundle's page list: "Root", else the one named after the bundle.
Ref<NSString> pageListName(NSBundle* bundle, const BundleEntry& entry) {
  for (std::string name : {std::string("Root"), fs::path(entry.bundlePath).stem().string()}) {
    Ref<NSString> path = bundle->pathForResourceOfType(NSString::make(name), "plist"_ns);
    if (path) return NSString::make(name);
  }
  return nullptr;
}

}  // namespace

Ref<UIViewController> openEntry(const BundleEntry& entry) {
  if (entry.kind == EntryKind::Broken) return problemPage(entry, entry.problem);
  Ref<NSBundle> bundle = entry.bundlePath.empty() ? nullptr : NSBundle::bundleWithPath(NSString::make(entry.bundlePath));
  if (!entry.bundlePath.empty() && !bundle) return problemPage(entry, "the bundle " + entry.bundlePath + " is not installed");
  if (entry.kind == EntryKind::Simple) {
    if (!insideDeviceRoot(entry.entryFile)) return problemPage(entry, "the entry leads outside the device root");
    auto parsed = foundation::plistFromFile(foundation::devicePath(entry.entryFile));
    auto* root = parsed ? objc_cast<NSDictionary>(parsed.value().get()) : nullptr;
    if (!root) return problemPage(entry, "the entry plist could not be read");
    if (!objc_cast<NSArray>(root->find("items"))) return problemPage(entry, "the entry's items are not a list");
    auto page = PSEntryListController::make();
    page->pageBundle = bundle;
    page->inlineList = root;
    page->listName = NSString::make(fs::path(entry.entryFile).stem().string());
    return page;
  }
  std::string notice;
  auto* exe = objc_cast<NSString>(bundle->infoDictionary()->find("CFBundleExecutable"));
  if (exe && !exe->utf8().empty()) {
    if (bundle->load()) {
      Class cls = entry.controllerClass.empty() ? bundle->principalClass() : NSClassFromString(entry.controllerClass);
      if (isPageClass(cls)) {
        auto page = ref_cast<UIViewController>(objc::send<NSObject::allocMessage>(cls));
        return ref_cast<UIViewController>(page->init());
      }
      std::string named = entry.controllerClass;
      if (named.empty())
        if (auto* p = objc_cast<NSString>(bundle->infoDictionary()->find("NSPrincipalClass"))) named = p->utf8();
      notice = named.empty() ? "Its code did not load: it names no page class"
                             : "Its code did not load: its page class " + named + " is not in it";
    } else {
      notice = "Its code did not load: " + whyNotLoaded(bundle, exe->utf8());
    }
  }
  Ref<NSString> list = pageListName(bundle, entry);
  if (!list) return problemPage(entry, "the bundle " + entry.bundlePath + " has no page list (Root.plist)");
  Ref<NSString> path = bundle->pathForResourceOfType(list, "plist"_ns);
  if (!insideDeviceRoot(path->utf8())) return problemPage(entry, "the page list leads outside the device root");
  auto parsed = foundation::plistFromFile(foundation::devicePath(path->utf8()));
  if (!parsed) return problemPage(entry, "the page list " + path->utf8() + " could not be read: " + parsed.error());
  if (!objc_cast<NSDictionary>(parsed.value().get()))
    return problemPage(entry, "the page list " + path->utf8() + " is not a dictionary");
  if (!notice.empty()) NSLog("%s: %s", entry.label, notice);
  auto page = PSEntryListController::make();
  page->pageBundle = bundle;
  page->listName = list;
  page->notice = notice;
  return page;
}

}  // namespace preferences
