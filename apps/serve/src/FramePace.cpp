#include "serve/FramePace.h"

#include <algorithm>

namespace serve {

FramePace::Clock::duration FramePace::change(Clock::time_point now, Clock::duration waited) {
  bool touched = touched_;
  touched_ = false;
  if (waited >= kRest || touched) {
    movingSince_ = now;  // a new movement: its first frames at the full pace
    return Clock::duration::zero();
  }
  double fps = now - movingSince_ > kLively ? kRepeatingFps : kMovingFps;
  auto gap = std::chrono::duration<double, std::milli>(std::max(1000.0 / fps, 3 * frameMs_));
  auto due = lastFrame_ + std::chrono::duration_cast<Clock::duration>(gap);
  return due > now ? due - now : Clock::duration::zero();
}

void FramePace::drawn(Clock::time_point at, double ms) {
  lastFrame_ = at;
  frameMs_ = ms;
}

}  // namespace serve
