#include "CVLODateTimePickerView.h"

#include "PickerStorage.h"
#include "PickerValues.h"
#include "foundation/NSArray.h"
#include "foundation/NSNumber.h"
#include "preferences/CoreFoundation.h"
#include "preferences/FailedWrites.h"
#include "uikit/UIBlock.h"
#include "uikit/UIButton+TitleColor.h"
#include "uikit/UIColor+SystemBackground.h"
#include "uikit/UIGestureRecognizer.h"
#include "uikit/UIViewAnimation.h"

OBJC_IMPLEMENT(CVLODateTimePickerView)

namespace {

constexpr double kSideMargin = 30;  // between the body and the overlay's sides
constexpr double kInset = 10;       // inside the body, around and between its parts
constexpr double kButtonHeight = 40;
constexpr double kCornerRadius = 10;
constexpr double kFadeDuration = 0.2;
constexpr double kDarkBackdropAlpha = 0.48;
constexpr double kLightBackdropAlpha = 0.2;

pickers::Binding bindingOf(CVLODateTimePickerView* view) {
  return pickers::Binding{view->key(), view->defaults(), view->postNotification()};
}

long pickerMode(long style) {
  switch (style) {
    case CVLODateTimePickerStyleTime:
      return UIDatePickerModeTime;
    case CVLODateTimePickerStyleTimeInterval:
      return UIDatePickerModeCountDownTimer;
    case CVLODateTimePickerStyleDateAndTime:
      return UIDatePickerModeDateAndTime;
    default:
      return UIDatePickerModeDate;
  }
}

}  // namespace

Ref<CVLODateTimePickerView>
CVLODateTimePickerView::initWithFrameTintColorKeyDefaultValueDefaultsPostNotificationDateTimePickerStyleImpl(
    CGRect frame, UIColor* tint, NSString* key, NSString* defaultValue, NSString* defaults, NSString* postNotification,
    long style) {
  auto self = ref_cast<CVLODateTimePickerView>(sendSuper<initWithFrameMessage>(frame));
  if (!self) return nullptr;
  self->setThemeTintColor(tint);
  self->setKey(key);
  self->setDefaultValue(defaultValue);
  self->setDefaults(defaults);
  self->setPostNotification(postNotification);
  self->setDateTimePickerStyle(style);
  pickers::Binding row = bindingOf(self.get());
  Ref<NSDictionary> domain = pickers::readDomain(row);
  Ref<NSObject> stored = domain && key ? domain->objectForKey(key) : nullptr;
  if (!stored && defaultValue) {
    Ref<NSMutableDictionary> seeded = pickers::seedDefault(row, defaultValue, style, true);
    self->takeValueFrom(seeded.get());
  } else {
    self->takeValueFrom(domain.get());
  }
  self->chooseColors();
  return self;
}

Ref<CVLODateTimePickerView> CVLODateTimePickerView::initWithFrameTintColorKeyDefaultsPostNotificationImpl(
    CGRect frame, UIColor* tint, NSString* key, NSString* defaults, NSString* postNotification) {
  auto self = ref_cast<CVLODateTimePickerView>(sendSuper<initWithFrameMessage>(frame));
  if (!self) return nullptr;
  self->setThemeTintColor(tint);
  self->setKey(key);
  self->setDefaults(defaults);
  self->setPostNotification(postNotification);
  // The style is set right after; until then a stored duration is simply
  // not a date, which is no reason to complain.
  Ref<NSDictionary> domain = pickers::readDomain(bindingOf(self.get()));
  Ref<NSObject> stored = domain && key ? domain->objectForKey(key) : nullptr;
  self->setDateValue(objc_cast<NSDate>(stored.get()) ? ref_cast<NSDate>(stored) : NSDate::date());
  self->chooseColors();
  return self;
}

void CVLODateTimePickerView::objcRegister_styleProperty(objc::ClassBuilder<CVLODateTimePickerView>& b) {
  b.property<long>("dateTimePickerStyle");
}

// A row without a default is attached, and so laid out, before its style is
// known: the wheels follow every later change.
void CVLODateTimePickerView::setDateTimePickerStyleImpl(long style) {
  dateTimePickerStyle_ = style;
  applyStyleToPicker();
}

void CVLODateTimePickerView::applyStyleToPicker() {
  if (!dateTimePicker_) return;
  dateTimePicker_->setDatePickerMode(pickerMode(dateTimePickerStyle_));
  if (dateTimePickerStyle_ == CVLODateTimePickerStyleTimeInterval)
    dateTimePicker_->setCountDownDuration(timeIntervalValue_);
  else
    dateTimePicker_->setDate(dateValue_);
}

