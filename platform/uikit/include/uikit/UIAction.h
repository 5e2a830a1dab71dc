// Target-action: an action selector takes the sender as its one argument
// ("done:") or nothing ("done"), as on the device.
#pragma once

#include "objc/define.h"

namespace uikit {
void sendAction(NSObject* target, SEL action, NSObject* sender);
}  // namespace uikit
