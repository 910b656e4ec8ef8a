#include "tools/kestrava-sim/event_log.h"

#include <cerrno>
#include <cstring>

namespace kestrava::sim {

EventLog::EventLog(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {
  if (file_ == nullptr) FailLocked(errno);
}

EventLog::~EventLog() { Close(); }

void EventLog::FailLocked(int error_number) {
  if (failed_) return;
  error_ = error_number != 0 ? std::strerror(error_number) : "write error";
  failed_ = true;
}

std::string EventLog::error() const {
  std::lock_guard lock(mutex_);
  return error_;
}

std::int64_t EventLog::lines_written() const {
  std::lock_guard lock(mutex_);
  return written_;
}

std::int64_t EventLog::lines_given() const {
  std::lock_guard lock(mutex_);
  return given_;
}

Json EventLog::Seconds(std::int64_t elapsed_millis) {
  if (elapsed_millis % 1000 == 0) return elapsed_millis / 1000;
  return static_cast<double>(elapsed_millis) / 1000.0;
}

void EventLog::Write(std::int64_t elapsed_millis, std::string_view event, const Json& fields) {
  Json line = Json::object();
  line["t"] = Seconds(elapsed_millis);
  line["event"] = event;
  if (fields.is_object()) {
    for (const auto& [key, value] : fields.items()) line[key] = value;
  }
  const std::string text = line.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
  std::lock_guard lock(mutex_);
  ++given_;
  if (failed_ || file_ == nullptr) return;
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() || std::fflush(file_) != 0) {
    FailLocked(errno);
    return;
  }
  ++written_;
}

bool EventLog::Close() {
  std::lock_guard lock(mutex_);
  if (file_ != nullptr) {
    errno = 0;
    if (std::fclose(file_) != 0) FailLocked(errno);
    file_ = nullptr;
  }
  return !failed_;
}

}  // namespace kestrava::sim
