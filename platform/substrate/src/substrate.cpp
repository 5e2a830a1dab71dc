#include "substrate/substrate.h"

#include <cstdio>

void MSHookMessageEx(Class cls, SEL sel, IMP replacement, IMP* previous) {
  if (!cls || !sel || !replacement) return;
  auto result = objc::exchangeOrAddMethod(cls, sel, replacement, previous);
  // A host whose method changed shape must keep running: the hook is refused.
  if (result.status == objc::HookStatus::SignatureMismatch)
    std::fprintf(stderr, "MSHookMessageEx: %s %s not hooked: the method is \"%s\", the replacement \"%s\"\n",
                 class_getName(cls), sel_getName(sel), result.before.types, replacement.types);
}
