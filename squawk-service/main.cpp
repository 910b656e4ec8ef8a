// squawk-service: the squawk service as a program (see --help, and docs/squawk-service.md).
//
// Serves until SIGINT or SIGTERM (after the answers in progress); SIGHUP reads the rules file
// again (a bad file keeps the rules in force, and the log says why). Test-only flags
// (--help-testing) end it after --lifetime seconds, or, with --exit-with-watcher, once its last
// watcher has gone (a client that keeps "GET /watch" open; the program that started the service
// ends it by closing that connection, also by ending) or when no watcher has come within 10 s.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "squawk-service/service.h"

namespace {

using squawk_service::ServiceOptions;

constexpr char kUsage[] =
    "usage: squawk-service [options]\n"
    "  --listen ADDR:PORT        address to serve on (default 127.0.0.1:8080; [::1]:8080)\n"
    "  --db FILE                 SQLite database of holds and start ids (default\n"
    "                            squawk-service.db; \":memory:\" keeps nothing), or a\n"
    "                            PostgreSQL connection string (postgresql://...) shared by\n"
    "                            several instances\n"
    "  --db-connections N        connections to PostgreSQL, at most (default 4)\n"
    "  --rules FILE              the code allocation rules (TOML, or one \"ICAO FIRST-LAST\"\n"
    "                            range a line); SIGHUP reads it again\n"
    "  --check-rules FILE        check a rules file, print its errors, and exit (0 when good)\n"
    "  --hold SECONDS            how long a code is held after its last request (1 to 604800;\n"
    "                            overrides the rules file)\n"
    "  --max-codes-per-macid N   codes one client may hold (overrides the rules file)\n"
    "  --rate N --burst N        requests a second, and at once, per address and per macid\n"
    "                            (--rate 0: no limit)\n"
    "  --network-feed URL        the network's data feed: codes squawked by online aircraft\n"
    "                            are not handed out; holds of aircraft gone are released\n"
    "  --feed-interval SECONDS   how often the feed is read (default 60)\n"
    "  --airports FILE           \"ICAO LAT LON\" lines: only aircraft within 300 NM of the\n"
    "                            departure count (default: every online aircraft)\n"
    "  --release-after SECONDS   a hold is released when its callsign has been absent from\n"
    "                            the feed this long (default 600)\n"
    "  --latest VERSION          clients older than this are told to update\n"
    "  --first-start-id N        the lowest start id handed out (1 to 2147483647)\n"
    "  --base-path PATH          where the two requests are served (default /qex/)\n"
    "  --trusted-proxy ADDR      take the client address from X-Forwarded-For on requests\n"
    "                            from ADDR (repeatable)\n"
    "  --max-connections-per-address N   (default 256)\n"
    "  --access-log FILE         one line a request (default: standard output; \"none\")\n"
    "  --help-testing            flags for tests of the plug-in\n";

constexpr char kTestingUsage[] =
    "flags for tests of the plug-in (not for operators):\n"
    "  --host ADDR --port N      instead of --listen; port 0 takes a free port\n"
    "  --port-file FILE          write the port served (whole, through a rename)\n"
    "  --fault none|delay|error|garbage|drop   answer every request this way\n"
    "  --delay-ms N              how late --fault delay answers\n"
    "  --request-log FILE        write \"GET TARGET\" of every request\n"
    "  --lifetime SECONDS        end after this long\n"
    "  --exit-with-watcher       end when the last client holding GET /watch has gone\n";

std::optional<long long> ReadNumber(const std::string& text, long long min, long long max) {
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || value < min || value > max) {
    return std::nullopt;
  }
  return value;
}

int Fail(const std::string& message) {
  std::cerr << "squawk-service: " << message << "\n" << kUsage;
  return 2;
}

void Log(const std::string& message) { std::cerr << "squawk-service: " << message << std::endl; }

