#include "substrate/substrate.h"

void MSHookMessageEx(Class cls, SEL sel, IMP replacement, IMP* previous) {
  if (!cls || !sel || !replacement) return;
  IMP before = objc::exchangeOrAddMethod(cls, sel, replacement, /*requireAnswer=*/true);
  if (before && previous) *previous = before;
}
