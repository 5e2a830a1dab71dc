// The substrate's method-hooking call.
#pragma once

#include "objc/runtime.h"

// Makes cls answer sel with `replacement` and stores in *previous what
// answered before. When cls only inherits sel, the entry is added to cls
// alone and *previous is the implementation the superclass chain answers now.
// An absent class, or a selector nobody answers, changes nothing and leaves
// *previous as it was.
void MSHookMessageEx(Class cls, SEL sel, IMP replacement, IMP* previous);
