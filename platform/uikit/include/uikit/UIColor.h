// Colours. Identity matters: two equal colours are still two objects, and
// code that restores a colour compares objects, not values.
#pragma once

#include <string>

#include "objc/define.h"
#include "uikit/UIGeometry.h"

struct RGBA {
  CGFloat red = 0, green = 0, blue = 0, alpha = 0;
  friend bool operator==(const RGBA&, const RGBA&) = default;
};

class UIColor : public NSObject {
  OBJC_CLASS(UIColor, NSObject)
  OBJC_CLASS_METHOD(colorWithRedGreenBlueAlpha,
                    "colorWithRed:green:blue:alpha:", Ref<UIColor>(double, double, double, double))
  OBJC_CLASS_METHOD(colorWithWhiteAlpha, "colorWithWhite:alpha:", Ref<UIColor>(double, double))
  OBJC_CLASS_METHOD(whiteColor, "whiteColor", Ref<UIColor>())
  OBJC_CLASS_METHOD(blackColor, "blackColor", Ref<UIColor>())
  OBJC_CLASS_METHOD(clearColor, "clearColor", Ref<UIColor>())
  OBJC_CLASS_METHOD(labelColor, "labelColor", Ref<UIColor>())
  OBJC_CLASS_METHOD(systemRedColor, "systemRedColor", Ref<UIColor>())
  OBJC_CLASS_METHOD(systemGreenColor, "systemGreenColor", Ref<UIColor>())
  OBJC_CLASS_METHOD(systemBlueColor, "systemBlueColor", Ref<UIColor>())
  OBJC_INIT(initWithRedGreenBlueAlpha, "initWithRed:green:blue:alpha:", Ref<UIColor>(double, double, double, double))
  OBJC_METHOD(colorWithAlphaComponent, "colorWithAlphaComponent:", Ref<UIColor>(double))
  // Each pointer may be nothing; the others are still filled.
  OBJC_METHOD(getRedGreenBlueAlpha, "getRed:green:blue:alpha:", bool(void*, void*, void*, void*))

 public:
  // C++ conveniences for the hosts' reports; not messages.
  RGBA rgba() const { return {red_, green_, blue_, alpha_}; }
  // "#RRGGBB" followed by ":alpha" when not opaque, e.g. "#FFFFFF:0.45".
  std::string hexString() const;

 private:
  static Ref<UIColor> colorWithRedGreenBlueAlphaImpl(Class self, double r, double g, double b, double a);
  static Ref<UIColor> colorWithWhiteAlphaImpl(Class self, double w, double a);
  static Ref<UIColor> whiteColorImpl(Class self);
  static Ref<UIColor> blackColorImpl(Class self);
  static Ref<UIColor> clearColorImpl(Class self);
  static Ref<UIColor> labelColorImpl(Class self);
  static Ref<UIColor> systemRedColorImpl(Class self);
  static Ref<UIColor> systemGreenColorImpl(Class self);
  static Ref<UIColor> systemBlueColorImpl(Class self);
  Ref<UIColor> initWithRedGreenBlueAlphaImpl(double r, double g, double b, double a);
  Ref<UIColor> colorWithAlphaComponentImpl(double a);
  bool getRedGreenBlueAlphaImpl(void* r, void* g, void* b, void* a);
  double red_ = 0, green_ = 0, blue_ = 0, alpha_ = 0;
};

// The same colour as a text, or "nil" for no colour: what the hosts report.
std::string colorReport(const UIColor* color);
