// A process whose standard error is a log file keeps it to a size: the file
// moves aside between two lines, a few generations are kept, and no line is
// cut or lost on the way.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <thread>
#include <vector>

#include "foundation/Foundation.h"
#include "foundation/LogRotation.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uintmax_t kLimit = 4000;

// Standard error goes to `<folder>/host.log` with rotation at kLimit until
// the object goes away.
class RotatedStandardError {
 public:
  explicit RotatedStandardError(const fs::path& log) {
    saved_ = ::dup(STDERR_FILENO);
    int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    ::dup2(fd, STDERR_FILENO);
    ::close(fd);
    ::setenv(foundation::kLogRotateBytesVariable, std::to_string(kLimit).c_str(), 1);
    foundation::resetLogRotationFromEnvironment();
  }
  ~RotatedStandardError() {
    ::unsetenv(foundation::kLogRotateBytesVariable);
    foundation::resetLogRotationFromEnvironment();
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
  }

 private:
  int saved_;
};

std::vector<std::string> linesOf(const fs::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

class LogRotation : public testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/cvrot.XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    folder_ = tmpl;
    log_ = folder_ / "host.log";
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  fs::path folder_, log_;
};

TEST_F(LogRotation, ThreadsLoggingPastTheLimitMoveTheFileAsideBetweenWholeLinesAndLoseNone) {
  constexpr int kThreads = 4, kLines = 40;
  {
    RotatedStandardError redirected(log_);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
      threads.emplace_back([t] {
        for (int i = 0; i < kLines; ++i) NSLog("thread %d line %d", t, i);
      });
    for (auto& th : threads) th.join();
  }
  // About 11 kB in all: more than two files of 4000 bytes, less than the four kept.
  ASSERT_TRUE(fs::exists(foundation::logGeneration(log_, 2)));
  EXPECT_FALSE(fs::exists(foundation::logGeneration(log_, 4)));
  // Oldest first, as `corvallo log` reads them: each thread's lines, all of
  // them, in the order written.
  std::map<int, int> next;
  std::regex shape(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \S+\[\d+:\d+\] thread (\d) line (\d+))");
  for (const fs::path& file : {foundation::logGeneration(log_, 3), foundation::logGeneration(log_, 2),
                               foundation::logGeneration(log_, 1), log_}) {
    if (!fs::exists(file)) continue;
    EXPECT_LE(fs::file_size(file), kLimit) << file;
    for (const auto& line : linesOf(file)) {
      std::smatch m;
      ASSERT_TRUE(std::regex_match(line, m, shape)) << file << ": " << line;
      int t = std::stoi(m[1]), i = std::stoi(m[2]);
      EXPECT_EQ(i, next[t]) << "a line of thread " << t << " is missing before " << line;
      next[t] = i + 1;
    }
  }
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(next[t], kLines) << "thread " << t;
}

TEST_F(LogRotation, ThreeGenerationsAreKeptAndTheNewestLinesAreInTheCurrentFile) {
  {
    RotatedStandardError redirected(log_);
    for (int i = 0; i < 400; ++i) NSLog("line %d", i);
  }
  EXPECT_TRUE(fs::exists(foundation::logGeneration(log_, 3)));
  EXPECT_FALSE(fs::exists(foundation::logGeneration(log_, 4)));
  auto current = linesOf(log_);
  ASSERT_FALSE(current.empty());
  EXPECT_TRUE(current.back().ends_with(" line 399")) << current.back();
}

TEST_F(LogRotation, WithoutALimitOrOnAFileNotNamedLogNothingMoves) {
  fs::path other = folder_ / "capture.txt";
  {
    RotatedStandardError redirected(other);
    for (int i = 0; i < 300; ++i) NSLog("line %d", i);
  }
  EXPECT_GT(fs::file_size(other), kLimit);
  EXPECT_FALSE(fs::exists(foundation::logGeneration(other, 1)));

  int saved = ::dup(STDERR_FILENO);
  int fd = ::open(log_.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  ::dup2(fd, STDERR_FILENO);
  ::close(fd);
  for (int i = 0; i < 300; ++i) NSLog("line %d", i);
  ::dup2(saved, STDERR_FILENO);
  ::close(saved);
  EXPECT_GT(fs::file_size(log_), kLimit);
  EXPECT_FALSE(fs::exists(foundation::logGeneration(log_, 1)));
}

}  // namespace
