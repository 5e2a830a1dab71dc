// The colour-picker library's parsing entry point.
#pragma once

#include "foundation/NSString.h"
#include "uikit/UIColor.h"

// The colour `text` describes; when text is absent or not a colour string,
// the colour `fallback` describes; when neither is one, opaque white. Always a
// new colour object.
Ref<UIColor> LCPParseColorString(objc::Borrowed<NSString> text, objc::Borrowed<NSString> fallback);
