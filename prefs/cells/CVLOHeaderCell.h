// The banner as a row of a page list: the product icon above "Corvallo" in
// large type, the name in the row's theme colour.
#pragma once

#include "preferences/PSTableCell.h"

class CVLOHeaderCell : public PSTableCell {
  OBJC_CLASS(CVLOHeaderCell, PSTableCell)
  OBJC_PROTOCOL_METHOD(PSTableCellSizing, initWithSpecifier)
  OBJC_PROTOCOL_METHOD(PSTableCellSizing, preferredHeightForWidth)
  OBJC_OVERRIDE(layoutSubviews)

 public:
  // Where the icon is read from, and the prefix tried when it is not there.
  static constexpr const char* kIconPath = "/Library/PreferenceBundles/CorvalloPrefs.bundle/Corvallo-fullsize.png";
  static constexpr const char* kJailbreakPrefix = "/var/jb";

 private:
  Ref<PSTableCell> initWithSpecifierImpl(PSSpecifier* item);
  double preferredHeightForWidthImpl(double) { return 90.0; }
  // The views keep the frames they were given; only automatic resizing moves them.
  void layoutSubviewsImpl() {}
};
