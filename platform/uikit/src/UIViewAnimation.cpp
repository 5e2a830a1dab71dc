#include "uikit/UIViewAnimation.h"

#include <algorithm>
#include <asio/steady_timer.hpp>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "dispatch/dispatch.h"
#include "dispatch/main_loop.h"
#include "foundation/NSNumber.h"
#include "objc/Weak.h"
#include "uikit/CAMediaTimingFunction.h"
#include "uikit/MediaClock.h"

OBJC_IMPLEMENT_CATEGORY(UIView_Animation)

namespace {

// Media times that differ by less than this are the same moment: a clock
// moved in steps of 0.05 reaches 100.2 as 100.19999999999999.
constexpr double kSameMoment = 1e-9;

struct Track {
  Weak<UIView> view;
  const void* viewId;  // the view's address, to match tracks without locking the weak reference
  std::string key;
  double from, to;
};

struct Animation {
  std::vector<Track> tracks;
  double begin = 0, duration = 0;
  Ref<CAMediaTimingFunction> curve;
  Ref<_UIBlock> completion;
  bool finishedEarly = false;  // a later animation took every property over

  double progress(double now) const {
    if (duration <= 0 || now >= begin + duration - kSameMoment) return 1;
    if (now <= begin) return 0;
    return curve->evaluate((now - begin) / duration);
  }
};

// Main-thread state: animations run, record and complete on the main thread.
std::vector<std::shared_ptr<Animation>>& running() {
  static std::vector<std::shared_ptr<Animation>> list;
  return list;
}
Animation* recording = nullptr;

// How often the main loop looks whether an animation has ended; the media
// clock may be moved by hand, so the end is looked for, not waited for.
constexpr auto kTick = std::chrono::milliseconds(8);

void complete(const std::shared_ptr<Animation>& a, bool finished) {
  if (a->completion) a->completion->call(NSNumber::numberWithBool(finished).get());
}

void tick();

void scheduleTick() {
  static asio::steady_timer* timer = new asio::steady_timer(dispatch::mainContext());
  static bool armed = false;
  if (armed) return;
  armed = true;
  timer->expires_after(kTick);
  timer->async_wait([](const asio::error_code&) {
    armed = false;
    tick();
  });
}

void tick() {
  double now = CACurrentMediaTime();
  std::vector<std::pair<std::shared_ptr<Animation>, bool>> ended;
  auto& list = running();
  for (auto it = list.begin(); it != list.end();) {
    const auto& a = *it;
    if (a->finishedEarly || a->tracks.empty() || now >= a->begin + a->duration - kSameMoment) {
      ended.emplace_back(a, !a->finishedEarly);
      it = list.erase(it);
    } else {
      ++it;
    }
  }
  for (auto& [a, finished] : ended) complete(a, finished);
  if (!running().empty()) scheduleTick();
}

const Track* activeTrack(const void* viewId, std::string_view key, const Animation** owner) {
  // The latest animation of a property is the one that shows.
  auto& list = running();
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    for (const auto& t : (*it)->tracks)
      if (t.viewId == viewId && t.key == key) {
        if (owner) *owner = it->get();
        return &t;
      }
  return nullptr;
}

const char* curveName(unsigned long options) {
  switch (options & (3UL << 16)) {
    case UIViewAnimationOptionCurveEaseIn:
      return kCAMediaTimingFunctionEaseIn;
    case UIViewAnimationOptionCurveEaseOut:
      return kCAMediaTimingFunctionEaseOut;
    case UIViewAnimationOptionCurveLinear:
      return kCAMediaTimingFunctionLinear;
    default:
      return kCAMediaTimingFunctionEaseInEaseOut;
  }
}

}  // namespace

namespace uikit::detail {

void noteAnimatableChange(UIView* view, const char* key, double from, double to) {
  if (!recording) {
    // A change outside any block ends the property's animation where it is.
    for (auto& a : running())
      std::erase_if(a->tracks, [&](const Track& t) { return t.viewId == view && t.key == key; });
    return;
  }
  // Starts from what shows now, so a reversal does not jump.
  const Animation* owner = nullptr;
  if (const Track* t = activeTrack(view, key, &owner))
    from = t->from + (t->to - t->from) * owner->progress(CACurrentMediaTime());
  for (auto& a : running()) std::erase_if(a->tracks, [&](const Track& t) { return t.viewId == view && t.key == key; });
  for (auto& a : running())
    if (a->tracks.empty()) a->finishedEarly = true;
  std::erase_if(recording->tracks, [&](const Track& t) { return t.viewId == view && t.key == key; });
  recording->tracks.push_back(Track{Weak<UIView>(view), view, key, from, to});
}

}  // namespace uikit::detail

std::optional<double> UIView_Animation::presentationValue(UIView* view, std::string_view key) {
  if (!view || key != "alpha") return std::nullopt;
  const Animation* owner = nullptr;
  const Track* t = activeTrack(view, key, &owner);
  if (!t) return view->alpha();
  double p = owner->progress(CACurrentMediaTime());
  return t->from + (t->to - t->from) * p;
}

bool UIView_Animation::isAnimating(UIView* view, std::string_view key) {
  const Animation* owner = nullptr;
  return activeTrack(view, key, &owner) && owner->progress(CACurrentMediaTime()) < 1;
}

std::size_t UIView_Animation::pendingAnimations() { return running().size(); }

void UIView_Animation::completeEnded() { tick(); }

void UIView_Animation::animateWithDurationDelayOptionsAnimationsCompletionImpl(Class, double duration, double delay,
                                                                               unsigned long options,
                                                                               _UIBlock* animations,
                                                                               _UIBlock* completion) {
  auto a = std::make_shared<Animation>();
  a->duration = std::max(0.0, duration);
  a->begin = CACurrentMediaTime() + std::max(0.0, delay);
  a->curve = CAMediaTimingFunction::functionWithName(NSString::make(curveName(options)));
  a->completion = completion;
  Animation* outer = recording;
  recording = a.get();
  try {
    if (animations) animations->call(nullptr);
  } catch (...) {
    recording = outer;
    throw;
  }
  recording = outer;
  // Even with nothing to animate the completion comes later, never inside this call.
  running().push_back(std::move(a));
  scheduleTick();
}
