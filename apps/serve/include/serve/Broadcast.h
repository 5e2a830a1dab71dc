// Server-sent events for every open page, in one order. A page that connects
// late, or falls too far behind, starts from the latest event of each key
// (each screen's frame, each host's status) instead of the whole history.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

namespace serve {

class Broadcast {
 public:
  // `key` names what the event replaces for a page that connects later;
  // empty for events that only matter as they happen.
  void post(const std::string& type, const nlohmann::json& data, const std::string& key = {});
  // An event a page that connects later gets too, among the last `kReplayed`
  // of its kind (log lines).
  void postReplayed(const std::string& type, const nlohmann::json& data);
  static constexpr std::size_t kReplayed = 300;

  // The text of the events after `seq` (moved on past them), waiting up to
  // `timeout` for one; empty on timeout or once stopped.
  std::string next(std::uint64_t& seq, std::chrono::milliseconds timeout);
  // The latest event of each key; `seq` is set to the newest event.
  std::string snapshot(std::uint64_t& seq);
  void stop();
  bool stopped() const;
  // Pages inside next(), waiting for an event.
  std::size_t waiting() const;

 private:
  static std::string format(std::uint64_t id, const std::string& type, const std::string& data);
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::pair<std::uint64_t, std::string>> recent_;
  std::map<std::string, std::string> latest_;
  std::deque<std::string> replayed_;
  std::uint64_t seq_ = 0;
  std::size_t waiting_ = 0;
  bool stopped_ = false;
};

}  // namespace serve
