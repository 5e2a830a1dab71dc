// The date picker: a point in time in three modes, or a count-down duration.
// Only its value is modelled; the wheels are not drawn.
#pragma once

#include "foundation/NSDate.h"
#include "uikit/UIControl.h"

enum UIDatePickerMode : long {
  UIDatePickerModeTime = 0,
  UIDatePickerModeDate = 1,
  UIDatePickerModeDateAndTime = 2,
  UIDatePickerModeCountDownTimer = 3,
};

enum UIDatePickerStyle : long {
  UIDatePickerStyleAutomatic = 0,
  UIDatePickerStyleWheels = 1,
  UIDatePickerStyleCompact = 2,
  UIDatePickerStyleInline = 3,
};

class UIDatePicker : public UIControl {
  OBJC_CLASS(UIDatePicker, UIControl)
  OBJC_OVERRIDE(initWithFrame)
  OBJC_PROPERTY(datePickerMode, setDatePickerMode, long)
  OBJC_PROPERTY(preferredDatePickerStyle, setPreferredDatePickerStyle, long)
  // Never nothing: setting nothing keeps the current date.
  OBJC_METHOD(date, "date", Ref<NSDate>())
  OBJC_METHOD(setDate, "setDate:", void(NSDate*))
  // Whole minutes from 0 to 23:59, as the count-down wheels offer: a value
  // in between is cut to its minute, one outside is brought to the nearest end.
  OBJC_METHOD(countDownDuration, "countDownDuration", double())
  OBJC_METHOD(setCountDownDuration, "setCountDownDuration:", void(double))

 public:
  static constexpr double kLongestCountDown = 23 * 3600 + 59 * 60;

 private:
  Ref<UIView> initWithFrameImpl(CGRect frame);
  Ref<NSDate> dateImpl();
  void setDateImpl(NSDate* date);
  double countDownDurationImpl() { return countDown_; }
  void setCountDownDurationImpl(double seconds);

  Ref<NSDate> date_;
  double countDown_ = 0;
};
