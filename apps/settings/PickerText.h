// A picker's value as a person reads and writes it: the text its row shows
// (the row label's pattern), and the texts a person types for it, read the way
// the wheels would be turned.
#pragma once

#include <optional>
#include <string>

#include "foundation/NSDate.h"

namespace settings {

// The text the row shows for the picker's value in `mode` (a UIDatePicker
// mode): "December 25 2023", "08:30 PM", "Tue Mar 5 08:30 PM", "0:45".
std::string pickerDateText(long mode, NSDate* date);
std::string pickerDurationText(double seconds);

// The date the wheels of a `mode` picker showing `current` come to when a
// person sets them to `text`: ISO 8601, the row's text or its default's
// pattern. A time keeps the day shown and a day keeps the time shown, as
// turning only those wheels does. Nothing when the text is none of those.
Ref<NSDate> pickerDateFromText(long mode, NSDate* current, const std::string& text);

// The seconds a count-down set to `text` holds: "H:mm" or "HH:mm", a whole
// number of minutes, or an ISO 8601 duration ("PT1H30M"). Nothing when the
// text is none of those, or not whole minutes.
std::optional<double> pickerDurationFromText(const std::string& text);

// What the error says a `mode` picker takes, with examples.
std::string pickerTextForms(long mode);

}  // namespace settings
