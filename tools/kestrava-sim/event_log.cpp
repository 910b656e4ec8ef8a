#include "tools/kestrava-sim/event_log.h"

namespace kestrava::sim {

EventLog::EventLog(const std::string& path)
    : out_(path, std::ios::binary | std::ios::trunc), ok_(out_.good()) {}

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
  out_.write(text.data(), static_cast<std::streamsize>(text.size()));
  out_.flush();
}

}  // namespace kestrava::sim
