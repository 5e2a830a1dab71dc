#include "CVLODateTimePicker.h"

#include "PickerStorage.h"
#include "PickerValues.h"
#include "foundation/Log.h"
#include "uikit/UIScene.h"

OBJC_IMPLEMENT(CVLODateTimePicker)
OBJC_IMPLEMENT(CVLODatePicker)
OBJC_IMPLEMENT(CVLOTimePicker)
OBJC_IMPLEMENT(CVLOTimeIntervalPicker)
OBJC_IMPLEMENT(CVLODateAndTimePicker)

namespace {

Ref<NSString> textProperty(PSSpecifier* item, const char* name) {
  return Ref<NSString>(item ? objc_cast<NSString>(item->propertyForKey(name).get()) : nullptr);
}

pickers::Binding bindingOf(PSSpecifier* item) {
  return pickers::Binding{textProperty(item, "key"), textProperty(item, "defaults"),
                          textProperty(item, "PostNotification")};
}

Ref<UIColor> rowTint(PSSpecifier* item) {
  return Ref<UIColor>(item ? objc_cast<UIColor>(item->propertyForKey("tintColor").get()) : nullptr);
}

// The application's scene, its first window, that window's root controller.
Ref<UIViewController> findRootViewController() {
  Ref<NSSet> scenes = UIApplication_Scenes::connectedScenes(UIApplication::sharedApplication());
  Ref<NSObject> scene = scenes ? scenes->anyObject() : nullptr;
  auto* windowScene = objc_cast<UIWindowScene>(scene.get());
  if (!windowScene) return nullptr;
  Ref<NSObject> window = windowScene->windows()->firstObject();
  auto* w = objc_cast<UIWindow>(window.get());
  return w ? w->rootViewController() : nullptr;
}

Ref<PSTableCell> makeWithStyle(PSTableCell* self, long style, NSString* reuse, PSSpecifier* item, long pickerStyle) {
  return objc::send<CVLODateTimePicker::initWithStyleReuseIdentifierSpecifierWithPickerStyleMessage>(self, style, reuse,
                                                                                                     item, pickerStyle);
}

}  // namespace

Ref<CVLODateTimePicker> CVLODateTimePicker::initWithStyleReuseIdentifierSpecifierWithPickerStyleImpl(long style,
                                                                                                     NSString* reuse,
                                                                                                     PSSpecifier* item,
                                                                                                     long pickerStyle) {
  Ref<PSTableCell> base = sendSuper<initWithStyleReuseIdentifierSpecifierMessage>(style, reuse, item);
  if (!base) return nullptr;
  auto self = ref_cast<CVLODateTimePicker>(base);
  if (!self->themeTintColor()) self->setThemeTintColor(rowTint(item));
  self->setRootViewController(findRootViewController());

  pickers::Binding row = bindingOf(item);
  Ref<NSString> defaultText = textProperty(item, "default");
  if (defaultText) pickers::seedDefault(row, defaultText, pickerStyle, false);

  Ref<UIView> rootView = self->rootViewController_ ? self->rootViewController_->view() : nullptr;
  CGRect frame = rootView ? rootView->frame() : CGRect{};
  Ref<CVLODateTimePickerView> overlay =
      defaultText ? CVLODateTimePickerView::make(frame, self->themeTintColor(), row.key, defaultText, row.domain,
                                                 row.notification, pickerStyle)
                  : CVLODateTimePickerView::make(frame, self->themeTintColor(), row.key, row.domain, row.notification);
  self->setDateTimePickerView(overlay);
  if (item) {
    item->setTarget(self);
    item->setButtonAction(presentDateTimePickerMessage::sel());
  }
  if (rootView) rootView->addSubview(overlay);
  self->setDateTimePickerStyle(pickerStyle);
  self->setSpecifier(item);
  self->updateValueLabel();

  if (row.canPost()) {
    self->listeningTo_ = row.notification->utf8();
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), self.get(), &updateValueLabelCallback,
                                    self->listeningTo_.c_str(), nullptr, CFNotificationSuspensionBehaviorCoalesce);
  } else {
    NSLog("The picker row %@ names no notification to listen to", item ? item->name() : nullptr);
  }
  return self;
}

