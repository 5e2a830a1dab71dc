// Picker rows: the row shows its value by style, opens its overlay when
// tapped, and refreshes when its notification is posted by any process.
#pragma once

#include "CVLODateTimePickerStyle.h"
#include "CVLODateTimePickerView.h"
#include "cells/CVLOBaseTableCell.h"
#include "notify/CFNotificationCenter.h"
#include "uikit/UIViewController.h"

class CVLODateTimePicker : public CVLOBaseTableCell {
  OBJC_CLASS(CVLODateTimePicker, CVLOBaseTableCell)
  OBJC_INIT(initWithStyleReuseIdentifierSpecifierWithPickerStyle,
            "initWithStyle:reuseIdentifier:specifier:withPickerStyle:",
            Ref<CVLODateTimePicker>(long, NSString*, PSSpecifier*, long))
  OBJC_OVERRIDE(dealloc)
  OBJC_OVERRIDE(layoutSubviews)
  OBJC_OVERRIDE(removeFromSuperview)
  OBJC_METHOD(presentDateTimePicker, "presentDateTimePicker", void())
  OBJC_METHOD(updateValueLabel, "updateValueLabel", void())
  OBJC_PROPERTY(dateTimePickerView, setDateTimePickerView, Ref<CVLODateTimePickerView>)
  OBJC_PROPERTY(rootViewController, setRootViewController, Ref<UIViewController>)
  OBJC_METHOD(dateTimePickerStyle, "dateTimePickerStyle", long())
  OBJC_METHOD(setDateTimePickerStyle, "setDateTimePickerStyle:", void(long))

 public:
  // Whether the cell listens to its row's notification now (for tests and the host).
  bool isListening() const { return !listeningTo_.empty(); }

 protected:
  void presentFromEntryPoint() { presentDateTimePicker(); }

 private:
  Ref<CVLODateTimePicker> initWithStyleReuseIdentifierSpecifierWithPickerStyleImpl(long style, NSString* reuse,
                                                                                   PSSpecifier* item, long pickerStyle);
  void deallocImpl();
  void layoutSubviewsImpl();
  void removeFromSuperviewImpl();
  void presentDateTimePickerImpl();
  void updateValueLabelImpl();
  long dateTimePickerStyleImpl() { return pickerStyle_; }
  void setDateTimePickerStyleImpl(long style);
  void stopListening();

  long pickerStyle_ = CVLODateTimePickerStyleDate;
  std::string listeningTo_;  // the name registered with the Darwin centre, if any
};

// The four rows a page list names; each only chooses its style.
class CVLODatePicker : public CVLODateTimePicker {
  OBJC_CLASS(CVLODatePicker, CVLODateTimePicker)
  OBJC_OVERRIDE(initWithStyleReuseIdentifierSpecifier)
  OBJC_OVERRIDE(layoutSubviews)
  OBJC_METHOD(presentDatePicker, "presentDatePicker", void())
  Ref<PSTableCell> initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuse, PSSpecifier* item);
  void layoutSubviewsImpl() { sendSuper<layoutSubviewsMessage>(); }
  void presentDatePickerImpl() { presentFromEntryPoint(); }
};

class CVLOTimePicker : public CVLODateTimePicker {
  OBJC_CLASS(CVLOTimePicker, CVLODateTimePicker)
  OBJC_OVERRIDE(initWithStyleReuseIdentifierSpecifier)
  OBJC_OVERRIDE(layoutSubviews)
  OBJC_METHOD(presentTimePicker, "presentTimePicker", void())
  Ref<PSTableCell> initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuse, PSSpecifier* item);
  void layoutSubviewsImpl() { sendSuper<layoutSubviewsMessage>(); }
  void presentTimePickerImpl() { presentFromEntryPoint(); }
};

class CVLOTimeIntervalPicker : public CVLODateTimePicker {
  OBJC_CLASS(CVLOTimeIntervalPicker, CVLODateTimePicker)
  OBJC_OVERRIDE(initWithStyleReuseIdentifierSpecifier)
  OBJC_OVERRIDE(layoutSubviews)
  OBJC_METHOD(presentTimeIntervalPicker, "presentTimeIntervalPicker", void())
  Ref<PSTableCell> initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuse, PSSpecifier* item);
  void layoutSubviewsImpl() { sendSuper<layoutSubviewsMessage>(); }
  void presentTimeIntervalPickerImpl() { presentFromEntryPoint(); }
};

class CVLODateAndTimePicker : public CVLODateTimePicker {
  OBJC_CLASS(CVLODateAndTimePicker, CVLODateTimePicker)
  OBJC_OVERRIDE(initWithStyleReuseIdentifierSpecifier)
  OBJC_OVERRIDE(layoutSubviews)
  OBJC_METHOD(presentDateAndTimePicker, "presentDateAndTimePicker", void())
  Ref<PSTableCell> initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuse, PSSpecifier* item);
  void layoutSubviewsImpl() { sendSuper<layoutSubviewsMessage>(); }
  void presentDateAndTimePickerImpl() { presentFromEntryPoint(); }
};

// The Darwin centre's callback: refreshes the observing cell's value text.
extern "C" void updateValueLabelCallback(CFNotificationCenterRef center, void* observer, CFNotificationName name,
                                         const void* object, CFDictionaryRef userInfo);
