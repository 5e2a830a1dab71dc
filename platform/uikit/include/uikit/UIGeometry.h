// Points, sizes and rectangles, with the encodings the runtime checks.
#pragma once

#include <algorithm>

#include "objc/encoding.h"

using CGFloat = double;

struct CGPoint {
  CGFloat x = 0, y = 0;
  friend bool operator==(const CGPoint&, const CGPoint&) = default;
};
struct CGSize {
  CGFloat width = 0, height = 0;
  friend bool operator==(const CGSize&, const CGSize&) = default;
};
struct CGRect {
  CGPoint origin;
  CGSize size;
  friend bool operator==(const CGRect&, const CGRect&) = default;
};
struct UIEdgeInsets {
  CGFloat top = 0, left = 0, bottom = 0, right = 0;
  friend bool operator==(const UIEdgeInsets&, const UIEdgeInsets&) = default;
};

inline constexpr CGRect CGRectZero{};

// The one screen this platform draws: what a controller's view and a window
// fill, and what rows and bars are as wide as.
inline constexpr CGFloat kUIScreenWidth = 375;
inline constexpr CGFloat kUIScreenHeight = 812;
inline constexpr CGRect kUIScreenBounds{{0, 0}, {kUIScreenWidth, kUIScreenHeight}};

inline constexpr CGFloat kUINavigationBarHeight = 44;
inline constexpr CGFloat kUITableRowHeight = 44;           // a row's height when nobody says otherwise
inline constexpr CGFloat kUIGroupedSectionSpacing = 17.5;  // a grouped table's default header and footer
inline constexpr CGFloat kUICellContentInset = 16;         // the labels' and separator's leading margin
inline constexpr CGFloat kUIHairlineWidth = 0.5;
// Views fainter than this are not touched, as on the device.
inline constexpr CGFloat kUIMinimumHitTestAlpha = 0.01;

inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat w, CGFloat h) { return CGRect{{x, y}, {w, h}}; }
inline CGPoint CGPointMake(CGFloat x, CGFloat y) { return CGPoint{x, y}; }
inline CGSize CGSizeMake(CGFloat w, CGFloat h) { return CGSize{w, h}; }
inline CGFloat CGRectGetMinX(CGRect r) { return std::min(r.origin.x, r.origin.x + r.size.width); }
inline CGFloat CGRectGetMaxX(CGRect r) { return std::max(r.origin.x, r.origin.x + r.size.width); }
inline CGFloat CGRectGetMinY(CGRect r) { return std::min(r.origin.y, r.origin.y + r.size.height); }
inline CGFloat CGRectGetMaxY(CGRect r) { return std::max(r.origin.y, r.origin.y + r.size.height); }
inline CGFloat CGRectGetWidth(CGRect r) { return r.size.width < 0 ? -r.size.width : r.size.width; }
inline CGFloat CGRectGetHeight(CGRect r) { return r.size.height < 0 ? -r.size.height : r.size.height; }
inline bool CGRectContainsPoint(CGRect r, CGPoint p) {
  return p.x >= CGRectGetMinX(r) && p.x < CGRectGetMaxX(r) && p.y >= CGRectGetMinY(r) && p.y < CGRectGetMaxY(r);
}

template <>
struct objc::TypeEncoding<CGPoint> {
  static constexpr const char* value = "{CGPoint=dd}";
};
template <>
struct objc::TypeEncoding<CGSize> {
  static constexpr const char* value = "{CGSize=dd}";
};
template <>
struct objc::TypeEncoding<CGRect> {
  static constexpr const char* value = "{CGRect=dddd}";
};
template <>
struct objc::TypeEncoding<UIEdgeInsets> {
  static constexpr const char* value = "{UIEdgeInsets=dddd}";
};
