#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace notify_test {

// A fresh device root, removed with everything in it at the end.
class TempRoot {
 public:
  explicit TempRoot(std::size_t minLength = 0);
  ~TempRoot();
  TempRoot(const TempRoot&) = delete;
  TempRoot& operator=(const TempRoot&) = delete;
  const std::string& path() const { return path_; }
  std::string folder() const { return path_ + "/var/run/notify"; }
  std::vector<std::string> entries() const;  // the listeners

 private:
  std::string path_;
};

// The observer helper in a process of its own, under a given device root.
class Observer {
 public:
  Observer(const std::string& root, int behaviour, const std::vector<std::string>& names);
  ~Observer();
  Observer(const Observer&) = delete;
  Observer& operator=(const Observer&) = delete;

  // The next line the helper printed, or nothing when the deadline passed.
  std::optional<std::string> nextLine(std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // Every line printed until `quiet` passes without one.
  std::vector<std::string> linesUntilQuiet(std::chrono::milliseconds quiet);
  void signal(int sig);
  void killAndReap();
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string buffer_;
};

}  // namespace notify_test

namespace notify_test {

// Points this process's posts at another device root for a while.
class PostingRoot {
 public:
  explicit PostingRoot(const std::string& root);
  ~PostingRoot();
  PostingRoot(const PostingRoot&) = delete;
  PostingRoot& operator=(const PostingRoot&) = delete;

 private:
  std::optional<std::string> previous_;
};

// Runs the main loop until this process has read `count` posts in all (and
// delivered them, which happens in the same pass).
bool receiveUntil(std::uint64_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5));

}  // namespace notify_test
