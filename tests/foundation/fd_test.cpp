#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <utility>

#include "foundation/UniqueFd.h"

namespace {

using foundation::UniqueFd;

bool isOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

// A descriptor closed twice may close another file opened in between, so
// ownership must pass whole: only the last owner closes, exactly once.
TEST(UniqueFd, OnlyTheLastOwnerClosesAndOnlyOnce) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ::close(fds[1]);
  const int raw = fds[0];
  {
    UniqueFd first(raw);
    UniqueFd second(std::move(first));
    EXPECT_FALSE(first);
    { UniqueFd gone(std::move(first)); }  // a moved-from owner closes nothing
    EXPECT_TRUE(isOpen(raw));
    second = std::move(second);  // nor does a move onto itself
    EXPECT_TRUE(isOpen(raw));
    UniqueFd third;
    third = std::move(second);
    EXPECT_EQ(third.get(), raw);
  }
  EXPECT_FALSE(isOpen(raw));
}

TEST(UniqueFd, ReplacingOrReleasingSettlesTheOldDescriptor) {
  int a[2], b[2];
  ASSERT_EQ(::pipe(a), 0);
  ASSERT_EQ(::pipe(b), 0);
  UniqueFd fd(a[0]);
  fd = UniqueFd(b[0]);
  EXPECT_FALSE(isOpen(a[0])) << "the replaced descriptor is closed";
  int kept = fd.release();
  EXPECT_FALSE(fd);
  fd.reset();
  EXPECT_TRUE(isOpen(kept)) << "a released descriptor is the caller's";
  fd.reset(kept);
  EXPECT_EQ(fd.close(), 0);
  EXPECT_FALSE(isOpen(kept));
  EXPECT_EQ(fd.close(), 0) << "closing nothing is not an error";
  ::close(a[1]);
  ::close(b[1]);
}

}  // namespace
