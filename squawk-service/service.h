// The squawk service: answers the plug-in's two requests under a base path ("/qex/" by default)
// from the durable state in a Storage, by the operator's Rules, over the HttpServer.
//
//   <base>sqk_startup.php?macid&name&version  ->  "START_ID:STATUS"; status 2 when the client's
//       version is older than the configured latest version, 1 otherwise. Start ids go up and
//       never wrap (503 once spent).
//   <base>sqk_assign.php?depicao&arricao&ctrlcs&ctrlname&acftcs&acftname&macid&ovr&gnd&startid
//       ->  the callsign's code (held, or a new one from the rules' candidates), encoded for the
//       client (EncodeSquawkReply); "0" when there is none or the macid holds its cap of codes.
//       "ovr=1" releases the callsign's code and asks for another.
//   /healthz  ->  200 and a small JSON document, 503 when the database cannot be written.
//   /metrics  ->  Prometheus' text format.
//   /status   ->  the HTML status page for the group's staff ("?callsign=" searches).
//
// With a network feed, codes squawked by online aircraft near the departure are not handed out,
// and holds of callsigns gone from the feed are released (FeedTraffic); without one, holds end
// the rules' hold time after their callsign last asked.
//
// Bad parameters get 400 (callsign, airport codes, macid); a client address or macid over its
// rate limit gets 429; a database that fails gets 503. A code is committed before its reply.
//
// Fault modes for tests of clients: every request is answered late (delay), with an error page,
// with garbage, or its connection is dropped before the body. Watchers ("/watch") are never
// faulted.
//
// Thread: Start, Stop and ReplaceRules on the owner's thread (ReplaceRules also while serving);
// the callbacks are called on the server's threads.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "squawk-service/feed_traffic.h"
#include "squawk-service/http_server.h"
#include "squawk-service/rules.h"

namespace squawk_service {

enum class Fault { kNone, kDelay, kErrorPage, kGarbage, kDrop };

// "none", "delay", "error", "garbage", "drop"; nothing for any other text.
std::optional<Fault> ParseFault(std::string_view text);

// Whether dotted version `version` is older than `latest` ("1.0" < "1.0.1" < "1.2" < "1.10").
bool IsOlderVersion(std::string_view version, std::string_view latest);

// What the access log says of one request.
struct AccessRecord {
  std::int64_t time = 0;  // unix seconds
  std::string client;
  std::string kind;  // "startup", "assign", "healthz", "other", ...
  std::string callsign;
  std::string airport;
  std::string code;  // four octal digits, or empty
  int status = 0;
  double latency_seconds = 0;
};

// "2026-12-07T20:15:03Z 127.0.0.1 assign BAW1 EGLL 2301 200 0.0012"; "-" for empty fields.
std::string AccessLogLine(const AccessRecord& record);

struct ServiceOptions {
  HttpServerOptions http;
  std::string base_path = "/qex/";
  std::string db = ":memory:";  // see OpenStorage
  int db_connections = 4;       // at most, to a PostgreSQL database
  Rules rules = DefaultRules();
  std::string latest_version;  // empty: never announce an update
  std::int32_t first_start_id = 1;
  Fault fault = Fault::kNone;
  std::chrono::milliseconds delay{2000};  // how late Fault::kDelay answers
  // The network's data feed (empty: none), fetched every feed_interval (0: only by
  // FetchFeedNow, for tests).
  std::string feed_url;
  std::chrono::seconds feed_interval{60};
  FeedTrafficOptions feed;
  // How often holds are released (Maintain); 0: only when Maintain is called.
  std::chrono::seconds maintain_interval{10};
  // Unix seconds now; the system clock when empty.
  std::function<std::int64_t()> clock;
  // Told the request target ("/qex/sqk_assign.php?...") of every request before it is answered.
  std::function<void(const std::string& target)> on_request;
  // Told every request once answered.
  std::function<void(const AccessRecord&)> on_access;
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

  // Opens the database and serves on threads of its own. False, with the reason in `error`,
  // when the database cannot be opened or the address cannot be bound.
  bool Start(std::string& error);
  bool Start();
  // Sends the answers in progress, ends pending delays at once, stops serving.
  void Stop();

  // Serves by `rules` from the next request on; codes held stay held.
  void ReplaceRules(Rules rules);

  // Releases the holds that have ended: by the feed (callsigns gone from it) when there is one,
  // else by the hold time. Done every maintain_interval while serving; callable any time.
  void Maintain();
  // Fetches the feed once now; true when the snapshot was good. False without a feed.
  bool FetchFeedNow();

  int port() const;
  // "http://HOST:PORT" followed by the base path.
  std::string BaseUrl() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace squawk_service
