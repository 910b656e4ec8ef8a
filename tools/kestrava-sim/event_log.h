// The simulator's event log: one JSON object per line (JSON Lines), in the order the events
// happened. Every object starts with "t" (simulated seconds since the start: a whole number, or
// a fraction with millisecond precision) and "event"; the event's own fields follow in the order
// given. Lines end with a line feed on every platform, so runs on Linux and Windows give the same
// bytes.
//
// Thread: Write from any thread (workers report notices); lines never interleave.
#pragma once

#include <cstdint>
#include <fstream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace kestrava::sim {

using Json = nlohmann::ordered_json;

class EventLog {
 public:
  // Creates (or truncates) the file. Check ok() afterwards.
  explicit EventLog(const std::string& path);

  bool ok() const { return ok_; }
  // Appends one event. `fields` is a JSON object (or null for none). Texts that are not valid
  // UTF-8 are written with U+FFFD in place of the invalid bytes.
  void Write(std::int64_t elapsed_millis, std::string_view event, const Json& fields = nullptr);

  // The JSON value of a simulated time.
  static Json Seconds(std::int64_t elapsed_millis);

 private:
  std::mutex mutex_;
  std::ofstream out_;
  bool ok_ = false;
};

}  // namespace kestrava::sim
