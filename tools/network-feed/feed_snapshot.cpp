#include "tools/network-feed/feed_snapshot.h"

namespace kestrava::network_feed {

std::optional<int> TransponderCode(std::string_view transponder) {
  if (transponder.size() != 4) return std::nullopt;
  int code = 0;
  for (const char c : transponder) {
    if (c < '0' || c > '7') return std::nullopt;
    code = code * 8 + (c - '0');
  }
  return code;
}

}  // namespace kestrava::network_feed
