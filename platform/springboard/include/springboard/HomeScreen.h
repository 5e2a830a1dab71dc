// The home screen SpringBoard shows: icon pages with their page indicator and
// a few widget stacks with theirs, in one view tree.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "springboard/SBHWidgetStackViewController.h"
#include "springboard/SBIconListPageControl.h"

namespace springboard {

struct HomeScreenLayout {
  long iconPages = 3;
  long widgetStacks = 2;
  long widgetsPerStack = 3;
  // The wallpaper's legibility settles a moment after the home screen
  // appears; only then do the dots get colours.
  long legibilityDelayMs = 250;
};

// An app icon and where SpringBoard's grid puts it, in screen points (the
// label goes below the frame).
struct AppIcon {
  std::string label;
  CGRect frame;
};

class HomeScreen {
 public:
  explicit HomeScreen(HomeScreenLayout layout = {});
  HomeScreen(const HomeScreen&) = delete;  // its scheduled work refers to it
  HomeScreen& operator=(const HomeScreen&) = delete;

  // Builds the views on the main thread. The indicator is made through
  // initWithFrame:, as SpringBoard makes it.
  void build();

  UIView* root() const { return root_.get(); }
  // Whether the wallpaper's legibility has arrived, so the screen shows as a person sees it.
  bool appeared() const { return *appeared_; }
  SBIconListPageControl* pageControl() const { return pageControl_.get(); }
  const std::vector<Ref<SBHWidgetStackViewController>>& widgetStacks() const { return stacks_; }

  // A finger down and up on the indicator: a hit test from the top of the
  // tree, then the touch callbacks and the tap. Answers the view that was hit.
  Ref<UIView> touchPageControl();
  // Swipes to another icon page; animated property changes ask the indicator.
  void showPage(long page);
  void changeLegibility(long style);
  // Returns false when there is no such stack.
  bool scrollWidgetStack(std::size_t stack, long widget);

  // The icons of the page on show, below the widget stacks, and of the dock.
  std::vector<AppIcon> iconsOnCurrentPage() const;
  std::vector<AppIcon> dockIcons() const;
  CGRect dockFrame() const;

 private:
  HomeScreenLayout layout_;
  Ref<UIView> root_;
  Ref<SBIconListPageControl> pageControl_;
  std::vector<Ref<SBHWidgetStackViewController>> stacks_;
  // Shared with the delayed block that sets it, which may outlive this screen.
  std::shared_ptr<bool> appeared_ = std::make_shared<bool>(false);  // main thread only
};

}  // namespace springboard
