// View animations: the changes made inside an animation block move from the
// old to the new value over the duration, timed by the media clock and
// driven by the main run loop. The model value is the new one at once; what
// shows at a moment is `presentationValue`. The completion runs once, on the
// main thread, told whether the animation ran to its end (false when a later
// animation of the same property took over).
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "uikit/UIBlock.h"
#include "uikit/UIView.h"

enum UIViewAnimationOptions : unsigned long {
  UIViewAnimationOptionCurveEaseInOut = 0UL << 16,
  UIViewAnimationOptionCurveEaseIn = 1UL << 16,
  UIViewAnimationOptionCurveEaseOut = 2UL << 16,
  UIViewAnimationOptionCurveLinear = 3UL << 16,
};

struct UIView_Animation {
  OBJC_CATEGORY(UIView_Animation, UIView)
  // The completion block is called with an NSNumber holding `finished`.
  OBJC_CATEGORY_CLASS_METHOD(animateWithDurationDelayOptionsAnimationsCompletion,
                             "animateWithDuration:delay:options:animations:completion:",
                             void(double, double, unsigned long, _UIBlock*, _UIBlock*))

 public:
  // What the view shows for an animatable property ("alpha") now, on the
  // media clock: the running animation's value, else the model value.
  static std::optional<double> presentationValue(UIView* view, std::string_view key);
  static bool isAnimating(UIView* view, std::string_view key);
  // Animations whose completion has not run yet.
  static std::size_t pendingAnimations();
  // Runs now the completions of what has ended on the media clock, rather
  // than at the main loop's next look; for hosts that move the clock by hand.
  static void completeEnded();

 private:
  static void animateWithDurationDelayOptionsAnimationsCompletionImpl(Class self, double duration, double delay,
                                                                      unsigned long options, _UIBlock* animations,
                                                                      _UIBlock* completion);
};

namespace uikit::detail {
// Views tell the animation in progress, if any, of a change to an animatable property.
void noteAnimatableChange(UIView* view, const char* key, double from, double to);
}  // namespace uikit::detail
