// The cells of settings rows. The page makes them by class name with
// initWithStyle:reuseIdentifier:specifier: and keeps them in the row's
// "cellObject"; a cell knows its row without holding it.
#pragma once

#include "preferences/PSSpecifier.h"
#include "uikit/UIControls.h"
#include "uikit/UITableViewCell.h"

class PSTableCell : public UITableViewCell {
  OBJC_CLASS(PSTableCell, UITableViewCell)
 public:
  Ref<PSTableCell> initWithStyleReuseIdentifierSpecifier(long style, NSString* reuseIdentifier, PSSpecifier* item) {
    return objc::send<Ref<PSTableCell>(long, NSString*, PSSpecifier*), "initWithStyle:reuseIdentifier:specifier:">(
        this, style, reuseIdentifier, item);
  }
  Ref<PSSpecifier> specifier() { return objc::send<Ref<PSSpecifier>(), "specifier">(this); }
  void setSpecifier(PSSpecifier* s) { objc::send<void(PSSpecifier*), "setSpecifier:">(this, s); }
  // The label that shows the row's title.
  Ref<UILabel> titleLabel() { return objc::send<Ref<UILabel>(), "titleLabel">(this); }
  // The row's current value, as the page read it.
  Ref<NSObject> value() { return objc::send<Ref<NSObject>(), "value">(this); }
  void setValue(NSObject* v) { objc::send<void(NSObject*), "setValue:">(this, v); }
  void refreshCellContentsWithSpecifier(PSSpecifier* s) {
    objc::send<void(PSSpecifier*), "refreshCellContentsWithSpecifier:">(this, s);
  }
  bool cellEnabled() { return objc::send<bool(), "cellEnabled">(this); }
  void setCellEnabled(bool e) { objc::send<void(bool), "setCellEnabled:">(this, e); }
  long type() { return objc::send<long(), "type">(this); }

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

  Weak<PSSpecifier> specifier_;
  Ref<NSObject> value_;
  long type_;
  bool disabled_;
};

// A cell whose accessory is a control; a change of the control is sent to
// the row's target as the new value.
class PSControlTableCell : public PSTableCell {
  OBJC_CLASS(PSControlTableCell, PSTableCell)
 public:
  Ref<UIControl> control() { return objc::send<Ref<UIControl>(), "control">(this); }
  void setControl(UIControl* c) { objc::send<void(UIControl*), "setControl:">(this, c); }
  void controlChanged(NSObject* sender) { objc::send<void(NSObject*), "controlChanged:">(this, sender); }
  Ref<NSObject> controlValue() { return objc::send<Ref<NSObject>(), "controlValue">(this); }

 private:
  Ref<UIControl> controlImpl() { return control_; }
  void setControlImpl(UIControl* c);
  void controlChangedImpl(NSObject* sender);
  Ref<NSObject> controlValueImpl() { return nullptr; }
  Ref<UIControl> control_;
};

class PSSwitchTableCell : public PSControlTableCell {
  OBJC_CLASS(PSSwitchTableCell, PSControlTableCell)
 private:
  Ref<PSTableCell> initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuseIdentifier, PSSpecifier* item);
  void setValueImpl(NSObject* v);
  Ref<NSObject> controlValueImpl();
};

class PSSliderTableCell : public PSControlTableCell {
  OBJC_CLASS(PSSliderTableCell, PSControlTableCell)
 private:
  Ref<PSTableCell> initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuseIdentifier, PSSpecifier* item);
  void setValueImpl(NSObject* v);
  Ref<NSObject> controlValueImpl();
  void controlChangedImpl(NSObject* sender);
  void showValue();
};
