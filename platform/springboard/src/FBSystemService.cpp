#include "springboard/FBSystemService.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>

namespace {

void exitProcess(int status) {
  std::fflush(nullptr);
  ::_exit(status);
}

std::atomic<FBSystemService::ExitHandler> exitHandler{&exitProcess};

Ref<NSObject> sharedService(NSObject*, SEL) {
  static FBSystemService* const shared = FBSystemService::make().leak();  // lives as long as the process
  return Ref<NSObject>(shared);
}

}  // namespace

void FBSystemService::setExitHandler(ExitHandler handler) { exitHandler = handler ? handler : &exitProcess; }

void FBSystemService::exitAndRelaunchImpl(bool relaunch) { exitHandler.load()(relaunch ? kRelaunchExitStatus : 0); }

OBJC_IMPLEMENT_LEGACY(FBSystemService)
void FBSystemService::registerMethods(objc::ClassBuilder<FBSystemService>& b) {
  b.classMethod<"sharedInstance", &sharedService>().method<"exitAndRelaunch:", &FBSystemService::exitAndRelaunchImpl>();
}
