#include "serve/FramePace.h"

#include <algorithm>

namespace serve {

FramePace::Clock::duration FramePace::change(Clock::time_point now, Clock::duration waited) {
  bool touched = touched_;
  touched_ = false;
  if (waited >= kRest) {
    movingSince_ = now;  // a new movement: its first frames at the full pace
    return Clock::duration::zero();
  }
  if (touched) {
    // What the touch set moving (a switch, a fade) at the full pace, not
    // whatever else kept moving before it.
    touchedAt_ = now;
    return Clock::duration::zero();
  }
  bool lively = now - movingSince_ <= kLively || now - touchedAt_ <= kAfterTouch;
  double fps = lively ? kMovingFps : kRepeatingFps;
  auto gap = std::chrono::duration<double, std::milli>(std::max(1000.0 / fps, 3 * frameMs_));
  auto due = lastFrame_ + std::chrono::duration_cast<Clock::duration>(gap);
  return due > now ? due - now : Clock::duration::zero();
}

void FramePace::drawn(Clock::time_point at, double ms) {
  lastFrame_ = at;
  frameMs_ = ms;
}

}  // namespace serve
