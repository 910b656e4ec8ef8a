// HTTP GET through WinINet, for the Windows backend. Thread: any; each call has its own session.
#pragma once

#include <cstddef>
#include <stop_token>
#include <string>

#include "platform/env.h"

namespace kestrava {

// One GET through the pre-configured proxy, with the URL cache session reset and a reload that
// bypasses the cache; 4 s connect timeout, 10 s for the whole exchange. Reads at most
// `max_body_bytes` of the body; a body cut short of its announced length is a failure. Gives the
// kind of failure when no reply came, and returns at once when `stop` is requested: the blocking
// calls run on a thread of their own, whose handles are then closed and which keeps the module
// loaded until it has ended.
HttpResult WinInetHttpGet(const std::string& url, std::size_t max_body_bytes, std::stop_token stop);

}  // namespace kestrava