void CVLODateTimePickerView::takeValueFrom(NSDictionary* domain) {
  Ref<NSObject> stored = domain && key_ ? domain->objectForKey(key_) : nullptr;
  if (dateTimePickerStyle_ == CVLODateTimePickerStyleTimeInterval)
    setTimeIntervalValue(pickers::durationToOffer(stored, key_));
  else
    setDateValue(pickers::dateToOffer(stored, key_));
}

void CVLODateTimePickerView::chooseColors() {
  setDateTimePickerBodyColor(UIColor_SystemBackground::secondarySystemBackgroundColor());
  if (isDarkModeEnabled()) {
    setDateTimePickerButtonColor(UIColor_SystemBackground::tertiarySystemBackgroundColor());
    setDateTimePickerBackgroundViewAlpha(kDarkBackdropAlpha);
  } else {
    setDateTimePickerButtonColor(UIColor_SystemBackground::systemBackgroundColor());
    setDateTimePickerBackgroundViewAlpha(kLightBackdropAlpha);
  }
}

bool CVLODateTimePickerView::isDarkModeEnabledImpl() {
  if (kCFCoreFoundationVersionNumber < kCFCoreFoundationVersionNumber_iOS_13_0) return false;
  Ref<UITraitCollection> traits = traitCollection();
  return traits && traits->userInterfaceStyle() == UIUserInterfaceStyleDark;
}

Ref<NSString> CVLODateTimePickerView::localizedStringForKeyImpl(NSString* key) {
  Ref<NSBundle> bundle = preferenceBundle_ ? preferenceBundle_ : NSBundle::bundleForClass(cls());
  if (!bundle) return Ref<NSString>(key);
  return bundle->localizedStringForKeyValueTable(key, ""_ns, nullptr);
}

Ref<UIButton> CVLODateTimePickerView::makeButton(const char* titleKey, SEL action, CGRect frame) {
  Ref<UIButton> button = UIButton::buttonWithType(UIButtonTypeCustom);
  button->addTargetActionForControlEvents(this, action, UIControlEventTouchUpInside);
  button->setTitleForState(localizedStringForKey(NSString::make(titleKey)), UIControlStateNormal);
  button->setFrame(frame);
  button->layer()->setCornerRadius(kCornerRadius);
  button->setClipsToBounds(true);
  button->setBackgroundColor(dateTimePickerButtonColor_);
  UIButton_TitleColor::setTitleColorForState(button, themeTintColor_, UIControlStateNormal);
  return button;
}

void CVLODateTimePickerView::layoutSubviewsImpl() {
  sendSuper<layoutSubviewsMessage>();
  setPreferenceBundle(NSBundle::bundleForClass(cls()));
  // A pass builds the content anew; the previous pass's goes first.
  if (backgroundView_) backgroundView_->removeFromSuperview();
  if (bodyView_) bodyView_->removeFromSuperview();

  CGRect frame = this->frame();
  double width = frame.size.width, height = frame.size.height;

  auto backdrop = UIView::make(frame);
  backdrop->setBackgroundColor(UIColor::blackColor());
  backdrop->setAlpha(dateTimePickerBackgroundViewAlpha_);
  auto tap = UITapGestureRecognizer::make(this, hideDateTimePickerMessage::sel());
  UIView_Gestures::addGestureRecognizer(backdrop, tap);
  addSubview(backdrop);
  setBackgroundView(backdrop);

  double bodyWidth = width - 2 * kSideMargin;
  double bodyHeight = bodyWidth * 0.25 * 3;
  auto body = UIView::make(CGRect{{kSideMargin, height * 0.5 - bodyHeight * 0.5}, {bodyWidth, bodyHeight}});
  body->setBackgroundColor(dateTimePickerBodyColor_);
  body->layer()->setCornerRadius(kCornerRadius);
  addSubview(body);
  setBodyView(body);

  double pickerWidth = bodyWidth - 2 * kInset;
  double pickerHeight = bodyHeight - 3 * kInset - kButtonHeight;
  auto picker = UIDatePicker::make(CGRect{{kInset, kInset}, {pickerWidth, pickerHeight}});
  setDateTimePicker(picker);
  applyStyleToPicker();
  picker->setPreferredDatePickerStyle(UIDatePickerStyleWheels);
  picker->setTranslatesAutoresizingMaskIntoConstraints(false);

  double buttonY = body->frame().size.height - kInset - kButtonHeight;
  auto cancel = makeButton("CANCEL", cancelDateTimePickerMessage::sel(),
                           CGRect{{kInset, buttonY}, {pickerWidth * 0.5 - kInset, kButtonHeight}});
  setCancelButton(cancel);
  auto submit = makeButton("SUBMIT", submitDateTimePickerMessage::sel(),
                           CGRect{{pickerWidth * 0.5 + kInset, buttonY}, {pickerWidth * 0.5, kButtonHeight}});
  setSubmitButton(submit);

  body->addSubview(picker);
  body->addSubview(cancel);
  body->addSubview(submit);
  NSLayoutConstraint::activateConstraints(NSArray::of({
      Ref<NSObject>(picker->widthAnchor()->constraintEqualToConstant(pickerWidth)),
      Ref<NSObject>(picker->heightAnchor()->constraintEqualToConstant(pickerHeight)),
      Ref<NSObject>(picker->centerXAnchor()->constraintEqualToAnchor(body->centerXAnchor())),
      Ref<NSObject>(picker->topAnchor()->constraintEqualToAnchorConstant(body->topAnchor(), kInset)),
  }));
  setAlpha(0);
  laidOut_ = true;
}

