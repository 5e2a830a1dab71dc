// The tweak's exports and the state its parts share.
#pragma once

#include <atomic>
#include <mutex>

#include "CVLOHelper.h"
#include "foundation/NSArray.h"
#include "foundation/NSString.h"

// A text a background loader replaces while the main thread reads it: a reader
// takes its own reference under the lock, so what it picked up stays valid.
class SnapshotText {
 public:
  Ref<NSString> load() const {
    std::lock_guard g(mutex_);
    return text_;
  }
  void store(Ref<NSString> text) {
    {
      std::lock_guard g(mutex_);
      std::swap(text_, text);
    }
    // The previous text is released here, outside the lock.
  }

 private:
  mutable std::mutex mutex_;
  Ref<NSString> text_;
};

// Exported, yet always the tweak's own: every library of the host shares one
// namespace, and an earlier library exporting the same generic name (another
// tweak's `enabled`) would otherwise take its place inside the tweak. Functions
// are bound the same way at link time (-Bsymbolic-functions).
#define CVLO_OWN_EXPORT __attribute__((visibility("protected")))

// The settings snapshot and the shared store helper, exported by name.
extern "C" {
extern CVLO_OWN_EXPORT std::atomic<bool> enabled;
extern CVLO_OWN_EXPORT std::atomic<bool> hidePageDotsEnabled;
extern CVLO_OWN_EXPORT std::atomic<bool> applyToWidgetDotsEnabled;
extern CVLO_OWN_EXPORT std::atomic<bool> colorCustomizationEnabled;
extern CVLO_OWN_EXPORT Ref<CVLOHelper> helper;
// Every home-screen indicator that passed through initWithFrame:, held
// strongly; created by the third load-time step. Main thread only.
extern CVLO_OWN_EXPORT Ref<NSMutableArray> pageControls;

void CVLOPrefsCheck();
void CVLORespring();
}

extern CVLO_OWN_EXPORT SnapshotText activePageDotColorString;
extern CVLO_OWN_EXPORT SnapshotText inactivePageDotColorString;

// The load-time steps, in the order the library runs them.
void CVLOInitPrefsAndObservers();
void CVLOInitHooks();
void CVLOInitRegistry();

void CVLOReloadPrefs();
void CVLOResetPrefs();
void CVLOLoadPrefs();
void CVLORefreshPageControls();

// Installed by CVLOInitHooks, tracing first.
void CVLOInstallTracingHooks(Class iconListPageControl);
void CVLOInstallAppearanceHooks(Class iconListPageControl, Class widgetStackController);

namespace cvlo {
inline constexpr const char* kRespringNotification = "com.tenvarix.corvallo/Respring";
inline constexpr const char* kReloadPrefsNotification = "com.tenvarix.corvallo/ReloadPrefs";
inline constexpr const char* kResetNotification = "com.tenvarix.corvallo/Reset";
inline constexpr const char* kDefaultActiveColor = "#FFFFFF";
inline constexpr const char* kDefaultInactiveColor = "#FFFFFF:0.45";

// The domain's six keys with the values seeding and reset store, in the order
// seeding, reset and the snapshot treat them.
struct PreferenceDefault {
  const char* key;
  const char* colour;  // a colour key's text; nothing for a switch
  bool on;             // a switch's value
};
inline constexpr PreferenceDefault kPreferenceDefaults[] = {
    {"isEnabled", nullptr, true},
    {"isApplyToWidgetDotsEnabled", nullptr, true},
    {"isHidePageDotsEnabled", nullptr, true},
    {"isColorCustomizationEnabled", nullptr, false},
    {"activePageDotColor", kDefaultActiveColor, false},
    {"inactivePageDotColor", kDefaultInactiveColor, false},
};
}  // namespace cvlo
