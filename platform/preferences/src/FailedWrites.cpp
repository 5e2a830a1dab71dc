#include "preferences/FailedWrites.h"

#include <mutex>
#include <utility>

namespace preferences {

namespace {
std::mutex failuresMutex;
std::vector<std::string>& failures() {
  static auto* list = new std::vector<std::string>;  // outlives every static writer
  return *list;
}
}  // namespace

void noteFailedWrite(std::string why) {
  std::lock_guard g(failuresMutex);
  // Kept short: nobody may ever take them in a process without a host.
  if (failures().size() < 16) failures().push_back(std::move(why));
}

std::vector<std::string> takeFailedWrites() {
  std::lock_guard g(failuresMutex);
  return std::exchange(failures(), {});
}

}  // namespace preferences
