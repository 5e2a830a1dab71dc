// A tweak whose work takes the host's main thread for a while: a post of
// "com.corvallo.test.busy" keeps it 1.5 s, one of "com.corvallo.test.stuck"
// for good. The process itself stays alive throughout.
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "notify/CFNotificationCenter.h"

namespace {

void onPost(CFNotificationCenterRef, void*, CFNotificationName name, const void*, CFDictionaryRef) {
  if (std::strcmp(name, "com.corvallo.test.stuck") == 0)
    for (;;) ::pause();
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
}

[[gnu::constructor]] void observe() {
  for (const char* name : {"com.corvallo.test.busy", "com.corvallo.test.stuck"})
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr, onPost, name, nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
}

}  // namespace