// Never later than this: the centre does not hold the cell, so a registration
// that outlived it would call into freed memory.
void CVLODateTimePicker::deallocImpl() {
  stopListening();
  // The window's root view holds the overlay from the cell's start; without
  // the cell nothing can show it again, and every visit of the page would
  // leave one more there.
  if (dateTimePickerView_) dateTimePickerView_->removeFromSuperview();
  sendSuper<deallocMessage>();
}

void CVLODateTimePicker::stopListening() {
  if (listeningTo_.empty()) return;
  CFNotificationCenterRemoveObserver(CFNotificationCenterGetDarwinNotifyCenter(), this, listeningTo_.c_str(), nullptr);
  listeningTo_.clear();
}

void CVLODateTimePicker::removeFromSuperviewImpl() {
  sendSuper<removeFromSuperviewMessage>();
  stopListening();
}

void CVLODateTimePicker::layoutSubviewsImpl() {
  sendSuper<layoutSubviewsMessage>();
  Ref<PSSpecifier> item = specifier();
  if (item) {
    item->setTarget(this);
    item->setButtonAction(presentDateTimePickerMessage::sel());
  }
  if (Ref<UIColor> tint = themeTintColor()) {
    textLabel()->setTextColor(tint);
    setInteractionTintColor(tint);
    titleLabel()->setHighlightedTextColor(tint);
  } else {
    setThemeTintColor(rowTint(item.get()));
  }
}

void CVLODateTimePicker::presentDateTimePickerImpl() {
  Ref<CVLODateTimePickerView> overlay = dateTimePickerView();
  Ref<UIView> rootView = rootViewController_ ? rootViewController_->view() : nullptr;
  if (!overlay || !rootView) return;
  rootView->addSubview(overlay);
  overlay->presentDateTimePicker();
}

void CVLODateTimePicker::updateValueLabelImpl() {
  Ref<PSSpecifier> item = specifier();
  if (!item) return;
  pickers::Binding row = bindingOf(item.get());
  Ref<NSDictionary> domain = pickers::readDomain(row);
  Ref<NSObject> value = pickers::valueForLabel(pickerStyle_, domain, row.key, textProperty(item.get(), "default"));
  detailTextLabel()->setText(pickers::labelText(pickerStyle_, value));
}

void CVLODateTimePicker::setDateTimePickerStyleImpl(long style) {
  pickerStyle_ = style;
  if (Ref<CVLODateTimePickerView> overlay = dateTimePickerView()) overlay->setDateTimePickerStyle(style);
}

Ref<PSTableCell> CVLODatePicker::initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuse,
                                                                           PSSpecifier* item) {
  return makeWithStyle(this, style, reuse, item, CVLODateTimePickerStyleDate);
}
Ref<PSTableCell> CVLOTimePicker::initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuse,
                                                                           PSSpecifier* item) {
  return makeWithStyle(this, style, reuse, item, CVLODateTimePickerStyleTime);
}
Ref<PSTableCell> CVLOTimeIntervalPicker::initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuse,
                                                                                   PSSpecifier* item) {
  return makeWithStyle(this, style, reuse, item, CVLODateTimePickerStyleTimeInterval);
}
Ref<PSTableCell> CVLODateAndTimePicker::initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuse,
                                                                                  PSSpecifier* item) {
  return makeWithStyle(this, style, reuse, item, CVLODateTimePickerStyleDateAndTime);
}

extern "C" void updateValueLabelCallback(CFNotificationCenterRef, void* observer, CFNotificationName, const void*,
                                         CFDictionaryRef) {
  if (observer) static_cast<CVLODateTimePicker*>(observer)->updateValueLabel();
}
