// A folder on a 64 KiB tmpfs, for writes that must fail: fill it, or make it
// read-only. Mounting needs privilege; where it is not permitted, mount()
// answers false and the test skips.
#pragma once

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

namespace testsupport {

class SmallDisk {
 public:
  SmallDisk() = default;
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  ~SmallDisk() { unmount(); }

  // Mounts over `folder` (made first), before anything looks into it.
  bool mount(const std::string& folder) {
    std::filesystem::create_directories(folder);
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k,mode=0755") != 0) return false;
    folder_ = folder;
    return true;
  }
  // Writes until the disk is full; true when it ended full.
  bool fill() const {
    int fd = ::open((folder_ + "/filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    char block[4096] = {};
    while (::write(fd, block, sizeof block) > 0) {
    }
    bool full = errno == ENOSPC;
    ::close(fd);
    return full;
  }
  // The reason when it could not be remounted read-only; empty when it was.
  std::string makeReadOnly() const {
    if (::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, "size=64k") == 0) return {};
    return std::strerror(errno);
  }
  void unmount() {
    if (!folder_.empty()) ::umount2(folder_.c_str(), MNT_DETACH);
    folder_.clear();
  }

 private:
  std::string folder_;
};

}  // namespace testsupport