// The rules in `path`, with the errors printed; nothing when the file cannot be read or is bad.
std::optional<squawk_service::Rules> LoadRules(const std::string& path) {
  std::ifstream in(path);
  if (!in) {
    Log("cannot read the rules file " + path);
    return std::nullopt;
  }
  std::stringstream text;
  text << in.rdbuf();
  squawk_service::RulesReading reading = squawk_service::ReadRules(text.str());
  for (const std::string& error : reading.errors) Log(path + ": " + error);
  return std::move(reading.rules);
}

// Settings given as flags, which take precedence over the rules file.
struct RuleOverrides {
  std::optional<long long> hold_seconds;
  std::optional<long long> max_per_macid;
  std::optional<long long> rate;
  std::optional<long long> burst;

  void ApplyTo(squawk_service::Rules& rules) const {
    if (hold_seconds) rules.hold_seconds = *hold_seconds;
    if (max_per_macid) rules.max_per_macid = static_cast<int>(*max_per_macid);
    if (rate) rules.requests_per_second = static_cast<double>(*rate);
    if (burst) rules.request_burst = static_cast<int>(*burst);
  }
};

bool SplitListen(const std::string& text, std::string& address, int& port) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos) return false;
  address = text.substr(0, colon);
  if (address.size() >= 2 && address.front() == '[' && address.back() == ']') {
    address = address.substr(1, address.size() - 2);
  }
  const std::optional<long long> number = ReadNumber(text.substr(colon + 1), 0, 65535);
  if (!number || address.empty()) return false;
  port = static_cast<int>(*number);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  ServiceOptions options;
  options.db = "squawk-service.db";
  options.http.port = 8080;
  std::string rules_file;
  std::string port_file;
  std::string request_log;
  std::string access_log = "-";
  RuleOverrides overrides;
  long long lifetime = 0;
  bool exit_with_watcher = false;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--help" || name == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (name == "--help-testing") {
      std::cout << kTestingUsage;
      return 0;
    }
    if (name == "--exit-with-watcher") {
      exit_with_watcher = true;
      continue;
    }
    if (name.rfind("--", 0) != 0 || i + 1 >= argc) return Fail("bad argument " + name);
    const std::string value = argv[++i];
    std::optional<long long> number;
    const auto numeric = [&](long long min, long long max) {
      number = ReadNumber(value, min, max);
      return number.has_value();
    };
    if (name == "--listen" && SplitListen(value, options.http.address, options.http.port)) {
    } else if (name == "--host") {
      options.http.address = value;
    } else if (name == "--port" && numeric(0, 65535)) {
      options.http.port = static_cast<int>(*number);
    } else if (name == "--db" && !value.empty()) {
      options.db = value;
    } else if (name == "--db-connections" && numeric(1, 1000)) {
      options.db_connections = static_cast<int>(*number);
    } else if (name == "--rules") {
      rules_file = value;
    } else if (name == "--check-rules") {
      const bool good = LoadRules(value).has_value();
      std::cout << value << (good ? ": good\n" : ": bad\n");
      return good ? 0 : 1;
    } else if (name == "--hold" && numeric(1, 7 * 24 * 3600)) {
      overrides.hold_seconds = number;
    } else if (name == "--max-codes-per-macid" && numeric(1, 4096)) {
      overrides.max_per_macid = number;
    } else if (name == "--rate" && numeric(0, 100000)) {
      overrides.rate = number;
    } else if (name == "--burst" && numeric(1, 100000)) {
      overrides.burst = number;
    } else if (name == "--network-feed" && !value.empty()) {
      options.feed_url = value;
    } else if (name == "--feed-interval" && numeric(5, 24 * 3600)) {
      options.feed_interval = std::chrono::seconds(*number);
    } else if (name == "--airports") {
      try {
        options.feed.airports = squawk_service::ReadAirportsFile(value);
      } catch (const squawk_service::AirportsFileError& e) {
        Log(e.what());
        return 1;
      }
    } else if (name == "--release-after" && numeric(60, 7 * 24 * 3600)) {
      options.feed.release_after = *number;
    } else if (name == "--base-path" && !value.empty() && value.front() == '/' &&
               value.back() == '/') {
      options.base_path = value;
    } else if (name == "--latest") {
      options.latest_version = value;
    } else if (name == "--first-start-id" && numeric(1, 2147483647)) {
      options.first_start_id = static_cast<std::int32_t>(*number);
    } else if (name == "--trusted-proxy" && !value.empty()) {
      options.http.trusted_proxies.push_back(value);
    } else if (name == "--max-connections-per-address" && numeric(1, 100000)) {
      options.http.max_connections_per_address = static_cast<int>(*number);
    } else if (name == "--access-log") {
      access_log = value;
    } else if (name == "--fault" && squawk_service::ParseFault(value)) {
      options.fault = *squawk_service::ParseFault(value);
    } else if (name == "--delay-ms" && numeric(0, 3600 * 1000)) {
      options.delay = std::chrono::milliseconds(*number);
    } else if (name == "--request-log") {
      request_log = value;
    } else if (name == "--port-file") {
      port_file = value;
    } else if (name == "--lifetime" && numeric(0, 365LL * 24 * 3600)) {
      lifetime = *number;
    } else {
      return Fail("bad value for " + name + ": " + value);
    }
  }

  if (!rules_file.empty()) {
    std::optional<squawk_service::Rules> rules = LoadRules(rules_file);
    if (!rules) {
      Log("not started: the rules file is bad");
      return 1;
    }
    options.rules = std::move(*rules);
  }
  overrides.ApplyTo(options.rules);

  std::mutex log_mutex;
  std::ofstream request_out;
  if (!request_log.empty()) {
    request_out.open(request_log, std::ios::app);
    if (!request_out) return Fail("cannot write " + request_log);
    options.on_request = [&](const std::string& target) {
      std::lock_guard lock(log_mutex);
      request_out << "GET " << target << std::endl;
    };
  }
  std::ofstream access_out;
  if (access_log != "none") {
    if (access_log != "-") {
      access_out.open(access_log, std::ios::app);
      if (!access_out) return Fail("cannot write " + access_log);
    }
    std::ostream& out = access_log == "-" ? std::cout : access_out;
    options.on_access = [&log_mutex, &out](const squawk_service::AccessRecord& record) {
      const std::string line = squawk_service::AccessLogLine(record) + "\n";
      std::lock_guard lock(log_mutex);
      out << line << std::flush;
    };
  }

  // SIGINT, SIGTERM and SIGHUP are taken by sigtimedwait below, not by handlers.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::atomic<bool> watched{false};
  if (exit_with_watcher) {
    options.on_watchers_changed = [&watched](int watchers) {
      if (watchers > 0) watched = true;
      if (watchers == 0) kill(getpid(), SIGTERM);
    };
  }

  squawk_service::SquawkService service(std::move(options));
  std::string error;
  if (!service.Start(error)) {
    Log("not started: " + error);
    return 1;
  }
  std::cerr << "squawk-service: serving " << service.BaseUrl() << std::endl;
  if (!port_file.empty()) {
    const std::string partial = port_file + ".partial";
    std::ofstream(partial) << service.port() << "\n";
    if (std::rename(partial.c_str(), port_file.c_str()) != 0) {
      return Fail("cannot write " + port_file);
    }
  }

  // Waits in slices, so that the end of the lifetime and a missing watcher are seen.
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    timespec slice{};
    slice.tv_nsec = 200 * 1000 * 1000;
    const int signal_number = sigtimedwait(&signals, nullptr, &slice);
    if (signal_number == SIGHUP) {
      if (rules_file.empty()) {
        Log("SIGHUP: no rules file to read");
      } else if (std::optional<squawk_service::Rules> rules = LoadRules(rules_file)) {
        overrides.ApplyTo(*rules);
        Log("rules read again from " + rules_file + " (version " + rules->version + ")");
        service.ReplaceRules(std::move(*rules));
      } else {
        Log("rules not changed: " + rules_file + " is bad");
      }
      continue;
    }
    if (signal_number >= 0) break;
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (lifetime > 0 && elapsed >= std::chrono::seconds(lifetime)) break;
    if (exit_with_watcher && !watched && elapsed >= std::chrono::seconds(10)) break;
  }
  service.Stop();
  return 0;
}
