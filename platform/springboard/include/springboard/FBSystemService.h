// The system service that can end SpringBoard and have it started again.
#pragma once

#include "objc/define.h"

// The status a host exits with when it asks its supervisor to start it again.
inline constexpr int kRelaunchExitStatus = 75;

class FBSystemService : public NSObject {
  OBJC_CLASS(FBSystemService, NSObject)
  OBJC_CLASS_METHOD(sharedInstance, "sharedInstance", Ref<FBSystemService>())
  OBJC_METHOD(exitAndRelaunch, "exitAndRelaunch:", void(bool))

 public:
  // What ending the process means; the host sets it, tests replace it.
  using ExitHandler = void (*)(int status);
  static void setExitHandler(ExitHandler handler);

 private:
  static Ref<FBSystemService> sharedInstanceImpl(Class self);
  void exitAndRelaunchImpl(bool relaunch);
};
