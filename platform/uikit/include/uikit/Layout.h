// The constraint pass of a view's layout.
#pragma once

class UIView;

namespace uikit {

// Resolves the constraints installed on `owner`: views that lay themselves
// out by constraints first take their intrinsic size, then each equality is
// applied in order, over and over until nothing moves (at most eight rounds),
// so a constraint that depends on a later one still settles. Only equalities
// with a multiplier of 1 exist here, so that finds the one solution whenever
// the constraints have one.
void resolveConstraints(UIView* owner);

}  // namespace uikit
