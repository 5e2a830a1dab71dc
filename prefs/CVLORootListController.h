// The first page of the bundle: the base page with a banner above its rows
// (icon and name glowing in the theme colour), the scrolling title in the
// navigation bar, and an options button whose menu offers respring and reset.
#pragma once

#include "CVLOBaseListController.h"
#include "uikit/UIButton.h"

class CVLORootListController : public CVLOBaseListController {
  OBJC_CLASS(CVLORootListController, CVLOBaseListController)
  OBJC_PROPERTY(optionsButtonView, setOptionsButtonView, Ref<UIView>)
  OBJC_PROPERTY(optionsButton, setOptionsButton, Ref<UIButton>)
  OBJC_PROPERTY(optionsLabel, setOptionsLabel, Ref<UILabel>)
  OBJC_PROPERTY(menuButton, setMenuButton, Ref<UIBarButtonItem>)

  OBJC_OVERRIDE(specifiers)
  OBJC_METHOD(setupTableHeader, "setupTableHeader", void())
  OBJC_METHOD(setupBetterTitleView, "setupBetterTitleView", void())
  OBJC_OVERRIDE(traitCollectionDidChange)
  OBJC_PROTOCOL_METHOD(UITableViewDelegate, scrollViewDidScroll)
  OBJC_OVERRIDE(loadView)
  OBJC_OVERRIDE(viewDidLoad)
  OBJC_OVERRIDE(viewWillAppear)
  OBJC_OVERRIDE(viewDidAppear)

 public:
  static constexpr const char* kTitle = "Corvallo";
  static constexpr const char* kGlowKey = "shadowRadius";
  // The reset entry's symbol on 15.0 and later, and before.
  static constexpr const char* kResetSymbol = "slider.horizontal.2.rectangle.and.arrow.triangle.2.circlepath";
  static constexpr const char* kOlderResetSymbol = "exclamationmark.arrow.triangle.2.circlepath";
  static constexpr const char* kRespringSymbol = "arrow.triangle.2.circlepath";

 private:
  Ref<NSArray> specifiersImpl();
  Ref<UIMenu> optionsMenu();
  void buildOptionsControl(UIMenu* menu);
  void setupTableHeaderImpl();
  void setupBetterTitleViewImpl();
  void traitCollectionDidChangeImpl(UITraitCollection* previous);
  void scrollViewDidScrollImpl(UIView* scrollView);
  void loadViewImpl();
  void viewDidLoadImpl();
  void viewWillAppearImpl(bool animated);
  void viewDidAppearImpl(bool animated);
  void decorate();
};
