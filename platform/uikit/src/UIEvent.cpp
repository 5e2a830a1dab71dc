#include "uikit/UIEvent.h"

OBJC_IMPLEMENT(UIEvent, timestamp)

OBJC_IMPLEMENT(UITouch, initWithLocation, location)
