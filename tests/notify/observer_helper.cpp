// An observing process for the tests: registers every name given with the
// given behaviour, says "ready", then prints each callback's name on its own
// line while it runs the main loop.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "dispatch/dispatch.h"
#include "dispatch/main_loop.h"
#include "notify/CFNotificationCenter.h"

namespace {

void say(const std::string& line) {
  std::string out = line + "\n";
  (void)!::write(STDOUT_FILENO, out.data(), out.size());
}

void onPost(CFNotificationCenterRef, void*, CFNotificationName name, const void*, CFDictionaryRef) {
  say(dispatch::isMainThread() ? name : std::string("off-main ") + name);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  auto behaviour = static_cast<CFNotificationSuspensionBehavior>(std::atol(argv[1]));
  for (int i = 2; i < argc; ++i)
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr, onPost, argv[i], nullptr,
                                    behaviour);
  say("ready");
  dispatch_main();
}
