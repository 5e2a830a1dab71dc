#include "springboard/HomeScreen.h"

#include <algorithm>

#include "dispatch/dispatch.h"
#include "foundation/NSString.h"

namespace springboard {

namespace {
// The device's screen, the one Settings lays out on too.
constexpr CGFloat kScreenWidth = kUIScreenWidth, kScreenHeight = kUIScreenHeight;
constexpr long kColumns = 4, kRows = 6;
constexpr CGFloat kIconSize = 60, kGridLeft = 27, kRowPitch = 100, kGridTop = 80;
// Four columns with the same margin on either side.
constexpr CGFloat kColumnPitch = (kScreenWidth - 2 * kGridLeft - kIconSize) / (kColumns - 1);
constexpr CGFloat kWidgetSize = 155;

const char* const kApps[] = {"FaceTime", "Calendar",  "Photos",   "Camera",    "Mail",     "Clock",     "Maps",
                             "Weather",  "Reminders", "Notes",    "Stocks",    "Books",    "App Store", "Podcasts",
                             "TV",       "Health",    "Home",     "Wallet",    "Settings", "Files",     "Translate",
                             "Measure",  "Compass",   "Contacts", "Shortcuts", "Find My",  "Fitness",   "Tips"};

// Two columns of stacks from the top of the first page, each centred over two
// columns of icons, moved a screen's width to the left for each page the
// screen has scrolled past the first.
CGRect widgetStackFrame(long index, long page) {
  CGFloat centre = kGridLeft + (kColumnPitch + kIconSize) / 2 + 2 * kColumnPitch * static_cast<CGFloat>(index % 2);
  return CGRectMake(centre - kWidgetSize / 2 - kScreenWidth * static_cast<CGFloat>(page),
                    kGridTop + 2 * kRowPitch * static_cast<CGFloat>(index / 2), kWidgetSize, kWidgetSize);
}

}  // namespace

HomeScreen::HomeScreen(HomeScreenLayout layout) : layout_(layout) {}

void HomeScreen::build() {
  root_ = UIView::make(CGRectMake(0, 0, kScreenWidth, kScreenHeight));

  pageControl_ = SBIconListPageControl::make(CGRectMake(0, kScreenHeight - 150, kScreenWidth, 37));
  if (pageControl_) {
    pageControl_->setNumberOfPages(layout_.iconPages);
    pageControl_->setCurrentPage(0);
    root_->addSubview(pageControl_);
  }

  for (long i = 0; i < layout_.widgetStacks; ++i) {
    auto stack = SBHWidgetStackViewController::make(layout_.widgetsPerStack);
    if (!stack) continue;
    auto view = stack->view();
    view->setFrame(widgetStackFrame(i, 0));
    root_->addSubview(view);
    stacks_.push_back(stack);
  }

  Ref<SBIconListPageControl> control = pageControl_;
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, layout_.legibilityDelayMs * static_cast<long>(NSEC_PER_MSEC)),
                 dispatch_get_main_queue(), [appeared = appeared_, control] {
                   if (control && !control->legibilitySettings())
                     control->setLegibilitySettings(_UILegibilitySettings::settingsWithStyle(_UILegibilityStyleLight));
                   *appeared = true;
                 });
}

Ref<UIView> HomeScreen::touchPageControl() {
  if (!pageControl_) return nullptr;
  CGRect f = pageControl_->frame();
  CGPoint centre{f.origin.x + f.size.width / 2, f.origin.y + f.size.height / 2};
  auto event = UIEvent::make();
  Ref<UIView> hit = root_->hitTestWithEvent(centre, event);
  if (hit.get() == pageControl_.get()) {
    auto touch = UITouch::make(centre);
    auto touches = NSArray::arrayWithObject(touch);
    pageControl_->touchesBeganWithEvent(touches, event);
    pageControl_->touchesEndedWithEvent(touches, event);
    if (pageControl_->gestureRecognizerShouldBegin(pageControl_->tapGestureRecognizer()))
      pageControl_->tapGestureDidUpdate(pageControl_->tapGestureRecognizer());
  }
  return hit;
}

void HomeScreen::showPage(long page) {
  if (!pageControl_) return;
  pageControl_->_shouldAnimatePropertyWithKey(NSString::make("alpha"));
  pageControl_->setCurrentPage(page);
  pageControl_->pageControlCurrentPageDidChange(pageControl_);
  // The stacks live on the first page and scroll away with it.
  long shown = pageControl_->currentPage();
  for (std::size_t i = 0; i < stacks_.size(); ++i)
    stacks_[i]->view()->setFrame(widgetStackFrame(static_cast<long>(i), shown));
}

void HomeScreen::changeLegibility(long style) {
  if (pageControl_) pageControl_->setLegibilitySettings(_UILegibilitySettings::settingsWithStyle(style));
}

std::vector<AppIcon> HomeScreen::iconsOnCurrentPage() const {
  std::vector<AppIcon> icons;
  long page = pageControl_ ? pageControl_->currentPage() : 0;
  // Widget stacks take the first two rows, two columns each, on the first page.
  CGFloat widgetBottom = 0;
  if (page == 0)
    for (const auto& stack : stacks_) {
      CGRect f = stack->view()->frame();
      widgetBottom = std::max(widgetBottom, f.origin.y + f.size.height);
    }
  long first = page == 0 ? 0 : 16 + (page - 1) * kColumns * kRows;
  constexpr long kAppCount = sizeof kApps / sizeof kApps[0];
  for (long row = 0, n = 0; row < kRows; ++row) {
    CGFloat y = kGridTop + kRowPitch * static_cast<CGFloat>(row);
    if (y < widgetBottom) continue;
    for (long col = 0; col < kColumns; ++col, ++n)
      icons.push_back({kApps[(first + n) % kAppCount],
                       CGRectMake(kGridLeft + kColumnPitch * static_cast<CGFloat>(col), y, kIconSize, kIconSize)});
  }
  return icons;
}

CGRect HomeScreen::dockFrame() const { return CGRectMake(12, kScreenHeight - 102, kScreenWidth - 24, 90); }

std::vector<AppIcon> HomeScreen::dockIcons() const {
  std::vector<AppIcon> icons;
  CGRect dock = dockFrame();
  const char* names[] = {"Phone", "Safari", "Messages", "Music"};
  for (long i = 0; i < 4; ++i)
    icons.push_back({names[i], CGRectMake(kGridLeft + kColumnPitch * static_cast<CGFloat>(i),
                                          dock.origin.y + (dock.size.height - kIconSize) / 2, kIconSize, kIconSize)});
  return icons;
}

bool HomeScreen::scrollWidgetStack(std::size_t stack, long widget) {
  if (stack >= stacks_.size()) return false;
  stacks_[stack]->scrollToWidget(widget);
  return true;
}

}  // namespace springboard
