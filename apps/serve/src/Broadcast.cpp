#include "serve/Broadcast.h"

namespace serve {

namespace {
constexpr std::size_t kKeep = 256;
}

std::string Broadcast::format(std::uint64_t id, const std::string& type, const std::string& data) {
  return "id: " + std::to_string(id) + "\nevent: " + type + "\ndata: " + data + "\n\n";
}

void Broadcast::post(const std::string& type, const nlohmann::json& data, const std::string& key) {
  // One line of JSON: a newline inside would end the event's data early.
  std::string text = data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  {
    std::lock_guard lock(mutex_);
    std::string event = format(++seq_, type, text);
    if (!key.empty()) latest_[key] = event;
    recent_.emplace_back(seq_, std::move(event));
    if (recent_.size() > kKeep) recent_.pop_front();
  }
  changed_.notify_all();
}

void Broadcast::postReplayed(const std::string& type, const nlohmann::json& data) {
  std::string text = data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  {
    std::lock_guard lock(mutex_);
    std::string event = format(++seq_, type, text);
    replayed_.push_back(event);
    if (replayed_.size() > kReplayed) replayed_.pop_front();
    recent_.emplace_back(seq_, std::move(event));
    if (recent_.size() > kKeep) recent_.pop_front();
  }
  changed_.notify_all();
}

std::size_t Broadcast::waiting() const {
  std::lock_guard lock(mutex_);
  return waiting_;
}

std::string Broadcast::next(std::uint64_t& seq, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  ++waiting_;
  changed_.wait_for(lock, timeout, [&] { return stopped_ || seq_ > seq; });
  --waiting_;
  if (stopped_ || seq_ <= seq) return {};
  if (recent_.empty() || recent_.front().first > seq + 1) {
    // Fell behind what is kept: start again from the latest of each key.
    std::string out;
    for (const auto& [k, e] : latest_) out += e;
    for (const auto& e : replayed_) out += e;
    seq = seq_;
    return out;
  }
  std::string out;
  for (const auto& [id, e] : recent_)
    if (id > seq) out += e;
  seq = seq_;
  return out;
}

std::string Broadcast::snapshot(std::uint64_t& seq) {
  std::lock_guard lock(mutex_);
  std::string out;
  for (const auto& [k, e] : latest_) out += e;
  for (const auto& e : replayed_) out += e;
  seq = seq_;
  return out;
}

void Broadcast::stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  changed_.notify_all();
}

bool Broadcast::stopped() const {
  std::lock_guard lock(mutex_);
  return stopped_;
}

}  // namespace serve
