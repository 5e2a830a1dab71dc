// Loads the built tweak into this process, as the substrate loader would into
// SpringBoard, and reaches it only by exported names and runtime messages.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <initializer_list>
#include <string>
#include <utility>

#include "PageDots.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "springboard/SBHWidgetStackViewController.h"
#include "springboard/SBIconListPageControl.h"
#include "uikit/UIColor.h"

namespace tweaktest {

using namespace std::chrono_literals;

// What the tweak exports, found with dlsym once it is loaded.
struct Exports {
  std::atomic<bool>* enabled;
  std::atomic<bool>* hidePageDotsEnabled;
  std::atomic<bool>* applyToWidgetDotsEnabled;
  std::atomic<bool>* colorCustomizationEnabled;
  Ref<NSObject>* helper;
  Ref<NSMutableArray>* pageControls;
  void (*prefsCheck)();
  void (*respring)();
  void (*loadPrefs)();  // the snapshot task, run here synchronously
};

// Loads the tweak once per process on a fresh device root; later calls only
// answer. The domain is absent when the library is loaded.
const Exports& tweak();
const std::string& root();
// The domain as the load-time seeding left it.
Ref<NSDictionary> domainAtLoad();
// The stored domain as a file, for tests that look beneath the store.
std::string domainFile();

NSObject* helper();
Ref<NSString> str(const char* text);

// The whole stored domain; nothing when absent.
Ref<NSDictionary> storedDomain();
void storeDomain(const Ref<NSDictionary>& domain);
void removeDomain();

struct Switches {
  bool enabled = true;
  bool hide = true;
  bool widgets = true;
  bool colours = false;
};
// A domain with the four switches and two colour strings.
Ref<NSDictionary> domainWith(Switches s, const char* active = "#FF0000", const char* inactive = "#00FF00:0.25");
// Stores the domain, takes a snapshot synchronously and drains the refresh it
// schedules (and the hide decisions that refresh defers).
void applyDomain(const Ref<NSDictionary>& domain);
void apply(Switches s, const char* active = "#FF0000", const char* inactive = "#00FF00:0.25");
// Sets the four globals directly, as a finished loader would.
void setSnapshot(Switches s);

// The snapshot's colour texts, "(absent)" when there is none.
std::string activeColourText();
std::string inactiveColourText();

// Runs ready main-queue work, including what it makes ready.
void drain();

Ref<SBIconListPageControl> newIconListPageControl();
Ref<SBHWidgetStackViewController> newWidgetStack();

// The two saved-colour slots the tweak adds to UIPageControl.
Ref<UIColor> savedCurrent(UIPageControl* c);
Ref<UIColor> savedOther(UIPageControl* c);

std::string hex(const Ref<UIColor>& c);  // "nil" for no colour
Ref<UIColor> colour(double r, double g, double b, double a = 1.0);

// The statuses FBSystemService was asked to exit with, instead of exiting.
std::atomic<int>& exitRequests();
std::atomic<int>& lastExitStatus();

// Every test starts from the seeded look with hiding and recolouring as the
// defaults say, the snapshot taken, debug messages off and exits observed.
class TweakTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;
};

}  // namespace tweaktest
