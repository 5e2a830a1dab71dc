#include "uikit/CAMediaTimingFunction.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace {

struct Named {
  std::string_view name;
  double x1, y1, x2, y2;
};
constexpr Named kFunctions[] = {
    {kCAMediaTimingFunctionLinear, 0.0, 0.0, 1.0, 1.0},    {kCAMediaTimingFunctionEaseIn, 0.42, 0.0, 1.0, 1.0},
    {kCAMediaTimingFunctionEaseOut, 0.0, 0.0, 0.58, 1.0},  {kCAMediaTimingFunctionEaseInEaseOut, 0.42, 0.0, 0.58, 1.0},
    {kCAMediaTimingFunctionDefault, 0.25, 0.1, 0.25, 1.0},
};

double bezier(double t, double p1, double p2) {
  double u = 1 - t;
  return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
}

}  // namespace

Ref<CAMediaTimingFunction> CAMediaTimingFunction::functionWithNameImpl(Class, NSString* name) {
  if (!name) return nullptr;
  for (const auto& f : kFunctions) {
    if (f.name != name->utf8()) continue;
    auto fn = CAMediaTimingFunction::make();
    fn->name_ = NSString::make(f.name);
    fn->x1_ = f.x1;
    fn->y1_ = f.y1;
    fn->x2_ = f.x2;
    fn->y2_ = f.y2;
    return fn;
  }
  return nullptr;
}

// The curve's x grows monotonically with its parameter, so bisection finds
// the parameter for a time; 50 halvings are below a double's resolution.
double CAMediaTimingFunction::evaluate(double t) const {
  t = std::clamp(std::isnan(t) ? 0.0 : t, 0.0, 1.0);
  if (x1_ == y1_ && x2_ == y2_) return t;
  double lo = 0, hi = 1;
  for (int i = 0; i < 50; ++i) {
    double mid = (lo + hi) / 2;
    (bezier(mid, x1_, x2_) < t ? lo : hi) = mid;
  }
  return bezier((lo + hi) / 2, y1_, y2_);
}

OBJC_IMPLEMENT(CAMediaTimingFunction)
