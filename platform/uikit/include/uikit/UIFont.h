// Fonts: the system face at a size and weight. The system face is Inter, with
// DejaVu Sans where Inter is not installed (see docs/ARCHITECTURE.md); text is
// measured with Pango (uikit/TextMeasure.h).
#pragma once

#include "foundation/NSString.h"

// The device's weights, from ultra light to black.
inline constexpr double UIFontWeightUltraLight = -0.8;
inline constexpr double UIFontWeightThin = -0.6;
inline constexpr double UIFontWeightLight = -0.4;
inline constexpr double UIFontWeightRegular = 0.0;
inline constexpr double UIFontWeightMedium = 0.23;
inline constexpr double UIFontWeightSemibold = 0.3;
inline constexpr double UIFontWeightBold = 0.4;
inline constexpr double UIFontWeightHeavy = 0.56;
inline constexpr double UIFontWeightBlack = 0.62;

class UIFont : public NSObject {
  OBJC_CLASS(UIFont, NSObject)
  OBJC_CLASS_METHOD(systemFontOfSize, "systemFontOfSize:", Ref<UIFont>(double))
  OBJC_CLASS_METHOD(systemFontOfSizeWeight, "systemFontOfSize:weight:", Ref<UIFont>(double, double))
  OBJC_CLASS_METHOD(boldSystemFontOfSize, "boldSystemFontOfSize:", Ref<UIFont>(double))
  OBJC_METHOD(pointSize, "pointSize", double())
  OBJC_METHOD(weight, "weight", double())
  // "Inter", or the fallback family when Inter is missing.
  OBJC_METHOD(familyName, "familyName", Ref<NSString>())
  OBJC_METHOD(fontWithSize, "fontWithSize:", Ref<UIFont>(double))

 public:
  // The CSS-style weight (100 to 900) the face is drawn with (not a message).
  int cssWeight() const;

 private:
  static Ref<UIFont> systemFontOfSizeImpl(Class self, double size);
  static Ref<UIFont> systemFontOfSizeWeightImpl(Class self, double size, double weight);
  static Ref<UIFont> boldSystemFontOfSizeImpl(Class self, double size);
  double pointSizeImpl() { return size_; }
  double weightImpl() { return weight_; }
  Ref<NSString> familyNameImpl();
  Ref<UIFont> fontWithSizeImpl(double size);
  double size_ = 0;
  double weight_ = UIFontWeightRegular;
};

// The size labels and buttons use when nobody gives them a font.
inline constexpr double kUILabelDefaultFontSize = 17;
inline constexpr double kUIButtonDefaultFontSize = 15;
