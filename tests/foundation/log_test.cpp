#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "foundation/Foundation.h"

namespace {

using foundation::LogCapture;
using foundation::LogRecord;

TEST(Log, NSLogWritesOneLineWithTimeProcessAndPid) {
  LogCapture capture;
  foundation::setProcessName("SpringBoard");
  NSLog("[DEBUG] rgbHexStringValue: %@", "#19c246"_ns);
  NSLog("ends its own line\n");
  foundation::setProcessName("foundation_tests");
  auto records = capture.records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].message, "[DEBUG] rgbHexStringValue: #19c246");
  std::regex line(
      R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} SpringBoard\[(\d+):\d+\] \[DEBUG\] rgbHexStringValue: #19c246)");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(records[0].line, m, line)) << records[0].line;
  EXPECT_EQ(std::stol(m[1]), static_cast<long>(getpid()));
  EXPECT_EQ(records[1].line.find('\n'), std::string::npos);
}

TEST(Log, DebugIsOffByDefaultAndArgumentsAreNotEvaluated) {
  unsetenv("CORVALLO_LOG_DEBUG");
  foundation::resetLogTypesFromEnvironment();
  LogCapture capture;
  EXPECT_FALSE(os_log_type_enabled(OS_LOG_DEFAULT, OS_LOG_TYPE_DEBUG));
  EXPECT_TRUE(os_log_type_enabled(OS_LOG_DEFAULT, OS_LOG_TYPE_ERROR));
  int evaluated = 0;
  os_log_debug(OS_LOG_DEFAULT, "%d", ++evaluated);
  EXPECT_EQ(evaluated, 0);
  os_log_error(OS_LOG_DEFAULT, "broken: %{public}s", "x");
  ASSERT_EQ(capture.oslogMessages(), std::vector<std::string>{"broken: x"});
  EXPECT_EQ(capture.records()[0].type, OS_LOG_TYPE_ERROR);
  EXPECT_TRUE(capture.nslogMessages().empty());

  setenv("CORVALLO_LOG_DEBUG", "1", 1);
  foundation::resetLogTypesFromEnvironment();
  EXPECT_TRUE(os_log_type_enabled(OS_LOG_DEFAULT, OS_LOG_TYPE_DEBUG));
  unsetenv("CORVALLO_LOG_DEBUG");
  foundation::resetLogTypesFromEnvironment();

  foundation::setLogTypeEnabled(OS_LOG_TYPE_DEBUG, true);
  os_log_debug(OS_LOG_DEFAULT, "[%{public}s:%{public}d] %{public}@", "Tweak", 721, " = 1"_ns);
  foundation::setLogTypeEnabled(OS_LOG_TYPE_DEBUG, false);
  EXPECT_EQ(capture.oslogMessages().back(), "[Tweak:721]  = 1");
  EXPECT_NE(capture.records().back().line.find("<Debug>"), std::string::npos);
}

TEST(Log, CreatedLogsAreSharedAndNamed) {
  os_log_t a = os_log_create("com.tenvarix.corvallo", "hooks");
  EXPECT_EQ(a, os_log_create("com.tenvarix.corvallo", "hooks"));
  LogCapture capture;
  os_log(a, "hello %d", 1);
  auto r = capture.records();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].subsystem, "com.tenvarix.corvallo");
  EXPECT_EQ(r[0].category, "hooks");
}

TEST(Log, LinesFromManyThreadsStayWhole) {
  LogCapture capture;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 200; ++i) NSLog("thread %d line %d", t, i);
    });
  for (auto& th : threads) th.join();
  auto msgs = capture.nslogMessages();
  ASSERT_EQ(msgs.size(), 800u);
  for (const auto& m : msgs) EXPECT_TRUE(std::regex_match(m, std::regex(R"(thread \d line \d+)"))) << m;
}

}  // namespace
