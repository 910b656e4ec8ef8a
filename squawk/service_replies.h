// Reading the squawk service's replies. Pure functions; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrava {

// Bytes of each reply body that are read at most.
inline constexpr std::size_t kStartupReplyLimit = 1023;
inline constexpr std::size_t kAssignReplyLimit = 4;

// The start-up status that announces a newer version.
inline constexpr std::int32_t kStatusUpdateAvailable = 2;

struct StartupReply {
  std::int32_t start_id = 0;
  std::int32_t status = 0;

  friend bool operator==(const StartupReply&, const StartupReply&) = default;
};

// "start id:status", split at ':' like a tokenizer, each field read by its leading integer; the
// text ends at its first NUL byte. Nothing when there are fewer than two fields.
std::optional<StartupReply> ParseStartupReply(std::string_view body);

// The first kAssignReplyLimit bytes (up to a NUL byte) read as a hexadecimal number: optional
// white space, an optional sign, an optional "0x" prefix, hex digits. Nothing when no digit
// follows or the value is not positive.
std::optional<std::int32_t> ReadAssignReplyValue(std::string_view body);

// True when the reply reads, as above, as the number 0: the service's deliberate answer that it
// has no free code for the request.
bool IsNoCodeReply(std::string_view body);

// The four-digit code carried by `value`: the 3-bit fields at bits 5-7, 9-11, 0-2 and 13-15, in
// this order, each as a digit 0 to 7.
std::string DecodeSquawk(std::int32_t value);

}  // namespace kestrava
