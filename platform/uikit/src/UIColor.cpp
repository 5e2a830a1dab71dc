#include "uikit/UIColor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
double clamp01(double v) { return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0); }
}  // namespace

// Sent to a subclass, the factories make an instance of that subclass.
Ref<UIColor> UIColor::colorWithRedGreenBlueAlphaImpl(Class self, double r, double g, double b, double a) {
  Ref<NSObject> fresh = objc::send<allocMessage>(self);
  return objc::send<initWithRedGreenBlueAlphaMessage>(fresh, r, g, b, a);
}
Ref<UIColor> UIColor::colorWithWhiteAlphaImpl(Class self, double w, double a) {
  return colorWithRedGreenBlueAlphaImpl(self, w, w, w, a);
}
Ref<UIColor> UIColor::whiteColorImpl(Class self) { return colorWithRedGreenBlueAlphaImpl(self, 1, 1, 1, 1); }
Ref<UIColor> UIColor::blackColorImpl(Class self) { return colorWithRedGreenBlueAlphaImpl(self, 0, 0, 0, 1); }
Ref<UIColor> UIColor::clearColorImpl(Class self) { return colorWithRedGreenBlueAlphaImpl(self, 0, 0, 0, 0); }
Ref<UIColor> UIColor::labelColorImpl(Class self) { return colorWithRedGreenBlueAlphaImpl(self, 0, 0, 0, 1); }
Ref<UIColor> UIColor::systemRedColorImpl(Class self) {
  return colorWithRedGreenBlueAlphaImpl(self, 1, 59 / 255.0, 48 / 255.0, 1);
}
Ref<UIColor> UIColor::systemGreenColorImpl(Class self) {
  return colorWithRedGreenBlueAlphaImpl(self, 52 / 255.0, 199 / 255.0, 89 / 255.0, 1);
}
Ref<UIColor> UIColor::systemBlueColorImpl(Class self) {
  return colorWithRedGreenBlueAlphaImpl(self, 0, 122 / 255.0, 1, 1);
}

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

OBJC_IMPLEMENT(UIColor)
