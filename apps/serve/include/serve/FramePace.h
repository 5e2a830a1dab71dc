// When a screen's next frame is drawn. A change after a rest, or one that a
// touch from the page made, is drawn at once: someone is waiting to see it.
// A screen that keeps changing is drawn at a pace that leaves the machine most
// of its time, and never more than a third of it spent drawing. One that has
// not rested for a while runs an animation that repeats (a glow): a few
// frames a second show it moving at a small fraction of the cost, until it
// rests; a touch gets the full pace for its own animations only.
#pragma once

#include <chrono>

namespace serve {

class FramePace {
 public:
  using Clock = std::chrono::steady_clock;

  // A wait this long for a change means the screen was at rest.
  static constexpr std::chrono::milliseconds kRest{100};
  // Moving for this long without rest: an animation that repeats.
  static constexpr std::chrono::milliseconds kLively{2000};
  // A touch's own animations (a switch, a sheet fading in) take about this long.
  static constexpr std::chrono::milliseconds kAfterTouch{600};
  static constexpr double kMovingFps = 30;
  static constexpr double kRepeatingFps = 2;

  // A change seen at `now`, after waiting `waited` for it: how long its
  // frame waits from `now`. Called again while it waits (with no wait of its
  // own), the answer takes a touch that came meanwhile into account.
  Clock::duration change(Clock::time_point now, Clock::duration waited);
  // The page touched the screen: its next change goes out at once.
  void touched() { touched_ = true; }
  // A frame began at `at` and took `ms` to ask for, draw and encode.
  void drawn(Clock::time_point at, double ms);

 private:
  bool touched_ = false;
  Clock::time_point lastFrame_{};
  double frameMs_ = 0;
  Clock::time_point movingSince_{};
  Clock::time_point touchedAt_{};
};

}  // namespace serve
