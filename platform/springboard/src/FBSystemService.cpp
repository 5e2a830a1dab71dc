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

}  // namespace

void FBSystemService::setExitHandler(ExitHandler handler) { exitHandler = handler ? handler : &exitProcess; }

Ref<FBSystemService> FBSystemService::sharedInstanceImpl(Class) {
  static FBSystemService* const shared = make().leak();  // lives as long as the process
  return Ref<FBSystemService>(shared);
}

void FBSystemService::exitAndRelaunchImpl(bool relaunch) { exitHandler.load()(relaunch ? kRelaunchExitStatus : 0); }

OBJC_IMPLEMENT(FBSystemService)
