// HTTP GET through WinINet, for the Windows backend. Thread: any; each call has its own session.
#pragma once

#include <cstddef>
#include <optional>
#include <stop_token>
#include <string>

#include "platform/env.h"

namespace kestrava {

// One GET through the pre-configured proxy, with the URL cache session reset and a reload that
// bypasses the cache; 4 s connect timeout, 10 s for the whole exchange. Reads at most
// `max_body_bytes` of the body. Returns nothing on any failure, and promptly when `stop` is
// requested.
std::optional<HttpResponse> WinInetHttpGet(const std::string& url, std::size_t max_body_bytes,
                                           std::stop_token stop);

}  // namespace kestrava
