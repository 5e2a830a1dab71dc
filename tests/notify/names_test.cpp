#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "dispatch/main_loop.h"
#include "notify/CFNotificationCenter.h"
#include "notify/notify.h"
#include "support.h"

using namespace std::chrono_literals;

namespace {

TEST(NotificationNames, RefusesAbsentEmptyOverlongAndMalformedNames) {
  const std::string longest(512, 'n');
  std::string tooLong = longest + "n";
  const char* refused[] = {
      nullptr,
      "",
      tooLong.c_str(),
      "bad\xC0\xAF",          // overlong "/"
      "bad\xED\xA0\x80",      // UTF-16 surrogate
      "bad\xE2\x82",          // cut short
      "bad\xF4\x90\x80\x80",  // past U+10FFFF
      "bad\xFF",
  };
  for (const char* name : refused) EXPECT_EQ(notify_post(name), NOTIFY_STATUS_INVALID_NAME) << (name ? name : "null");
  EXPECT_EQ(notify_post(longest.c_str()), NOTIFY_STATUS_OK);
  EXPECT_EQ(notify_post("com.tenvarix.corvallo/ReloadPrefs"), NOTIFY_STATUS_OK);

  testing::internal::CaptureStderr();
  CFNotificationCenterAddObserver(
      CFNotificationCenterGetDarwinNotifyCenter(), nullptr,
      [](CFNotificationCenterRef, void*, CFNotificationName, const void*, CFDictionaryRef) {}, "bad\xFF", nullptr,
      CFNotificationSuspensionBehaviorCoalesce);
  CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr, nullptr, "fine", nullptr,
                                  CFNotificationSuspensionBehaviorCoalesce);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("refused an invalid name"), std::string::npos) << err;
  EXPECT_NE(err.find("without a callback"), std::string::npos) << err;
}

struct Seen {
  int calls = 0;
  std::string name;
};

TEST(NotificationNames, AreDeliveredWholeAndNeverBecomePaths) {
  // 128 four-byte characters: exactly the limit.
  std::string widest;
  for (int i = 0; i < 128; ++i) widest += "\xF0\x9F\x94\xB5";
  ASSERT_EQ(widest.size(), 512u);
  const std::string sneaky = "../../../../escape/..";
  Seen seen;
  auto record = [](CFNotificationCenterRef, void* observer, CFNotificationName name, const void*, CFDictionaryRef) {
    auto* s = static_cast<Seen*>(observer);
    ++s->calls;
    s->name += name;
  };
  for (const auto& name : {widest, sneaky})
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), &seen, record, name.c_str(), nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
  EXPECT_EQ(notify_post(widest.c_str()), NOTIFY_STATUS_OK);
  EXPECT_EQ(notify_post(sneaky.c_str()), NOTIFY_STATUS_OK);
  EXPECT_TRUE(dispatch::runMainUntil([&] { return seen.calls == 2; }, 5s));
  EXPECT_EQ(seen.name, widest + sneaky);
  CFNotificationCenterRemoveEveryObserver(CFNotificationCenterGetDarwinNotifyCenter(), &seen);

  // Nothing was created beside the listeners and their counter.
  std::filesystem::path root = std::getenv("CORVALLO_DEVICE_ROOT");
  for (auto& e : std::filesystem::recursive_directory_iterator(root)) {
    auto rel = std::filesystem::relative(e.path(), root).string();
    EXPECT_TRUE(rel == "var" || rel == "var/run" || rel == "var/run/notify" || rel == "var/run/notify/generation" ||
                (rel.rfind("var/run/notify/", 0) == 0 && e.is_socket()))
        << rel;
  }
}

}  // namespace
