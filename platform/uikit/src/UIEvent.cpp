#include "uikit/UIEvent.h"

OBJC_IMPLEMENT(UIEvent)

OBJC_IMPLEMENT(UITouch)