// The platform lays a view out when it first joins a parent; attaching it
// again later (each tap re-attaches the overlay) does not, so a fade-in that
// has started is never undone by a layout pass.
void CVLODateTimePickerView::didMoveToSuperviewImpl() {
  sendSuper<didMoveToSuperviewMessage>();
  if (superview() && !laidOut_) {
    setNeedsLayout();
    layoutIfNeeded();
  }
}

void CVLODateTimePickerView::presentDateTimePickerImpl() {
  pickers::Binding row = bindingOf(this);
  Ref<NSDictionary> domain = pickers::readDomain(row);
  if ((!domain || !domain->objectForKey(key_)) && defaultValue_)
    domain = pickers::seedDefault(row, defaultValue_, dateTimePickerStyle_, true);
  takeValueFrom(domain.get());
  if (dateTimePicker_) {
    if (dateTimePickerStyle_ == CVLODateTimePickerStyleTimeInterval)
      dateTimePicker_->setCountDownDuration(timeIntervalValue_);
    else
      dateTimePicker_->setDate(dateValue_);
  }
  Ref<CVLODateTimePickerView> self(this);
  UIView_Animation::animateWithDurationDelayOptionsAnimationsCompletion(
      kFadeDuration, 0.0, UIViewAnimationOptionCurveLinear, _UIBlock::make([self](NSObject*) { self->setAlpha(1); }),
      nullptr);
}

void CVLODateTimePickerView::hideDateTimePickerImpl() {
  Ref<CVLODateTimePickerView> self(this);
  UIView_Animation::animateWithDurationDelayOptionsAnimationsCompletion(
      kFadeDuration, 0.0, UIViewAnimationOptionCurveLinear, _UIBlock::make([self](NSObject*) { self->setAlpha(0); }),
      _UIBlock::make([self](NSObject*) { self->removeFromSuperview(); }));
}

void CVLODateTimePickerView::cancelDateTimePickerImpl() { hideDateTimePicker(); }

void CVLODateTimePickerView::submitDateTimePickerImpl() {
  pickers::Binding row = bindingOf(this);
  Ref<NSObject> value;
  if (dateTimePickerStyle_ == CVLODateTimePickerStyleTimeInterval) {
    setTimeIntervalValue(dateTimePicker_ ? dateTimePicker_->countDownDuration() : timeIntervalValue_);
    value = NSNumber::numberWithDouble(timeIntervalValue_);
  } else {
    if (dateTimePicker_) setDateValue(dateTimePicker_->date());
    value = dateValue_;
  }
  foundation::Status stored = pickers::writeValue(row, value);
  // Not stored: the overlay offers what is, next time as now, and the host
  // that pressed Submit answers why.
  if (!stored) {
    preferences::noteFailedWrite(stored.error());
    takeValueFrom(pickers::readDomain(row).get());
    if (dateTimePicker_ && dateTimePickerStyle_ == CVLODateTimePickerStyleTimeInterval)
      dateTimePicker_->setCountDownDuration(timeIntervalValue_);
    else if (dateTimePicker_)
      dateTimePicker_->setDate(dateValue_);
  }
  hideDateTimePicker();
  if (stored) pickers::postChange(row);
}
