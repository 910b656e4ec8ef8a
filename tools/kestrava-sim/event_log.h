// The simulator's event log: one JSON object per line (JSON Lines), in the order the events
// happened. Every object starts with "t" (simulated seconds since the start: a whole number, or
// a fraction with millisecond precision) and "event"; the event's own fields follow in the order
// given. Lines end with a line feed on every platform, so runs on Linux and Windows give the same
// bytes.
//
// Every line is written and flushed at once, and every write is checked: after the first failure
// (a full disk) nothing more is written and ok() stays false, with the reason in error().
//
// Thread: Write from any thread (workers report notices); lines never interleave.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
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
  ~EventLog();  // closes the file (see Close)
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;

  // False once the file could not be created, written, flushed or closed.
  bool ok() const { return !failed_; }
  // Why it failed ("" while ok).
  std::string error() const;
  // Lines written in full, and lines that were to be written.
  std::int64_t lines_written() const;
  std::int64_t lines_given() const;

  // Appends one event. `fields` is a JSON object (or null for none). Texts that are not valid
  // UTF-8 are written with U+FFFD in place of the invalid bytes.
  void Write(std::int64_t elapsed_millis, std::string_view event, const Json& fields = nullptr);
  // Closes the file, checking that everything reached it; returns ok().
  bool Close();

  // The JSON value of a simulated time.
  static Json Seconds(std::int64_t elapsed_millis);

 private:
  void FailLocked(int error_number);

  mutable std::mutex mutex_;
  std::FILE* file_ = nullptr;  // guarded by mutex_
  std::string error_;          // guarded
  std::int64_t written_ = 0;   // guarded
  std::int64_t given_ = 0;     // guarded
  std::atomic<bool> failed_{false};
};

}  // namespace kestrava::sim
