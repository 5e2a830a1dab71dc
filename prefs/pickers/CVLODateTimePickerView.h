// The modal editor of a picker row: a dimmed backdrop over the whole window
// content and a rounded card with the date picker, Cancel and Submit. It knows
// its row only by the values it is built with.
#pragma once

#include "CVLODateTimePickerStyle.h"
#include "foundation/NSDate.h"
#include "preferences/NSBundle.h"
#include "uikit/UIButton.h"
#include "uikit/UIDatePicker.h"

class CVLODateTimePickerView : public UIView {
  OBJC_CLASS(CVLODateTimePickerView, UIView)
  OBJC_INIT(initWithFrameTintColorKeyDefaultValueDefaultsPostNotificationDateTimePickerStyle,
            "initWithFrame:tintColor:key:defaultValue:defaults:postNotification:dateTimePickerStyle:",
            Ref<CVLODateTimePickerView>(CGRect, UIColor*, NSString*, NSString*, NSString*, NSString*, long))
  OBJC_INIT(initWithFrameTintColorKeyDefaultsPostNotification, "initWithFrame:tintColor:key:defaults:postNotification:",
            Ref<CVLODateTimePickerView>(CGRect, UIColor*, NSString*, NSString*, NSString*))
  OBJC_OVERRIDE(layoutSubviews)
  OBJC_OVERRIDE(didMoveToSuperview)

  OBJC_METHOD(presentDateTimePicker, "presentDateTimePicker", void())
  OBJC_METHOD(hideDateTimePicker, "hideDateTimePicker", void())
  OBJC_METHOD(cancelDateTimePicker, "cancelDateTimePicker", void())
  OBJC_METHOD(submitDateTimePicker, "submitDateTimePicker", void())
  OBJC_METHOD(localizedStringForKey, "localizedStringForKey:", Ref<NSString>(NSString*))
  OBJC_METHOD(isDarkModeEnabled, "isDarkModeEnabled", bool())

  OBJC_PROPERTY(preferenceBundle, setPreferenceBundle, Ref<NSBundle>)
  OBJC_PROPERTY(themeTintColor, setThemeTintColor, Ref<UIColor>)
  OBJC_PROPERTY(backgroundView, setBackgroundView, Ref<UIView>)
  OBJC_PROPERTY(bodyView, setBodyView, Ref<UIView>)
  OBJC_PROPERTY(dateTimePicker, setDateTimePicker, Ref<UIDatePicker>)
  OBJC_PROPERTY(cancelButton, setCancelButton, Ref<UIButton>)
  OBJC_PROPERTY(submitButton, setSubmitButton, Ref<UIButton>)
  OBJC_PROPERTY(timeIntervalValue, setTimeIntervalValue, double)
  OBJC_PROPERTY(dateValue, setDateValue, Ref<NSDate>)
  OBJC_PROPERTY(key, setKey, Ref<NSString>)
  OBJC_PROPERTY(defaultValue, setDefaultValue, Ref<NSString>)
  OBJC_PROPERTY(defaults, setDefaults, Ref<NSString>)
  OBJC_PROPERTY(postNotification, setPostNotification, Ref<NSString>)
  OBJC_PROPERTY(dateTimePickerBodyColor, setDateTimePickerBodyColor, Ref<UIColor>)
  OBJC_PROPERTY(dateTimePickerButtonColor, setDateTimePickerButtonColor, Ref<UIColor>)
  OBJC_PROPERTY(dateTimePickerBackgroundViewAlpha, setDateTimePickerBackgroundViewAlpha, double)
  // Written by hand: a style set after the first layout still sets the wheels' mode.
  OBJC_METHOD(dateTimePickerStyle, "dateTimePickerStyle", long())
  OBJC_METHOD(setDateTimePickerStyle, "setDateTimePickerStyle:", void(long))
  OBJC_REGISTRATION(styleProperty)

 private:
  Ref<CVLODateTimePickerView> initWithFrameTintColorKeyDefaultValueDefaultsPostNotificationDateTimePickerStyleImpl(
      CGRect frame, UIColor* tint, NSString* key, NSString* defaultValue, NSString* defaults,
      NSString* postNotification, long style);
  Ref<CVLODateTimePickerView> initWithFrameTintColorKeyDefaultsPostNotificationImpl(CGRect frame, UIColor* tint,
                                                                                    NSString* key, NSString* defaults,
                                                                                    NSString* postNotification);
  void layoutSubviewsImpl();
  void didMoveToSuperviewImpl();
  void presentDateTimePickerImpl();
  void hideDateTimePickerImpl();
  void cancelDateTimePickerImpl();
  void submitDateTimePickerImpl();
  Ref<NSString> localizedStringForKeyImpl(NSString* key);
  bool isDarkModeEnabledImpl();
  long dateTimePickerStyleImpl() { return dateTimePickerStyle_; }
  void setDateTimePickerStyleImpl(long style);
  static void objcRegister_styleProperty(objc::ClassBuilder<CVLODateTimePickerView>& b);

  // The value to edit, from a domain copy: the stored one or the fallback.
  void takeValueFrom(NSDictionary* domain);
  void chooseColors();
  // The wheels' mode and value for the style.
  void applyStyleToPicker();
  Ref<UIButton> makeButton(const char* titleKey, SEL action, CGRect frame);

  long dateTimePickerStyle_ = CVLODateTimePickerStyleDate;
  bool laidOut_ = false;
};
