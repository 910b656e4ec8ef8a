#include "platform/win32/wininet_http.h"

// The WinINet exchange arrives with the squawk service client.

namespace kestrava {

std::optional<HttpResponse> WinInetHttpGet(const std::string& /*url*/,
                                           std::size_t /*max_body_bytes*/,
                                           std::stop_token /*stop*/) {
  return std::nullopt;
}

}  // namespace kestrava
