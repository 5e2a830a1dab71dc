#include "uikit/UIColor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

double clamp01(double v) { return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0); }

Ref<NSObject> colorWithRGBA(NSObject* cls, SEL, double r, double g, double b, double a) {
  auto c = ref_cast<UIColor>(objc::send<Ref<NSObject>(), "alloc">(cls));
  return c->initWithRedGreenBlueAlpha(r, g, b, a);
}
Ref<NSObject> colorWithWhite(NSObject* cls, SEL, double w, double a) { return colorWithRGBA(cls, nullptr, w, w, w, a); }
Ref<NSObject> white(NSObject* cls, SEL) { return colorWithRGBA(cls, nullptr, 1, 1, 1, 1); }
Ref<NSObject> black(NSObject* cls, SEL) { return colorWithRGBA(cls, nullptr, 0, 0, 0, 1); }
Ref<NSObject> clear(NSObject* cls, SEL) { return colorWithRGBA(cls, nullptr, 0, 0, 0, 0); }
Ref<NSObject> label(NSObject* cls, SEL) { return colorWithRGBA(cls, nullptr, 0, 0, 0, 1); }
Ref<NSObject> systemRed(NSObject* cls, SEL) { return colorWithRGBA(cls, nullptr, 1, 59 / 255.0, 48 / 255.0, 1); }
Ref<NSObject> systemGreen(NSObject* cls, SEL) { return colorWithRGBA(cls, nullptr, 52 / 255.0, 199 / 255.0, 89 / 255.0, 1); }
Ref<NSObject> systemBlue(NSObject* cls, SEL) { return colorWithRGBA(cls, nullptr, 0, 122 / 255.0, 1, 1); }

}  // namespace

Ref<UIColor> UIColor::initWithRedGreenBlueAlphaImpl(double r, double g, double b, double a) {
  red_ = clamp01(r);
  green_ = clamp01(g);
  blue_ = clamp01(b);
  alpha_ = clamp01(a);
  return Ref<UIColor>(this);
}

Ref<UIColor> UIColor::colorWithAlphaComponentImpl(double a) {
  return colorWithRedGreenBlueAlpha(red_, green_, blue_, a);
}

bool UIColor::getRedGreenBlueAlphaImpl(void* r, void* g, void* b, void* a) {
  if (r) *static_cast<double*>(r) = red_;
  if (g) *static_cast<double*>(g) = green_;
  if (b) *static_cast<double*>(b) = blue_;
  if (a) *static_cast<double*>(a) = alpha_;
  return true;
}

std::string UIColor::hexString() const {
  auto byte = [](double v) { return static_cast<unsigned>(std::lround(v * 255.0)); };
  char buf[32];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", byte(red_), byte(green_), byte(blue_));
  std::string s = buf;
  if (alpha_ < 1.0) {
    std::snprintf(buf, sizeof buf, ":%.2f", alpha_);
    s += buf;
  }
  return s;
}

std::string colorReport(const UIColor* color) { return color ? color->hexString() : "nil"; }

OBJC_IMPLEMENT_LEGACY(UIColor)
void UIColor::registerMethods(objc::ClassBuilder<UIColor>& b) {
  b.classMethod<"colorWithRed:green:blue:alpha:", &colorWithRGBA>()
      .classMethod<"colorWithWhite:alpha:", &colorWithWhite>()
      .classMethod<"whiteColor", &white>()
      .classMethod<"blackColor", &black>()
      .classMethod<"clearColor", &clear>()
      .classMethod<"labelColor", &label>()
      .classMethod<"systemBlueColor", &systemBlue>()
      .classMethod<"systemRedColor", &systemRed>()
      .classMethod<"systemGreenColor", &systemGreen>()
      .method<"initWithRed:green:blue:alpha:", &UIColor::initWithRedGreenBlueAlphaImpl>()
      .method<"colorWithAlphaComponent:", &UIColor::colorWithAlphaComponentImpl>()
      .method<"getRed:green:blue:alpha:", &UIColor::getRedGreenBlueAlphaImpl>();
}
