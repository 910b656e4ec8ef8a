#include "squawk-service/service.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <mutex>
#include <thread>

#include "squawk-service/code_ranges.h"
#include "squawk-service/feed_fetcher.h"
#include "squawk-service/metrics.h"
#include "squawk-service/rate_limiter.h"
#include "squawk-service/request_params.h"
#include "squawk-service/squawk_encoding.h"
#include "squawk-service/status_page.h"
#include "squawk-service/storage.h"

namespace squawk_service {
namespace {

constexpr char kErrorPage[] =
    "<html><head><title>500 Internal Server Error</title></head>"
    "<body><h1>Internal Server Error</h1></body></html>";
constexpr char kGarbage[] = "\x01zq#\xff<%!garbage!%>\x7f";

// The numbers of a dotted version, each as its digits without leading zeros (the digits up to
// the first other character), with trailing zero parts dropped: "1.02.0" gives {"1", "2"}. Kept
// as text, so a number of any length compares without overflow.
std::vector<std::string_view> VersionParts(std::string_view version) {
  std::vector<std::string_view> parts;
  while (true) {
    const std::size_t dot = version.find('.');
    std::string_view part = version.substr(0, dot);
    part = part.substr(0, std::min(part.size(), part.find_first_not_of("0123456789")));
    part.remove_prefix(std::min(part.size(), part.find_first_not_of('0')));
    parts.push_back(part);
    if (dot == std::string_view::npos) break;
    version.remove_prefix(dot + 1);
  }
  while (!parts.empty() && parts.back().empty()) parts.pop_back();
  return parts;
}

// Numbers written without leading zeros: the shorter is the smaller.
bool LessNumber(std::string_view a, std::string_view b) {
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

std::int64_t SystemNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string Dash(const std::string& text) { return text.empty() ? "-" : text; }

HttpReply Text(int status, std::string body) {
  return HttpReply{status, "text/plain", std::move(body)};
}

}  // namespace

std::optional<Fault> ParseFault(std::string_view text) {
  if (text == "none") return Fault::kNone;
  if (text == "delay") return Fault::kDelay;
  if (text == "error") return Fault::kErrorPage;
  if (text == "garbage") return Fault::kGarbage;
  if (text == "drop") return Fault::kDrop;
  return std::nullopt;
}

bool IsOlderVersion(std::string_view version, std::string_view latest) {
  const std::vector<std::string_view> mine = VersionParts(version);
  const std::vector<std::string_view> newest = VersionParts(latest);
  return std::lexicographical_compare(mine.begin(), mine.end(), newest.begin(), newest.end(),
                                      LessNumber);
}

std::string AccessLogLine(const AccessRecord& record) {
  const std::time_t time = static_cast<std::time_t>(record.time);
  std::tm utc{};
  gmtime_r(&time, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
  char latency[32];
  std::snprintf(latency, sizeof latency, "%.4f", record.latency_seconds);
  return std::string(stamp) + " " + Dash(record.client) + " " + Dash(record.kind) + " " +
         Dash(record.callsign) + " " + Dash(record.airport) + " " + Dash(record.code) + " " +
         std::to_string(record.status) + " " + latency;
}

namespace {

// A pool as the status page and the metrics show it: its name, kind and spans.
struct PoolView {
  std::string name;
  std::string kind;
  std::vector<CodeSpan> spans;
};

std::vector<PoolView> PoolsOf(const Rules& rules) {
  std::vector<PoolView> pools;
  for (const PairRule& pair : rules.pairs) {
    pools.push_back({pair.from + ">" + pair.to, "pair", pair.spans});
  }
  for (const auto& [icao, spans] : rules.airports) pools.push_back({icao, "airport", spans});
  for (const auto& [prefix, spans] : rules.regions) pools.push_back({prefix, "prefix", spans});
  if (!rules.general.empty()) pools.push_back({"*", "general", rules.general});
  return pools;
}

// The rules in force with the rate limiters made for them.
struct LiveRules {
  std::shared_ptr<const Rules> rules;
  std::shared_ptr<RateLimiter> by_address;
  std::shared_ptr<RateLimiter> by_macid;
};

LiveRules MakeLive(Rules rules) {
  const RateLimit limit{rules.requests_per_second, static_cast<double>(rules.request_burst)};
  return {std::make_shared<const Rules>(std::move(rules)), std::make_shared<RateLimiter>(limit),
          std::make_shared<RateLimiter>(limit)};
}

// The service's metrics, registered once.
struct ServiceMetrics {
  MetricsRegistry registry;
  Family<Counter>& requests = registry.AddCounter(
      "squawk_requests_total", "Requests answered, by kind and HTTP status.", {"kind", "status"});
  Family<Histogram>& latency = registry.AddHistogram(
      "squawk_request_duration_seconds", "Time to answer a request, by kind.", {"kind"});
  Family<Counter>& assigned = registry.AddCounter("squawk_codes_assigned_total",
                                                  "New codes handed out, by pool.", {"pool"});
  Counter& full = registry
                      .AddCounter("squawk_full_pool_answers_total",
                                  "Assignments answered 0: every candidate code held.")
                      .With({});
  Counter& capped = registry
                        .AddCounter("squawk_macid_cap_answers_total",
                                    "Assignments answered 0: the macid holds its cap of codes.")
                        .With({});
  Family<Counter>& limited = registry.AddCounter(
      "squawk_rate_limited_total", "Requests answered 429, by what was over its limit.", {"by"});
  Family<Gauge>& held = registry.AddGauge("squawk_holds", "Codes held now, by pool.", {"pool"});
  Family<Gauge>& size = registry.AddGauge("squawk_pool_size", "Codes in each pool.", {"pool"});
  Family<Gauge>& feed_age =
      registry.AddGauge("squawk_feed_age_seconds", "Age of the last good network feed snapshot.");
};

}  // namespace

struct SquawkService::Impl {
  explicit Impl(ServiceOptions o) : options(std::move(o)), live(MakeLive(options.rules)) {
    if (!options.clock) options.clock = SystemNow;
    if (!options.feed_url.empty()) feed = std::make_unique<FeedTraffic>(options.feed);
  }

  LiveRules Live() {
    std::lock_guard lock(rules_mutex);
    return live;
  }

  HttpReply Answer(const HttpRequest& request) {
    const auto started = std::chrono::steady_clock::now();
    AccessRecord record;
    record.time = options.clock();
    record.client = request.client;
    HttpReply reply = Serve(request, record);
    record.status = reply.status;
    record.latency_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    metrics.requests.With({record.kind, std::to_string(record.status)}).Add();
    metrics.latency.With({record.kind}).Observe(record.latency_seconds);
    if (options.on_access) options.on_access(record);
    return reply;
  }

  HttpReply Serve(const HttpRequest& request, AccessRecord& record) {
    if (options.on_request) options.on_request(request.target);
    const std::optional<Target> target = ReadTarget(request.target);
    if (!target) {
      record.kind = "bad";
      return Text(400, "bad request target\n");
    }
    if (options.on_watchers_changed && target->path == "/watch") {
      record.kind = "watch";
      HttpReply watch;
      watch.watch = true;
      return watch;
    }
    if (std::optional<HttpReply> faulty = Faulty()) return *faulty;
    const auto param = [&target](const char* name) {
      const auto found = target->params.find(name);
      return found == target->params.end() ? std::string() : found->second;
    };
    const bool startup = target->path == options.base_path + "sqk_startup.php";
    const bool assign = target->path == options.base_path + "sqk_assign.php";
    record.kind = startup                      ? "startup"
                  : assign                     ? "assign"
                  : target->path == "/healthz" ? "healthz"
                  : target->path == "/metrics" ? "metrics"
                  : target->path == "/status"  ? "status"
                                               : "other";
    if (record.kind == "healthz") return Health();
    if (record.kind == "metrics") return Metrics();
    if (record.kind == "other") return Text(404, "not found\n");
    const LiveRules rules = Live();
    const double now =
        std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    if (!rules.by_address->Allow(request.client, now)) {
      metrics.limited.With({"address"}).Add();
      return Text(429, "too many requests\n");
    }
    const std::string macid = param("macid");
    if (!macid.empty() && (startup || assign) && !rules.by_macid->Allow(macid, now)) {
      metrics.limited.With({"macid"}).Add();
      return Text(429, "too many requests\n");
    }
    if (startup) return Startup(param("version"));
    if (assign) return Assign(param, *rules.rules, record);
    return Status(*rules.rules, param("callsign"));
  }

  std::optional<HttpReply> Faulty() {
    switch (options.fault) {
      case Fault::kNone: return std::nullopt;
      case Fault::kDelay: {
        // The answer itself comes from the server, late.
        HttpReply late = Text(200, "");
        late.delay = options.delay;
        return late;
      }
      case Fault::kErrorPage: return HttpReply{500, "text/html", kErrorPage};
      case Fault::kGarbage: return Text(200, std::string(kGarbage, sizeof kGarbage - 1));
      case Fault::kDrop: {
        HttpReply dropped;
        dropped.drop = true;
        return dropped;
      }
    }
    return std::nullopt;
  }

  HttpReply Startup(const std::string& version) {
    try {
      const std::int32_t start_id = storage->NextStartId(options.first_start_id);
      const bool update =
          !options.latest_version.empty() && IsOlderVersion(version, options.latest_version);
      return Text(200, std::to_string(start_id) + (update ? ":2" : ":1"));
    } catch (const StartIdsExhausted&) {
      return Text(503, "no start ids left\n");
    } catch (const StorageUnavailable&) {
      return Text(503, "database unavailable\n");
    }
  }

  template <typename Param>
  HttpReply Assign(const Param& param, const Rules& rules, AccessRecord& record) {
    AssignRequest request;
    request.callsign = param("acftcs");
    record.callsign = request.callsign;
    const std::optional<std::string> origin = IcaoCode(param("depicao"));
    const std::optional<std::string> destination = IcaoCode(param("arricao"));
    request.controller = param("ctrlcs");
    request.macid = param("macid");
    if (!IsCallsign(request.callsign) || (!origin && !param("depicao").empty()) ||
        (!destination && !param("arricao").empty()) || !IsShortText(request.controller) ||
        !IsShortText(request.macid)) {
      return Text(400, "0");
    }
    request.airport = origin.value_or("");
    request.destination = destination.value_or("");
    record.airport = request.airport;
    request.override_code = param("ovr") == "1";
    request.now = options.clock();
    // With a feed, holds end when their aircraft has left it (Maintain), not by the hold time.
    if (!feed) request.idle_before = request.now - rules.hold_seconds;
    request.candidates = rules.Candidates(request.airport, request.destination);
    request.max_per_macid = rules.max_per_macid;
    std::unordered_set<int> excluded;
    request.excluded = &rules.reserved;
    if (feed) {
      const std::shared_ptr<const FeedTraffic::CodeSet> squawked =
          feed->SquawkedFor(request.airport);
      if (!squawked->empty()) {
        excluded = *squawked;
        excluded.insert(rules.reserved.begin(), rules.reserved.end());
        request.excluded = &excluded;
      }
    }
    try {
      const AssignResult result = storage->Assign(request);
      switch (result.kind) {
        case AssignResult::Kind::kNoFreeCode: metrics.full.Add(); return Text(200, "0");
        case AssignResult::Kind::kMacidCap: metrics.capped.Add(); return Text(200, "0");
        case AssignResult::Kind::kAssigned: metrics.assigned.With({result.pool}).Add(); break;
        case AssignResult::Kind::kHeld: break;
      }
      record.code = CodeText(result.code);
      return Text(200, EncodeSquawkReply(result.code));
    } catch (const StorageUnavailable&) {
      return Text(503, "0");
    }
  }

  HttpReply Health() {
    const bool healthy = storage->Healthy();
    std::string body = std::string("{\"database\":\"") + (healthy ? "ok" : "failing") +
                       "\",\"rules\":\"" + Live().rules->version + "\"";
    if (feed) {
      const FeedStatus status = feed->Status(options.clock());
      body += ",\"feed\":{\"age_seconds\":" +
              (status.age ? std::to_string(*status.age) : std::string("null")) +
              ",\"failing\":" + (status.failing ? "true" : "false") + "}";
    }
    return HttpReply{healthy ? 200 : 503, "application/json", body + "}\n"};
  }

  HttpReply Metrics() {
    try {
      const std::vector<PoolView> pools = PoolsOf(*Live().rules);
      metrics.held.Clear();
      metrics.size.Clear();
      for (const PoolView& pool : pools) {
        const std::vector<int> held = storage->HeldInSpans(pool.spans);
        int total = 0;
        for (const int count : held) total += count;
        metrics.held.With({pool.name}).Set(total);
        metrics.size.With({pool.name}).Set(PoolSize(pool.spans));
      }
    } catch (const StorageUnavailable&) {
      return Text(503, "database unavailable\n");
    }
    if (feed) {
      const FeedStatus status = feed->Status(options.clock());
      if (status.age) metrics.feed_age.With({}).Set(static_cast<double>(*status.age));
    }
    return HttpReply{200, "text/plain; version=0.0.4", metrics.registry.Render()};
  }

  int PoolSize(const std::vector<CodeSpan>& spans) {
    const Rules& rules = *Live().rules;
    int size = 0;
    for (const CodeSpan& span : spans) {
      for (int code = span.first; code <= span.last; ++code) {
        size += rules.reserved.count(code) == 0 ? 1 : 0;
      }
    }
    return size;
  }

  HttpReply Status(const Rules& rules, const std::string& search) {
    StatusSnapshot snapshot;
    snapshot.now = options.clock();
    snapshot.rules_version = rules.version;
    snapshot.search = search;
    if (feed) {
      const FeedStatus status = feed->Status(snapshot.now);
      snapshot.feed_age = status.age;
      snapshot.feed_failing = status.failing;
    }
    try {
      for (const PoolView& pool : PoolsOf(rules)) {
        std::string codes;
        for (const CodeSpan& span : pool.spans) {
          codes += (codes.empty() ? "" : ", ") + CodeText(span.first) +
                   (span.first == span.last ? "" : "-" + CodeText(span.last));
        }
        int held = 0;
        for (const int count : storage->HeldInSpans(pool.spans)) held += count;
        snapshot.pools.push_back({pool.name, pool.kind, codes, PoolSize(pool.spans), held});
      }
      for (const Hold& hold : storage->Holds()) {
        snapshot.holds.push_back({hold.callsign, hold.code, hold.airport, hold.controller,
                                  hold.pool, hold.since, hold.last_asked});
      }
    } catch (const StorageUnavailable&) {
      return Text(503, "database unavailable\n");
    }
    snapshot.recent = snapshot.holds;
    std::sort(snapshot.recent.begin(), snapshot.recent.end(),
              [](const StatusHold& a, const StatusHold& b) { return a.since > b.since; });
    if (snapshot.recent.size() > 10) snapshot.recent.resize(10);
    std::sort(snapshot.holds.begin(), snapshot.holds.end(),
              [](const StatusHold& a, const StatusHold& b) { return a.callsign < b.callsign; });
    return HttpReply{200, "text/html; charset=utf-8", RenderStatusPage(snapshot)};
  }

  void Maintain() {
    try {
      if (feed) {
        std::vector<HeldCallsign> held;
        for (const Hold& hold : storage->Holds()) held.push_back({hold.callsign, hold.since});
        const std::vector<std::string> gone = feed->ToRelease(held);
        if (!gone.empty()) storage->ReleaseCallsigns(gone);
      } else {
        storage->ReleaseIdleSince(options.clock() - Live().rules->hold_seconds);
      }
    } catch (const StorageUnavailable&) {
      // Tried again next time; /healthz shows the database failing.
    }
  }

  // Runs Maintain every maintain_interval until stopping.
  void MaintainLoop() {
    std::unique_lock lock(maintain_mutex);
    while (!maintain_stop.wait_for(lock, options.maintain_interval, [this] { return stopping; })) {
      lock.unlock();
      Maintain();
      lock.lock();
    }
  }

  ServiceOptions options;
  ServiceMetrics metrics;
  std::mutex rules_mutex;
  LiveRules live;  // guarded by rules_mutex
  std::unique_ptr<Storage> storage;
  std::unique_ptr<FeedTraffic> feed;
  std::unique_ptr<FeedFetcher> fetcher;
  std::unique_ptr<HttpServer> server;
  std::mutex maintain_mutex;
  std::condition_variable maintain_stop;
  bool stopping = false;  // guarded by maintain_mutex
  std::thread maintainer;
};

SquawkService::SquawkService(ServiceOptions options)
    : impl_(std::make_unique<Impl>(std::move(options))) {}

SquawkService::~SquawkService() { Stop(); }

bool SquawkService::Start(std::string& error) {
  Impl& impl = *impl_;
  if (impl.server) return true;
  try {
    impl.storage = OpenStorage(impl.options.db, impl.options.db_connections);
  } catch (const StorageUnavailable& e) {
    error = e.what();
    return false;
  }
  auto server = std::make_unique<HttpServer>(
      impl.options.http, [&impl](const HttpRequest& request) { return impl.Answer(request); },
      impl.options.on_watchers_changed);
  if (!server->Start(error)) return false;
  impl.server = std::move(server);
  if (impl.feed) {
    impl.fetcher = std::make_unique<FeedFetcher>(
        FeedFetcherOptions{impl.options.feed_url, impl.options.feed_interval}, *impl.feed,
        impl.options.clock,
        [](std::string_view line) { std::cerr << "squawk-service: " << line << std::endl; });
    if (impl.options.feed_interval.count() > 0) impl.fetcher->Start();
  }
  if (impl.options.maintain_interval.count() > 0) {
    impl.maintainer = std::thread([&impl] { impl.MaintainLoop(); });
  }
  return true;
}

bool SquawkService::Start() {
  std::string ignored;
  return Start(ignored);
}

void SquawkService::Stop() {
  Impl& impl = *impl_;
  {
    std::lock_guard lock(impl.maintain_mutex);
    impl.stopping = true;
  }
  impl.maintain_stop.notify_all();
  if (impl.maintainer.joinable()) impl.maintainer.join();
  if (impl.fetcher) impl.fetcher->Stop();
  if (impl.server) impl.server->Stop();
}

void SquawkService::ReplaceRules(Rules rules) {
  LiveRules replacement = MakeLive(std::move(rules));
  std::lock_guard lock(impl_->rules_mutex);
  const Rules& old = *impl_->live.rules;
  if (old.requests_per_second == replacement.rules->requests_per_second &&
      old.request_burst == replacement.rules->request_burst) {
    // The same limits: clients keep their buckets.
    replacement.by_address = impl_->live.by_address;
    replacement.by_macid = impl_->live.by_macid;
  }
  impl_->live = std::move(replacement);
}

void SquawkService::Maintain() {
  if (impl_->storage) impl_->Maintain();
}

bool SquawkService::FetchFeedNow() { return impl_->fetcher && impl_->fetcher->FetchOnce(); }

int SquawkService::port() const { return impl_->server ? impl_->server->port() : -1; }

std::string SquawkService::BaseUrl() const {
  const std::string& address = impl_->options.http.address;
  const std::string host = address.find(':') != std::string::npos ? "[" + address + "]" : address;
  return "http://" + host + ":" + std::to_string(port()) + impl_->options.base_path;
}

}  // namespace squawk_service
