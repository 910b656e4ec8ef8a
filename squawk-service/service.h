// The reference squawk service: a real HTTP server answering the plug-in's two requests under a
// base path ("/qex/" by default).
//
//   <base>sqk_startup.php?macid&name&version  ->  "START_ID:STATUS"; status 2 when the client's
//       version is older than the configured latest version, 1 otherwise. Start ids count up.
//   <base>sqk_assign.php?depicao&arricao&ctrlcs&ctrlname&acftcs&acftname&macid&ovr&gnd&startid
//       ->  the code from the departure airport's ranges (CodeAllocator), encoded for the client
//       (EncodeSquawkReply); "0" when there is none. "ovr=1" asks for a fresh code.
//
// Clients may keep a connection for any number of requests (closed after 1 s without one), and
// connections waiting to be accepted queue as deep as the system allows, so a burst of clients
// is served without refused connections.
//
// Fault modes for tests: every request is answered late (delay), with an error page, with
// garbage, or its connection is dropped before the body. Watchers ("/watch") are never faulted.
//
// Thread: Start and Stop on the owner's thread; the observer is called on the server's threads.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "squawk-service/code_ranges.h"

namespace squawk_service {

enum class Fault { kNone, kDelay, kErrorPage, kGarbage, kDrop };

// "none", "delay", "error", "garbage", "drop"; nothing for any other text.
std::optional<Fault> ParseFault(std::string_view text);

// Whether dotted version `version` is older than `latest` ("1.0" < "1.0.1" < "1.2" < "1.10").
bool IsOlderVersion(std::string_view version, std::string_view latest);

struct ServiceOptions {
  std::string host = "127.0.0.1";
  int port = 0;  // 0: any free port
  std::string base_path = "/qex/";
  std::vector<CodeRange> ranges = DefaultRanges();
  std::string latest_version;  // empty: never announce an update
  std::int32_t first_start_id = 1;
  std::chrono::seconds hold{std::chrono::hours(2)};
  Fault fault = Fault::kNone;
  std::chrono::milliseconds delay{2000};  // how late Fault::kDelay answers
  int threads = 16;                       // requests served at the same time
  // Told the request target ("/qex/sqk_assign.php?...") of every request before it is answered.
  std::function<void(const std::string& target)> on_request;
  // When set, "/watch" answers with a line every 250 ms for as long as the client keeps the
  // connection open, and this is told the number of such watchers whenever it changes. (A
  // program that cannot end the service otherwise ends it by closing its watch.)
  std::function<void(int watchers)> on_watchers_changed;
};

class SquawkService {
 public:
  explicit SquawkService(ServiceOptions options);
  ~SquawkService();  // Stop
  SquawkService(const SquawkService&) = delete;
  SquawkService& operator=(const SquawkService&) = delete;

  // Binds the address and serves on a thread of its own. Returns false when it cannot bind.
  bool Start();
  // Ends pending delays at once, stops serving and waits for the server's thread.
  void Stop();

  int port() const;
  // "http://HOST:PORT" followed by the base path.
  std::string BaseUrl() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace squawk_service
