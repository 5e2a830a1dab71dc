// A sub-page: the rows of the page list its opening row names in "CVLOSub",
// one list for both appearances, with the host's own binding.
#pragma once

#include "preferences/PSListController.h"

class CVLOSubListController : public PSListController {
  OBJC_CLASS(CVLOSubListController, PSListController)
 public:
  void loadFromSpecifier(PSSpecifier* s) { objc::send<void(PSSpecifier*), "loadFromSpecifier:">(this, s); }

 private:
  void setSpecifierImpl(PSSpecifier* s);
  void loadFromSpecifierImpl(PSSpecifier* s);
  Ref<NSArray> specifiersImpl() { return _specifiers; }
  void viewDidLoadImpl();
  bool shouldReloadSpecifiersOnResumeImpl() { return false; }
};
