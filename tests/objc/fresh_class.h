// Tests that change method tables work on runtime subclasses of their own,
// named afresh each time, so they pass in any order and when repeated.
#pragma once

#include <atomic>
#include <string>
#include <string_view>

#include "objc/runtime.h"

inline Class freshSubclass(Class super, std::string_view stem) {
  static std::atomic<int> serial{0};
  std::string name = std::string(stem) + std::to_string(serial.fetch_add(1));
  Class c = objc_allocateClassPair(super, name, 0);
  objc_registerClassPair(c);
  return c;
}
