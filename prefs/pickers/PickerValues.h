// A picker row's value in its three forms: the default text of the page list,
// the object stored in the domain (a date, or a number of seconds for the
// time interval style), and the text of the row's value label.
#pragma once

#include "CVLODateTimePickerStyle.h"
#include "foundation/NSDate.h"
#include "foundation/NSDictionary.h"

namespace pickers {

// The duration offered when nothing is stored and there is no default.
inline constexpr double kFallbackDuration = 60;

// The default text as a value to store: a date parsed with the style's
// default pattern ("MM-dd-yyyy", "hh:mm a", "MM-dd-yyyy hh:mm a"), nothing
// when it does not match; for the time interval style the seconds from
// "00:00" to the "HH:mm" text, 0 when it does not match.
Ref<NSObject> convertDefault(CVLODateTimePickerStyle style, objc::Borrowed<NSString> textArg);

// The value a label shows: what the domain holds under the key, else the
// converted default (not stored), else the style's fallback.
Ref<NSObject> valueForLabel(CVLODateTimePickerStyle style, objc::Borrowed<NSDictionary> domainArg,
                            objc::Borrowed<NSString> keyArg, objc::Borrowed<NSString> defaultArg);

// The label text for a value: the style's label pattern in the current
// locale and time zone, or positional hours and minutes ("25:00"). Empty for
// nothing, and for a value of the wrong kind for the style (logged).
Ref<NSString> labelText(CVLODateTimePickerStyle style, objc::Borrowed<NSObject> valueArg);

// The value an overlay loads into its picker from a stored object: the date,
// or the current moment when there is none or it is not a date (logged).
Ref<NSDate> dateToOffer(objc::Borrowed<NSObject> storedArg, objc::Borrowed<NSString> keyArg);
// The seconds, or the fallback minute when there is none or it is not a
// finite number (logged).
double durationToOffer(objc::Borrowed<NSObject> storedArg, objc::Borrowed<NSString> keyArg);

}  // namespace pickers
