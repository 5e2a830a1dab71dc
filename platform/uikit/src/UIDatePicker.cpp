#include "uikit/UIDatePicker.h"

#include <algorithm>
#include <cmath>

OBJC_IMPLEMENT(UIDatePicker)

Ref<UIView> UIDatePicker::initWithFrameImpl(CGRect frame) {
  Ref<UIView> self = sendSuper<initWithFrameMessage>(frame);
  if (!self) return nullptr;
  auto* picker = static_cast<UIDatePicker*>(self.get());
  picker->datePickerMode_ = UIDatePickerModeDateAndTime;
  picker->date_ = NSDate::date();
  return self;
}

Ref<NSDate> UIDatePicker::dateImpl() {
  if (!date_) date_ = NSDate::date();
  return date_;
}

void UIDatePicker::setDateImpl(NSDate* date) {
  if (date) date_ = NSDate::make(date->timeIntervalSinceReferenceDate());
}

void UIDatePicker::setCountDownDurationImpl(double seconds) {
  if (std::isnan(seconds)) return;
  double minutes = std::trunc(std::clamp(seconds, 0.0, kLongestCountDown) / 60.0);
  countDown_ = minutes * 60.0;
}
