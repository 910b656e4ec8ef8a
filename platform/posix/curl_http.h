// HTTP GET through libcurl, for the POSIX backend. Thread: any; each call has its own handle.
#pragma once

#include <cstddef>
#include <stop_token>
#include <string>

#include "platform/env.h"

namespace kestrava {

// One GET that bypasses caches, with a 4 s connect timeout and a 10 s limit on the whole
// exchange. Reads at most `max_body_bytes` of the body. Gives the kind of failure when no reply
// came (a connection refused, an unknown host, a timeout; kBroken for the rest and when `stop`
// was requested, which ends the exchange promptly).
HttpResult CurlHttpGet(const std::string& url, std::size_t max_body_bytes, std::stop_token stop);

}  // namespace kestrava
