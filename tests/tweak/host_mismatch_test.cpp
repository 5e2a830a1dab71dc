// The tweak loaded into a SpringBoard whose indicator answers one hooked
// selector with another signature: that one hook is refused with one log
// line, the others go in, and the host keeps running.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>

#include "Tweak.h"  // SnapshotText only: the layout of an exported global
#include "dispatch/main_loop.h"
#include "foundation/DevicePaths.h"
#include "foundation/NSString.h"
#include "uikit/UIPageControl.h"

namespace {

// This host's indicator asks about animations by property index, not name.
class SBIconListPageControl : public UIPageControl {
  OBJC_CLASS(SBIconListPageControl, UIPageControl)
  OBJC_METHOD(_shouldAnimatePropertyWithKey, "_shouldAnimatePropertyWithKey:", bool(long))

 public:
  static inline long asked = 0;

 private:
  bool _shouldAnimatePropertyWithKeyImpl(long index) {
    ++asked;
    return index == 2;
  }
};
OBJC_IMPLEMENT(SBIconListPageControl)

std::string deviceRootPath;
std::string loadLog;

// Once per process, as the loader does it.
void loadTweak() {
  static std::once_flag once;
  std::call_once(once, [] {
    char tmpl[] = "/tmp/corvallo-mismatch-XXXXXX";
    if (!mkdtemp(tmpl)) std::abort();
    deviceRootPath = tmpl;
    setenv("CORVALLO_DEVICE_ROOT", tmpl, 1);
    foundation::setDeviceRootOverride(deviceRootPath);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(deviceRootPath, ec);
    });
    SBIconListPageControl::cls();
    testing::internal::CaptureStderr();
    void* lib = dlopen(CORVALLO_TWEAK_PATH, RTLD_NOW | RTLD_GLOBAL);
    loadLog = testing::internal::GetCapturedStderr();
    if (!lib) {
      std::fprintf(stderr, "cannot load the tweak: %s\n", dlerror());
      std::abort();
    }
    // The load's first snapshot runs in the background; let it land, so it
    // does not outlive the process's statics.
    auto* active = static_cast<SnapshotText*>(dlsym(lib, "activePageDotColorString"));
    if (!active || !dispatch::runMainUntil([&] { return static_cast<bool>(active->load()); }, std::chrono::seconds(10)))
      std::abort();
    dispatch::runMainUntilIdle();
  });
}

Ref<SBIconListPageControl> newIndicator() { return SBIconListPageControl::make(CGRectMake(0, 700, 390, 37)); }

TEST(HostWithAnotherSignature, LoadingLogsOneLineForTheRefusedHook) {
  loadTweak();
  EXPECT_EQ(std::count(loadLog.begin(), loadLog.end(), '\n'), 1) << loadLog;
  EXPECT_NE(loadLog.find("SBIconListPageControl _shouldAnimatePropertyWithKey:"), std::string::npos) << loadLog;
  EXPECT_NE(loadLog.find(objc::typesFor<SBIconListPageControl::_shouldAnimatePropertyWithKeyMessage>()),
            std::string::npos)
      << loadLog;
}

TEST(HostWithAnotherSignature, TheHostsOwnMethodStillAnswers) {
  loadTweak();
  auto c = newIndicator();
  long before = SBIconListPageControl::asked;
  EXPECT_TRUE(c->_shouldAnimatePropertyWithKey(2));
  EXPECT_FALSE(c->_shouldAnimatePropertyWithKey(5));
  EXPECT_EQ(SBIconListPageControl::asked, before + 2);
}

TEST(HostWithAnotherSignature, TheOtherHooksStillWork) {
  loadTweak();
  // The defaults hide the home dots once the first decision runs.
  auto c = newIndicator();
  ASSERT_TRUE(dispatch::runMainUntil([&] { return c->isHidden(); }, std::chrono::seconds(5)))
      << "initWithFrame: was not hooked";
  c->setHidden(false);
  c->hitTestWithEvent(CGPointMake(10, 710), nullptr);
  EXPECT_TRUE(dispatch::runMainUntil([&] { return c->isHidden(); }, std::chrono::seconds(5)))
      << "hitTest:withEvent: was not hooked";
}

}  // namespace
