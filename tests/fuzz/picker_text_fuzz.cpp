// A picker row's default text, per style and in several locales: parsed into
// a value, and the value (or a stored object of any kind) turned into a label.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "PickerValues.h"
#include "foundation/NSNumber.h"
#include "fuzz_device.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::quietLogs();
  if (size < 2) return 0;
  // The style byte goes past the four known styles: page lists can hold any number.
  CVLODateTimePickerStyle style = static_cast<signed char>(data[0]) % 6;
  static const char* const locales[] = {"en_US.UTF-8", "fr_FR.UTF-8", "ja_JP.UTF-8", "ar_EG.UTF-8", "xx_YY"};
  ::setenv("LC_ALL", locales[data[1] % 5], 1);
  std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);

  Ref<NSString> text = NSString::make(rest);
  Ref<NSObject> value = pickers::convertDefault(style, text);
  Ref<NSString> label = pickers::labelText(style, value);
  if (!label) std::abort();  // a label is always a text, empty at worst

  // The same bytes as a stored number and as a stored text of the wrong kind.
  double seconds = 0;
  std::memcpy(&seconds, rest.data(), rest.size() < sizeof seconds ? rest.size() : sizeof seconds);
  if (!pickers::labelText(style, NSNumber::numberWithDouble(seconds))) std::abort();
  if (!pickers::labelText(style, text)) std::abort();
  if (!pickers::labelText(style, NSDate::dateWithTimeIntervalSince1970(seconds))) std::abort();
  pickers::durationToOffer(NSNumber::numberWithDouble(seconds), NSString::make("key"));
  return 0;
}
