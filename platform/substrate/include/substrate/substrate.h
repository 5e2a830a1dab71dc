// The substrate's method-hooking call.
#pragma once

#include "objc/runtime.h"

// Makes cls answer sel with `replacement` and stores in *previous what
// answered before. When cls only inherits sel, the entry is added to cls
// alone and *previous is the implementation the superclass chain answers now.
// An absent class, a selector nobody answers, or a replacement whose
// signature differs from the method's changes nothing and leaves *previous as
// it was; the last is logged, so a host never dies of a stale hook.
void MSHookMessageEx(Class cls, SEL sel, IMP replacement, IMP* previous);
