#include "uikit/MediaClock.h"

#include <chrono>
#include <mutex>

namespace {

std::mutex clockMutex;
bool manual = false;
double manualNow = 0;
// Added to the real clock, so that handing back to real time never jumps back.
double realOffset = 0;

double realSeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double nowLocked() { return manual ? manualNow : realSeconds() + realOffset; }

}  // namespace

double CACurrentMediaTime() {
  std::lock_guard g(clockMutex);
  return nowLocked();
}

namespace uikit {

void setMediaTime(double seconds) {
  std::lock_guard g(clockMutex);
  manual = true;
  manualNow = seconds;
}

void advanceMediaTime(double seconds) {
  std::lock_guard g(clockMutex);
  if (!manual) {
    manualNow = nowLocked();
    manual = true;
  }
  manualNow += seconds;
}

void useRealMediaTime() {
  std::lock_guard g(clockMutex);
  if (!manual) return;
  double real = realSeconds();
  if (manualNow > real + realOffset) realOffset = manualNow - real;
  manual = false;
}

bool mediaTimeIsManual() {
  std::lock_guard g(clockMutex);
  return manual;
}

}  // namespace uikit
