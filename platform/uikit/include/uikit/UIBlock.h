// A block as an object, so handlers can travel through messages: what
// ^(UIAlertAction *action){ … } is on the device.
#pragma once

#include <functional>

#include "objc/define.h"

class _UIBlock : public NSObject {
  OBJC_CLASS(_UIBlock, NSObject)
 public:
  using Fn = std::function<void(NSObject*)>;
  // Not a message: a C++ function has no encoding to travel as.
  static Ref<_UIBlock> make(Fn fn);
  void call(NSObject* argument) {
    if (fn_) fn_(argument);
  }

 private:
  Fn fn_;
};
