// The cells of settings rows. The page makes them by class name with
// initWithStyle:reuseIdentifier:specifier: and keeps them in the row's
// "cellObject"; a cell knows its row without holding it.
#pragma once

#include "objc/Weak.h"
#include "preferences/PSSpecifier.h"
#include "uikit/UIControl.h"
#include "uikit/UITableViewCell.h"

class PSTableCell;

// What a cell class may answer beyond PSTableCell's own: a cell made from its
// row alone, and a height of its own choosing.
struct PSTableCellSizing {
  using initWithSpecifierMessage = objc::Message<"initWithSpecifier:", Ref<PSTableCell>(PSSpecifier*)>;
  using preferredHeightForWidthMessage = objc::Message<"preferredHeightForWidth:", double(double)>;
};

class PSTableCell : public UITableViewCell {
  OBJC_CLASS(PSTableCell, UITableViewCell)
  OBJC_INIT(initWithStyleReuseIdentifierSpecifier,
            "initWithStyle:reuseIdentifier:specifier:", Ref<PSTableCell>(long, NSString*, PSSpecifier*))
  OBJC_METHOD(specifier, "specifier", Ref<PSSpecifier>())
  OBJC_METHOD(setSpecifier, "setSpecifier:", void(PSSpecifier*))
  // The label that shows the row's title.
  OBJC_METHOD(titleLabel, "titleLabel", Ref<UILabel>())
  // The row's current value, as the page read it.
  OBJC_METHOD(value, "value", Ref<NSObject>())
  OBJC_METHOD(setValue, "setValue:", void(NSObject*))
  OBJC_METHOD(refreshCellContentsWithSpecifier, "refreshCellContentsWithSpecifier:", void(PSSpecifier*))
  OBJC_METHOD(cellEnabled, "cellEnabled", bool())
  OBJC_METHOD(setCellEnabled, "setCellEnabled:", void(bool))
  OBJC_METHOD(type, "type", long())

 public:
  // Sends the new value to the row's target through its setter, the way a
  // control hands a change to the page (setPreferenceValue:specifier:).
  static void sendSetter(PSSpecifier* item, NSObject* value);

 private:
  Ref<PSTableCell> initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuseIdentifier, PSSpecifier* item);
  Ref<PSSpecifier> specifierImpl() { return specifier_.lock(); }
  void setSpecifierImpl(PSSpecifier* s) { specifier_ = Weak<PSSpecifier>(s); }
  Ref<UILabel> titleLabelImpl() { return textLabel(); }
  Ref<NSObject> valueImpl() { return value_; }
  void setValueImpl(NSObject* v);
  void refreshCellContentsWithSpecifierImpl(PSSpecifier* s);
  bool cellEnabledImpl() { return !disabled_; }
  void setCellEnabledImpl(bool e) { disabled_ = !e; }
  long typeImpl() { return type_; }

  Weak<PSSpecifier> specifier_ = {};
  Ref<NSObject> value_ = nullptr;
  long type_ = PSGroupCell;
  bool disabled_ = false;
};

// A cell whose accessory is a control; a change of the control is sent to
// the row's target as the new value.
class PSControlTableCell : public PSTableCell {
  OBJC_CLASS(PSControlTableCell, PSTableCell)
  OBJC_METHOD(control, "control", Ref<UIControl>())
  OBJC_METHOD(setControl, "setControl:", void(UIControl*))
  // The control's action.
  OBJC_METHOD(controlChanged, "controlChanged:", void(NSObject*))
  // The control's state as a row value.
  OBJC_METHOD(controlValue, "controlValue", Ref<NSObject>())

 private:
  Ref<UIControl> controlImpl() { return control_; }
  void setControlImpl(UIControl* c);
  void controlChangedImpl(NSObject* sender);
  Ref<NSObject> controlValueImpl() { return nullptr; }

  Ref<UIControl> control_ = nullptr;
};

class PSSwitchTableCell : public PSControlTableCell {
  OBJC_CLASS(PSSwitchTableCell, PSControlTableCell)
  OBJC_OVERRIDE(initWithStyleReuseIdentifierSpecifier)
  OBJC_OVERRIDE(setValue)
  OBJC_OVERRIDE(controlValue)

  Ref<PSTableCell> initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuseIdentifier, PSSpecifier* item);
  void setValueImpl(NSObject* v);
  Ref<NSObject> controlValueImpl();
};

class PSSliderTableCell : public PSControlTableCell {
  OBJC_CLASS(PSSliderTableCell, PSControlTableCell)
  OBJC_OVERRIDE(initWithStyleReuseIdentifierSpecifier)
  OBJC_OVERRIDE(setValue)
  OBJC_OVERRIDE(controlValue)
  OBJC_OVERRIDE(controlChanged)

  Ref<PSTableCell> initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuseIdentifier, PSSpecifier* item);
  void setValueImpl(NSObject* v);
  Ref<NSObject> controlValueImpl();
  void controlChangedImpl(NSObject* sender);
  void showValue();
};
