#include "uikit/UIAction.h"

#include <cstring>

namespace uikit {

void sendAction(NSObject* target, SEL action, NSObject* sender) {
  if (!target || !action) return;
  const char* name = sel_getName(action);
  if (std::strchr(name, ':'))
    objc::sendSel<void(NSObject*)>(target, action, sender);
  else
    objc::sendSel<void()>(target, action);
}

}  // namespace uikit
