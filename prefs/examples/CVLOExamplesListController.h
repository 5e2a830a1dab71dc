// The page of "Corvallo Examples": one row of every cell class the bundle
// defines that no Corvallo setting needs, bound to a domain of its own, so
// that a person, a test or a picture can see and drive each of them.
#pragma once

#include "CVLOBaseListController.h"

class CVLOExamplesListController : public CVLOBaseListController {
  OBJC_CLASS(CVLOExamplesListController, CVLOBaseListController)
  OBJC_OVERRIDE(specifiers)

 public:
  // The page list, the same in both appearances; new example rows go there.
  static constexpr const char* kPageList = "Examples";
  static constexpr const char* kDomain = "com.tenvarix.corvalloexamples";

 private:
  Ref<NSArray> specifiersImpl();
};
