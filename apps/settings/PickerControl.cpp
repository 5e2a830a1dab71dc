#include "PickerControl.h"

#include <cmath>

#include "PickerText.h"
#include "ViewReport.h"
#include "control/ControlServer.h"
#include "control/Names.h"
#include "foundation/NSDateFormatter.h"
#include "foundation/Format.h"
#include "foundation/NSNumber.h"
#include "foundation/NSUserDefaults.h"
#include "foundation/PropertyList.h"
#include "uikit/MediaClock.h"
#include "uikit/UIButton.h"
#include "uikit/UIDatePicker.h"
#include "uikit/UIGestureRecognizer.h"
#include "uikit/UIViewAnimation.h"

using control::RequestError;
using nlohmann::json;

namespace settings {

namespace {

// Messages of the bundle's picker cell and overlay.
using dateTimePickerViewMessage = objc::Message<"dateTimePickerView", Ref<UIView>()>;
using dateTimePickerMessage = objc::Message<"dateTimePicker", Ref<UIDatePicker>()>;
using bodyViewMessage = objc::Message<"bodyView", Ref<UIView>()>;
using backgroundViewMessage = objc::Message<"backgroundView", Ref<UIView>()>;
using cancelButtonMessage = objc::Message<"cancelButton", Ref<UIButton>()>;
using submitButtonMessage = objc::Message<"submitButton", Ref<UIButton>()>;
using styleMessage = objc::Message<"dateTimePickerStyle", long()>;

bool answers(NSObject* o, SEL s) { return o && class_respondsToSelector(o->isa(), s); }

json frameJson(const Ref<UIView>& v) { return v ? rectJson(v->frame()) : json(nullptr); }

const char* modeName(long mode) {
  switch (mode) {
    case UIDatePickerModeTime:
      return "time";
    case UIDatePickerModeDate:
      return "date";
    case UIDatePickerModeDateAndTime:
      return "dateAndTime";
    case UIDatePickerModeCountDownTimer:
      return "countDownTimer";
    default:
      return "unknown";
  }
}

std::string iso8601(const Ref<NSDate>& date) {
  auto f = NSDateFormatter::make();
  f->setDateFormat("yyyy-MM-dd'T'HH:mm:ssXXX"_ns);
  f->setLocale(NSLocale::localeWithLocaleIdentifier("en_US_POSIX"_ns));
  return f->stringFromDate(date)->utf8();
}

// "2024-03-05T20:30:00Z", with an offset, without seconds, or a local day.
Ref<NSDate> parseIso8601(const std::string& text) {
  auto f = NSDateFormatter::make();
  f->setLocale(NSLocale::localeWithLocaleIdentifier("en_US_POSIX"_ns));
  for (const char* pattern : {"yyyy-MM-dd'T'HH:mm:ssXXX", "yyyy-MM-dd'T'HH:mmXXX", "yyyy-MM-dd'T'HH:mm:ss",
                              "yyyy-MM-dd'T'HH:mm", "yyyy-MM-dd"}) {
    f->setDateFormat(NSString::make(pattern));
    if (Ref<NSDate> d = f->dateFromString(NSString::make(text))) return d;
  }
  return nullptr;
}

Ref<UIView> requireOverlay(UIView* rootView) {
  Ref<UIView> overlay = shownOverlay(rootView);
  if (!overlay) throw RequestError("no picker is showing; tap a picker row first");
  return overlay;
}

// What the row's domain holds under its key: ISO 8601 for a date, seconds
// for a duration, nothing when nothing is stored.
json storedValue(PSTableCell* cell) {
  Ref<PSSpecifier> item = cell->specifier();
  auto* domain = item ? objc_cast<NSString>(item->findProperty("defaults")) : nullptr;
  auto* key = item ? objc_cast<NSString>(item->findProperty(PSKeyNameKey)) : nullptr;
  if (!domain || !key) return nullptr;
  Ref<NSDictionary> stored = NSUserDefaults::standardUserDefaults()->persistentDomainForName(domain);
  Ref<NSObject> value = stored ? stored->objectForKey(key) : nullptr;
  if (auto* date = objc_cast<NSDate>(value.get())) return iso8601(Ref<NSDate>(date));
  if (auto* n = objc_cast<NSNumber>(value.get())) return n->doubleValue();
  return value ? json(foundation::describe(value)) : json(nullptr);
}

// Whatever ended on the clock completes now, so a report that follows sees it.
void settleAnimations() { UIView_Animation::completeEnded(); }

}  // namespace

Ref<UIView> shownOverlay(UIView* rootView) {
  if (!rootView) return nullptr;
  const auto& children = rootView->subviewList();
  for (auto it = children.rbegin(); it != children.rend(); ++it)
    if (answers(it->get(), submitButtonMessage::sel()) &&
        ((*it)->alpha() > 0 || UIView_Animation::isAnimating(it->get(), "alpha")))
      return *it;
  return nullptr;
}

json overlayJson(UIView* overlay) {
  if (!overlay) return nullptr;
  Ref<UIDatePicker> picker = objc::send<dateTimePickerMessage>(overlay);
  json value = nullptr, text = nullptr;
  if (picker) {
    bool countDown = picker->datePickerMode() == UIDatePickerModeCountDownTimer;
    value = countDown ? json(picker->countDownDuration()) : json(iso8601(picker->date()));
    text = countDown ? pickerDurationText(picker->countDownDuration())
                     : pickerDateText(picker->datePickerMode(), picker->date().get());
  }
  auto shown = UIView_Animation::presentationValue(overlay, "alpha");
  return json{{"attached", static_cast<bool>(overlay->superview())},
              {"opacity", overlay->alpha()},
              {"shownOpacity", shown ? json(*shown) : json(nullptr)},
              {"animating", UIView_Animation::isAnimating(overlay, "alpha")},
              {"style", objc::send<styleMessage>(overlay)},
              {"mode", picker ? json(modeName(picker->datePickerMode())) : json(nullptr)},
              {"value", value},
              {"text", text},
              {"buttons", json::array({"Cancel", "Submit"})},
              {"frame", frameJson(Ref<UIView>(overlay))},
              {"body", frameJson(objc::send<bodyViewMessage>(overlay))},
              {"picker", frameJson(picker)},
              {"cancel", frameJson(objc::send<cancelButtonMessage>(overlay))},
              {"submit", frameJson(objc::send<submitButtonMessage>(overlay))}};
}

json pickerJson(PSTableCell* cell) {
  if (!answers(cell, dateTimePickerViewMessage::sel())) return nullptr;
  Ref<UIView> overlay = objc::send<dateTimePickerViewMessage>(cell);
  return json{{"style", objc::send<styleMessage>(cell)},
              {"stored", storedValue(cell)},
              {"overlay", overlayJson(overlay.get())}};
}

json setPickerValue(UIView* rootView, const json& req) {
  Ref<UIView> overlay = requireOverlay(rootView);
  Ref<UIDatePicker> picker = objc::send<dateTimePickerMessage>(overlay);
  if (!picker) throw RequestError("the picker has not been laid out");
  long mode = picker->datePickerMode();
  if (auto t = req.find("text"); t != req.end()) {
    if (!t->is_string()) throw RequestError("\"text\" must be a text");
    const std::string& given = t->get_ref<const std::string&>();
    if (mode == UIDatePickerModeCountDownTimer) {
      auto seconds = pickerDurationFromText(given);
      if (!seconds || *seconds < 60 || *seconds > UIDatePicker::kLongestCountDown)
        throw RequestError("this picker takes " + pickerTextForms(mode) + ", not " + control::echoed(given));
      picker->setCountDownDuration(*seconds);
      return overlayJson(overlay.get());
    }
    Ref<NSDate> date = pickerDateFromText(mode, picker->date().get(), given);
    if (!date) throw RequestError("this picker takes " + pickerTextForms(mode) + ", not " + control::echoed(given));
    if (!foundation::isStorableDate(date->timeIntervalSinceReferenceDate()))
      throw RequestError("the store holds dates from 1932-12-13T20:45:52Z to 2069-01-19T03:14:07Z, not " +
                         control::echoed(given));
    picker->setDate(date);
    return overlayJson(overlay.get());
  }
  if (auto s = req.find("seconds"); s != req.end()) {
    if (!s->is_number() || !std::isfinite(s->get<double>())) throw RequestError("\"seconds\" must be a number");
    if (mode != UIDatePickerModeCountDownTimer) throw RequestError("this picker takes a date, not seconds");
    // The wheels turn in whole minutes from one: less would be kept as none.
    if (s->get<double>() < 60 || s->get<double>() > UIDatePicker::kLongestCountDown)
      throw RequestError("this picker takes from 60 to 86340 seconds (0:01 to 23:59)");
    picker->setCountDownDuration(s->get<double>());
  } else if (auto d = req.find("date"); d != req.end()) {
    if (!d->is_string()) throw RequestError("\"date\" must be an ISO 8601 text");
    if (picker->datePickerMode() == UIDatePickerModeCountDownTimer)
      throw RequestError("this picker takes seconds, not a date");
    Ref<NSDate> date = parseIso8601(d->get<std::string>());
    if (!date) throw RequestError("not an ISO 8601 date: " + d->get<std::string>());
    // Refused before it is shown: the overlay would offer what Submit cannot keep.
    if (!foundation::isStorableDate(date->timeIntervalSinceReferenceDate()))
      throw RequestError("the store holds dates from 1932-12-13T20:45:52Z to 2069-01-19T03:14:07Z, not " +
                         d->get<std::string>());
    picker->setDate(date);
  } else {
    throw RequestError("give \"text\", \"date\" (ISO 8601) or \"seconds\"");
  }
  return overlayJson(overlay.get());
}

json pressPickerButton(UIView* rootView, bool submit) {
  Ref<UIView> overlay = requireOverlay(rootView);
  Ref<UIButton> button = submit ? objc::send<submitButtonMessage>(overlay) : objc::send<cancelButtonMessage>(overlay);
  if (!button) throw RequestError("the picker has not been laid out");
  button->_tap();
  settleAnimations();
  return overlayJson(overlay.get());
}

json tapBackdrop(UIView* rootView) {
  Ref<UIView> overlay = requireOverlay(rootView);
  Ref<UIView> backdrop = objc::send<backgroundViewMessage>(overlay);
  Ref<NSArray> taps = backdrop ? UIView_Gestures::gestureRecognizers(backdrop) : nullptr;
  bool tapped = false;
  if (taps)
    for (const auto& t : taps->items())
      if (auto* tap = objc_cast<UITapGestureRecognizer>(t.get())) tapped = tap->recognizeTap() || tapped;
  if (!tapped) throw RequestError("the backdrop takes no tap");
  settleAnimations();
  return overlayJson(overlay.get());
}

}  // namespace settings
