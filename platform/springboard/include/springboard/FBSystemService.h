// The system service that can end SpringBoard and have it started again.
#pragma once

#include "objc/define.h"

// The status a host exits with when it asks its supervisor to start it again.
inline constexpr int kRelaunchExitStatus = 75;

class FBSystemService : public NSObject {
  OBJC_CLASS(FBSystemService, NSObject)
 public:
  static Ref<FBSystemService> sharedInstance() {
    return ref_cast<FBSystemService>(objc::send<Ref<NSObject>(), "sharedInstance">(cls()));
  }
  void exitAndRelaunch(bool relaunch) { objc::send<void(bool), "exitAndRelaunch:">(this, relaunch); }

  // What ending the process means; the host sets it, tests replace it.
  using ExitHandler = void (*)(int status);
  static void setExitHandler(ExitHandler handler);

 private:
  void exitAndRelaunchImpl(bool relaunch);
};
