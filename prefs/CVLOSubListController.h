// A sub-page: the rows of the page list its opening row names in "CVLOSub",
// one list for both appearances, with the host's own binding, in the theme
// colour of the pages it opens from.
#pragma once

#include "preferences/PSListController.h"

class CVLOSubListController : public PSListController {
  OBJC_CLASS(CVLOSubListController, PSListController)

  OBJC_METHOD(loadFromSpecifier, "loadFromSpecifier:", void(PSSpecifier*))
  OBJC_OVERRIDE(setSpecifier)
  OBJC_OVERRIDE(specifiers)
  OBJC_OVERRIDE(viewDidLoad)
  OBJC_OVERRIDE(viewWillAppear)
  OBJC_OVERRIDE(viewWillDisappear)
  OBJC_OVERRIDE(shouldReloadSpecifiersOnResume)

 private:
  void setSpecifierImpl(PSSpecifier* s);
  void loadFromSpecifierImpl(PSSpecifier* s);
  Ref<NSArray> specifiersImpl() { return _specifiers; }
  void viewDidLoadImpl();
  void viewWillAppearImpl(bool animated);
  void viewWillDisappearImpl(bool animated);
  bool shouldReloadSpecifiersOnResumeImpl() { return false; }
};
