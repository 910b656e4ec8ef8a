// The outcome of one HTTP exchange: the server's reply, or why none came.
//
// The kinds of failure are the same words on every backend, so what the plug-in tells the
// controller does not depend on the system it runs on. Plain values; any thread.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace kestrava {

// A reply: the status and the body, cut at the caller's limit.
struct HttpResponse {
  int status = 0;
  std::string body;
};

enum class HttpFailure {
  kRefused,      // no connection: refused, or no route to the server
  kUnknownHost,  // the server's name does not resolve
  kTimedOut,     // no connection or no whole reply within the time limits
  kBroken,       // anything else: the connection broke, a bad URL, the exchange was stopped
};

class HttpResult {
 public:
  HttpResult(HttpResponse response) : response_(std::move(response)) {}  // NOLINT: a reply
  HttpResult(HttpFailure failure) : failure_(failure) {}                 // NOLINT: no reply

  // True when the server replied (whatever its status).
  explicit operator bool() const { return response_.has_value(); }
  // Why no reply came; meaningful only when there is none.
  HttpFailure failure() const { return failure_; }

  // The reply; only when there is one.
  HttpResponse& operator*() { return *response_; }
  const HttpResponse& operator*() const { return *response_; }
  HttpResponse* operator->() { return &*response_; }
  const HttpResponse* operator->() const { return &*response_; }

 private:
  std::optional<HttpResponse> response_;
  HttpFailure failure_ = HttpFailure::kBroken;
};

}  // namespace kestrava
