// The standard rows beyond switches and sliders: segments, text fields, and
// the placeholder a row gets when the code it needs is not loaded.
#pragma once

#include <string_view>

#include "preferences/PSTableCell.h"

// Set by the framework on a row that needs code the process does not have:
// the text names what is missing (a cell class, a page class, a selector).
inline constexpr std::string_view PSMissingCodeKey = "missingCode";

// A segment per valid value; choosing one stores its value.
class PSSegmentTableCell : public PSControlTableCell {
  OBJC_CLASS(PSSegmentTableCell, PSControlTableCell)
  OBJC_OVERRIDE(initWithStyleReuseIdentifierSpecifier)
  OBJC_OVERRIDE(setValue)
  OBJC_OVERRIDE(controlValue)
  OBJC_OVERRIDE(controlChanged)

  Ref<PSTableCell> initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuseIdentifier, PSSpecifier* item);
  void setValueImpl(NSObject* v);
  Ref<NSObject> controlValueImpl();
  void controlChangedImpl(NSObject* sender);
};

// A text field, plain or secure; what is typed is stored when editing ends.
class PSEditableTableCell : public PSControlTableCell {
  OBJC_CLASS(PSEditableTableCell, PSControlTableCell)
  OBJC_OVERRIDE(initWithStyleReuseIdentifierSpecifier)
  OBJC_OVERRIDE(setValue)
  OBJC_OVERRIDE(controlValue)
  OBJC_OVERRIDE(controlChanged)

  Ref<PSTableCell> initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuseIdentifier, PSSpecifier* item);
  void setValueImpl(NSObject* v);
  Ref<NSObject> controlValueImpl();
  void controlChangedImpl(NSObject* sender);
};

// The row's label and a note naming the code it needs; no control.
class PSPlaceholderTableCell : public PSTableCell {
  OBJC_CLASS(PSPlaceholderTableCell, PSTableCell)
  OBJC_OVERRIDE(setValue)

  void setValueImpl(NSObject* v);
};
