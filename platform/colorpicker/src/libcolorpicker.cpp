#include "colorpicker/libcolorpicker.h"

#include "colorpicker/ColorString.h"

Ref<UIColor> LCPParseColorString(objc::Borrowed<NSString> textArg, objc::Borrowed<NSString> fallbackArg) {
  NSString* text = textArg.get();
  NSString* fallback = fallbackArg.get();
  std::optional<RGBA> c;
  if (text) c = colorpicker::parseColorString(text->utf8());
  if (!c && fallback) c = colorpicker::parseColorString(fallback->utf8());
  RGBA v = c.value_or(RGBA{1, 1, 1, 1});
  return UIColor::colorWithRedGreenBlueAlpha(v.red, v.green, v.blue, v.alpha);
}
