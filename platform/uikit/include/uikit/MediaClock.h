// The media clock animations are timed by: seconds, monotonic, real time by
// default. Tests and hosts may take it over to see any moment of an animation
// without waiting for it; while taken over it moves only when told to.
#pragma once

// Seconds on the media clock, as the device's CACurrentMediaTime().
double CACurrentMediaTime();

namespace uikit {

// Stops the clock at `seconds` (taking it over if it runs on real time).
void setMediaTime(double seconds);
// Moves a taken-over clock on by `seconds`; takes it over at the current
// real time first if it was running.
void advanceMediaTime(double seconds);
// Gives the clock back to real time, continuing from where it stands so that
// it never runs backwards.
void useRealMediaTime();
bool mediaTimeIsManual();

}  // namespace uikit
