// `depends` rules as a page list carries them, evaluated against stored
// values of each kind.
#include <cstdint>
#include <string_view>

#include "foundation/Foundation.h"
#include "rules/DependencyRule.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  static Ref<NSObject> values[] = {nullptr,
                                   NSNumber::numberWithBool(true),
                                   NSNumber::numberWithInteger(-3),
                                   NSNumber::numberWithDouble(2.5),
                                   NSString::make("7"),
                                   NSArray::of({})};
  for (const cvlo::Condition& c : cvlo::parseRule(text)) {
    if (!c.wellFormed()) continue;
    for (const auto& v : values) (void)cvlo::hiddenAfter(false, c, v.get());
    (void)cvlo::compareNumber(c.value);
  }
  (void)cvlo::comparatorFor(text);
  return 0;
}
