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
 public:
  static Ref<UIColor> colorWithRedGreenBlueAlpha(CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
    return ref_cast<UIColor>(
        objc::send<Ref<NSObject>(double, double, double, double), "colorWithRed:green:blue:alpha:">(cls(), r, g, b,
                                                                                                    a));
  }
  static Ref<UIColor> colorWithWhiteAlpha(CGFloat w, CGFloat a) {
    return ref_cast<UIColor>(objc::send<Ref<NSObject>(double, double), "colorWithWhite:alpha:">(cls(), w, a));
  }
  static Ref<UIColor> whiteColor() { return ref_cast<UIColor>(objc::send<Ref<NSObject>(), "whiteColor">(cls())); }
  static Ref<UIColor> blackColor() { return ref_cast<UIColor>(objc::send<Ref<NSObject>(), "blackColor">(cls())); }
  static Ref<UIColor> clearColor() { return ref_cast<UIColor>(objc::send<Ref<NSObject>(), "clearColor">(cls())); }
  static Ref<UIColor> labelColor() { return ref_cast<UIColor>(objc::send<Ref<NSObject>(), "labelColor">(cls())); }
  static Ref<UIColor> systemRedColor() {
    return ref_cast<UIColor>(objc::send<Ref<NSObject>(), "systemRedColor">(cls()));
  }
  static Ref<UIColor> systemGreenColor() {
    return ref_cast<UIColor>(objc::send<Ref<NSObject>(), "systemGreenColor">(cls()));
  }
  static Ref<UIColor> systemBlueColor() {
    return ref_cast<UIColor>(objc::send<Ref<NSObject>(), "systemBlueColor">(cls()));
  }

  Ref<UIColor> initWithRedGreenBlueAlpha(CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
    return objc::send<Ref<UIColor>(double, double, double, double), "initWithRed:green:blue:alpha:">(this, r, g, b, a);
  }
  Ref<UIColor> colorWithAlphaComponent(CGFloat a) {
    return objc::send<Ref<UIColor>(double), "colorWithAlphaComponent:">(this, a);
  }
  bool getRedGreenBlueAlpha(CGFloat* r, CGFloat* g, CGFloat* b, CGFloat* a) {
    return objc::send<bool(void*, void*, void*, void*), "getRed:green:blue:alpha:">(this, r, g, b, a);
  }

  // C++ conveniences for the hosts' reports; not messages.
  RGBA rgba() const { return {red_, green_, blue_, alpha_}; }
  // "#RRGGBB" followed by ":alpha" when not opaque, e.g. "#FFFFFF:0.45".
  std::string hexString() const;

 private:
  Ref<UIColor> initWithRedGreenBlueAlphaImpl(double r, double g, double b, double a);
  Ref<UIColor> colorWithAlphaComponentImpl(double a);
  bool getRedGreenBlueAlphaImpl(void* r, void* g, void* b, void* a);
  double red_, green_, blue_, alpha_;
};

// The same colour as a text, or "nil" for no colour: what the hosts report.
std::string colorReport(const UIColor* color);
