// One owned file descriptor: closed when its owner goes away, moved but never
// copied, so no path can close it twice or leak it on an early return.
#pragma once

#include <unistd.h>

#include <utility>

namespace foundation {

class UniqueFd {
 public:
  UniqueFd() noexcept = default;
  explicit UniqueFd(int fd) noexcept : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  int get() const noexcept { return fd_; }
  explicit operator bool() const noexcept { return fd_ >= 0; }
  // Gives the descriptor up without closing it.
  [[nodiscard]] int release() noexcept { return std::exchange(fd_, -1); }
  // Closes what is held and holds `fd` instead.
  void reset(int fd = -1) noexcept {
    int old = std::exchange(fd_, fd);
    if (old >= 0 && old != fd) ::close(old);
  }
  // Closes now and answers close's result: a written file is only safely
  // written once this is 0.
  int close() noexcept {
    int fd = release();
    return fd >= 0 ? ::close(fd) : 0;
  }

 private:
  int fd_ = -1;
};

}  // namespace foundation
