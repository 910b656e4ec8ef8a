#include "squawk-service/service.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <mutex>

#include "squawk-service/code_ranges.h"
#include "squawk-service/request_params.h"
#include "squawk-service/squawk_encoding.h"
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

struct SquawkService::Impl {
  explicit Impl(ServiceOptions o)
      : options(std::move(o)), rules(std::make_shared<const Rules>(options.rules)) {
    if (!options.clock) options.clock = SystemNow;
  }

  std::shared_ptr<const Rules> CurrentRules() {
    std::lock_guard lock(rules_mutex);
    return rules;
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
    if (target->path == options.base_path + "sqk_startup.php") {
      record.kind = "startup";
      return Startup(param("version"));
    }
    if (target->path == options.base_path + "sqk_assign.php") {
      record.kind = "assign";
      return Assign(param, record);
    }
    if (target->path == "/healthz") {
      record.kind = "healthz";
      return Health();
    }
    record.kind = "other";
    return Text(404, "not found\n");
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
  HttpReply Assign(const Param& param, AccessRecord& record) {
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
    const std::shared_ptr<const Rules> now_rules = CurrentRules();
    request.override_code = param("ovr") == "1";
    request.now = options.clock();
    request.idle_before = request.now - now_rules->hold_seconds;
    request.candidates = now_rules->Candidates(request.airport, request.destination);
    request.excluded = &now_rules->reserved;
    request.max_per_macid = now_rules->max_per_macid;
    try {
      const AssignResult result = storage->Assign(request);
      if (result.kind != AssignResult::Kind::kHeld &&
          result.kind != AssignResult::Kind::kAssigned) {
        return Text(200, "0");
      }
      record.code = CodeText(result.code);
      return Text(200, EncodeSquawkReply(result.code));
    } catch (const StorageUnavailable&) {
      return Text(503, "0");
    }
  }

  HttpReply Health() {
    const bool healthy = storage->Healthy();
    const std::string body = std::string("{\"database\":\"") + (healthy ? "ok" : "failing") +
                             "\",\"rules\":\"" + CurrentRules()->version + "\"}\n";
    return HttpReply{healthy ? 200 : 503, "application/json", body};
  }

  ServiceOptions options;
  std::mutex rules_mutex;
  std::shared_ptr<const Rules> rules;  // guarded by rules_mutex
  std::unique_ptr<Storage> storage;
  std::unique_ptr<HttpServer> server;
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
  return true;
}

bool SquawkService::Start() {
  std::string ignored;
  return Start(ignored);
}

void SquawkService::Stop() {
  if (impl_->server) impl_->server->Stop();
}

void SquawkService::ReplaceRules(Rules rules) {
  auto replacement = std::make_shared<const Rules>(std::move(rules));
  std::lock_guard lock(impl_->rules_mutex);
  impl_->rules = std::move(replacement);
}

int SquawkService::port() const { return impl_->server ? impl_->server->port() : -1; }

std::string SquawkService::BaseUrl() const {
  const std::string& address = impl_->options.http.address;
  const std::string host = address.find(':') != std::string::npos ? "[" + address + "]" : address;
  return "http://" + host + ":" + std::to_string(port()) + impl_->options.base_path;
}

}  // namespace squawk_service
