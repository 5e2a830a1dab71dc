// A full table layout (every row height, every section header and footer) of
// a settings page with 100 rows and 20 visibility rules, against the same page
// without rules. Goal: under 2 ms, and under 10x the page without rules.
// Then one switch toggled on a page of a thousand rows, each with a rule on
// that switch: the write and the reload it brings. Goal: under 50 ms.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/DevicePaths.h"
#include "foundation/NSNumber.h"
#include "foundation/NSUserDefaults.h"
#include "preferences/PSListController.h"

namespace fs = std::filesystem;

namespace {

// The bundle's page, loaded at run time.
using setDarkModePlistLightModePlistMessage =
    objc::Message<"setDarkModePlist:lightModePlist:", void(NSString*, NSString*)>;

constexpr const char* kBundle = "/Library/PreferenceBundles/CorvalloPrefs.bundle";
constexpr const char* kDomain = "com.tenvarix.prefsbench";

std::string page(bool rules) {
  std::string items;
  for (int s = 0; s < 10; ++s) {
    items += "<dict><key>cell</key><string>PSGroupCell</string><key>label</key><string>G" + std::to_string(s) +
             "</string></dict>";
    for (int r = 0; r < 10; ++r) {
      int n = s * 10 + r;
      items += "<dict><key>cell</key><string>PSSwitchCell</string><key>label</key><string>Row " + std::to_string(n) +
               "</string><key>key</key><string>k" + std::to_string(n) + "</string><key>defaults</key><string>" +
               kDomain + "</string>";
      // Twenty ruled rows: two per later section and two in the first, each
      // naming switches of the first section.
      if (rules && ((s > 0 && r < 2) || (s == 0 && (r == 4 || r == 5))))
        items += "<key>depends</key><string>k" + std::to_string(r % 2) + " == 1, k" + std::to_string(r % 2 + 2) +
                 " != 0</string>";
      items += "</dict>";
    }
  }
  return "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>items</key><array>" + items +
         "</array></dict></plist>";
}

std::string largeName(int perSection) { return "/Large" + std::to_string(perSection); }

// The switch "k0", then 1000 rows shown while it is on, `perSection` a section.
std::string large(int perSection) {
  auto row = [](const std::string& key, const std::string& depends) {
    std::string r = "<dict><key>cell</key><string>PSSwitchCell</string><key>label</key><string>" + key +
                    "</string><key>key</key><string>" + key + "</string><key>defaults</key><string>" + kDomain +
                    "</string>";
    if (!depends.empty()) r += "<key>depends</key><string>" + depends + "</string>";
    return r + "</dict>";
  };
  std::string items = row("k0", "");
  for (int i = 0; i < 1000; ++i) {
    if (i % perSection == 0) items += "<dict><key>cell</key><string>PSGroupCell</string></dict>";
    items += row("ruled" + std::to_string(i), "k0 == 1");
  }
  return "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>items</key><array>" + items +
         "</array></dict></plist>";
}

struct Device {
  std::string root;
  Device() {
    root = (fs::temp_directory_path() / "cvbench-XXXXXX").string();
    ::mkdtemp(root.data());
    foundation::setDeviceRootOverride(root);
    fs::create_directories(root + "/Library/PreferenceBundles");
    fs::copy(PREFS_BUNDLE_DIR, root + kBundle, fs::copy_options::recursive);
    std::ofstream(root + kBundle + "/Rules.plist") << page(true);
    std::ofstream(root + kBundle + "/NoRules.plist") << page(false);
    for (int perSection : {1000, 10})
      std::ofstream(root + kBundle + largeName(perSection) + ".plist") << large(perSection);
    NSBundle::bundleWithPath(NSString::make(kBundle))->load();
    Ref<NSString> domain = NSString::make(kDomain);
    NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName(domain, [](NSMutableDictionary* d) {
      for (int i = 0; i < 100; ++i) d->setObjectForKey(kCFBooleanTrue, "k" + std::to_string(i));
    });
  }
  ~Device() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
};

Device& device() {
  static Device d;
  return d;
}

Ref<PSListController> loadedPage(const char* list) {
  device();
  auto p = ref_cast<PSListController>(objc::send<NSObject::allocMessage>(objc_getClass("CVLOBaseListController")));
  p = ref_cast<PSListController>(p->init());
  objc::send<setDarkModePlistLightModePlistMessage>(p, NSString::make(list), NSString::make(list));
  p->table()->reloadData();  // rows and cells made once, as when the page opens
  return p;
}

void layout(benchmark::State& state, const char* list) {
  auto p = loadedPage(list);
  Ref<UITableView> table = p->table();
  for (auto _ : state) table->measure();
  long rows = 0;
  for (const auto& s : table->sectionLayout()) rows += static_cast<long>(s.rowHeights.size());
  state.counters["rows"] = static_cast<double>(rows);
}

void BM_LayoutWithRules(benchmark::State& state) { layout(state, "Rules"); }

// The write through the switch's row, then the reload it asks for (run here
// at once rather than from the main queue).
void BM_ToggleOnLargePage(benchmark::State& state) {
  auto p = loadedPage(largeName(static_cast<int>(state.range(0))).substr(1).c_str());
  Ref<UITableView> table = p->table();
  using specifierForKeyMessage = objc::Message<"specifierForKey:", Ref<PSSpecifier>(NSString*)>;
  Ref<PSSpecifier> toggle = objc::send<specifierForKeyMessage>(p, "k0"_ns);
  bool on = false;
  for (auto _ : state) {
    p->setPreferenceValueSpecifier(NSNumber::numberWithBool(on), toggle);
    table->reloadData();
    on = !on;
  }
  state.counters["rules"] = 1000;
}
void BM_LayoutWithoutRules(benchmark::State& state) { layout(state, "NoRules"); }

}  // namespace

BENCHMARK(BM_LayoutWithoutRules)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LayoutWithRules)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ToggleOnLargePage)->ArgName("rowsPerSection")->Arg(1000)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
