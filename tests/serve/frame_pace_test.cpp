// When a screen's frames go out: at once when someone waits for them, paced
// while the screen moves, and slowly once it has moved for long without rest.
#include "serve/FramePace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace std::chrono_literals;
using serve::FramePace;

namespace {

// A screen that changes every host frame (16 ms) from `start`, each change
// drawn as soon as the pace allows, in `ms` each: the frames' start times up
// to `until`.
std::vector<FramePace::Clock::time_point> drawMoving(FramePace& pace, FramePace::Clock::time_point start,
                                                     FramePace::Clock::duration until, double ms = 5) {
  std::vector<FramePace::Clock::time_point> frames;
  auto now = start;
  FramePace::Clock::duration waited = 1s;  // the first change comes after a rest
  while (now - start < until) {
    auto wait = pace.change(now, waited);
    now += wait;
    frames.push_back(now);
    pace.drawn(now, ms);
    now += std::chrono::microseconds(static_cast<long>(ms * 1000));
    waited = 0ms;  // the host published meanwhile
  }
  return frames;
}

}  // namespace

TEST(FramePace, AChangeAfterARestOrATouchGoesOutAtOnce) {
  FramePace pace;
  auto t = FramePace::Clock::now();
  EXPECT_EQ(pace.change(t, 5s), 0ms) << "the first change the feed sees";
  pace.drawn(t, 5);
  EXPECT_GT(pace.change(t + 10ms, 0ms), 0ms) << "a change that follows at once waits for the pace";
  EXPECT_EQ(pace.change(t + 10ms + FramePace::kRest, FramePace::kRest), 0ms) << "a change after a rest";

  // A screen that has glowed for seconds, then a touch: its change is not kept waiting.
  FramePace glowing;
  auto frames = drawMoving(glowing, t, 5s);
  auto after = frames.back() + 1ms;
  EXPECT_GT(glowing.change(after, 0ms), 100ms);
  glowing.touched();
  EXPECT_EQ(glowing.change(after, 0ms), 0ms);
  glowing.drawn(after, 5);
  EXPECT_LE(glowing.change(after + 6ms, 0ms), 1000ms / FramePace::kMovingFps)
      << "what the touch set moving goes at the full pace";
  auto later = after + FramePace::kAfterTouch + 100ms;
  glowing.drawn(later, 5);
  EXPECT_GT(glowing.change(later + 6ms, 0ms), 100ms) << "the glow goes on at its own slow pace";
}

TEST(FramePace, AScreenThatKeepsMovingIsDrawnAtTheFullPaceThenSlowly) {
  FramePace pace;
  auto t = FramePace::Clock::now();
  auto frames = drawMoving(pace, t, 10s);
  auto count = [&](auto from, auto to) {
    return std::count_if(frames.begin(), frames.end(), [&](auto f) { return f >= t + from && f < t + to; });
  };
  // A scroll or a fade: 30 a second.
  EXPECT_NEAR(count(0ms, 1000ms), FramePace::kMovingFps, 2);
  // A glow that never ends: 2 a second, not 30.
  EXPECT_NEAR(count(4000ms, 10000ms), 6 * FramePace::kRepeatingFps, 2);
}

TEST(FramePace, SlowDrawingKeepsTwoThirdsOfTheTimeFree) {
  FramePace pace;
  auto t = FramePace::Clock::now();
  auto frames = drawMoving(pace, t, 1s, 100);
  ASSERT_GE(frames.size(), 3u);
  for (std::size_t i = 1; i < frames.size(); ++i) EXPECT_GE(frames[i] - frames[i - 1], 300ms);
}
