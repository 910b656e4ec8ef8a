// squawk-service: the reference squawk service as a program.
//
//   squawk-service [--host ADDR] [--port N] [--base-path /qex/] [--ranges FILE]
//                  [--latest VERSION] [--first-start-id N] [--hold SECONDS]
//                  [--fault none|delay|error|garbage|drop] [--delay-ms N]
//                  [--request-log FILE] [--port-file FILE] [--lifetime SECONDS]
//                  [--exit-with-watcher]
//
// Serves until SIGINT or SIGTERM, until --lifetime seconds have passed, or, with
// --exit-with-watcher, once its last watcher has gone (a client that keeps "GET /watch" open;
// the program that started the service ends it by closing that connection, also by ending) or
// when no watcher has come within 10 s. Port 0 (the default)
// takes a free port; the address served is printed, and the port written to --port-file (whole,
// through a rename) once the server accepts connections.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>

#include "squawk-service/service.h"

namespace {

using squawk_service::ServiceOptions;

constexpr char kUsage[] =
    "usage: squawk-service [--host ADDR] [--port N] [--base-path /qex/] [--ranges FILE]\n"
    "                      [--latest VERSION] [--first-start-id N] [--hold SECONDS]\n"
    "                      [--fault none|delay|error|garbage|drop] [--delay-ms N]\n"
    "                      [--request-log FILE] [--port-file FILE] [--lifetime SECONDS]\n"
    "                      [--exit-with-watcher]\n";

bool ReadNumber(const std::string& text, long& out) {
  char* end = nullptr;
  errno = 0;
  out = std::strtol(text.c_str(), &end, 10);
  return !text.empty() && end != nullptr && *end == '\0' && errno == 0 && out >= 0;
}

int Fail(const std::string& message) {
  std::cerr << "squawk-service: " << message << "\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--help" || name == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (name == "--exit-with-watcher") {
      args[name] = "";
      continue;
    }
    if (name.rfind("--", 0) != 0 || i + 1 >= argc) return Fail("bad argument " + name);
    args[name] = argv[++i];
  }

  ServiceOptions options;
  std::string port_file;
  std::string request_log;
  long lifetime = 0;
  bool exit_with_watcher = false;
  for (const auto& [name, value] : args) {
    long number = 0;
    if (name == "--exit-with-watcher") {
      exit_with_watcher = true;
    } else if (name == "--host") {
      options.host = value;
    } else if (name == "--port" && ReadNumber(value, number) && number <= 65535) {
      options.port = static_cast<int>(number);
    } else if (name == "--base-path" && !value.empty() && value.front() == '/' &&
               value.back() == '/') {
      options.base_path = value;
    } else if (name == "--ranges") {
      std::ifstream in(value);
      if (!in) return Fail("cannot read " + value);
      std::stringstream text;
      text << in.rdbuf();
      squawk_service::RangeConfig config = squawk_service::ParseRangeConfig(text.str());
      if (!config.error.empty()) return Fail(value + ": " + config.error);
      options.ranges = std::move(config.ranges);
    } else if (name == "--latest") {
      options.latest_version = value;
    } else if (name == "--first-start-id" && ReadNumber(value, number) && number <= 2147483647) {
      options.first_start_id = static_cast<std::int32_t>(number);
    } else if (name == "--hold" && ReadNumber(value, number)) {
      options.hold = std::chrono::seconds(number);
    } else if (name == "--fault" && squawk_service::ParseFault(value)) {
      options.fault = *squawk_service::ParseFault(value);
    } else if (name == "--delay-ms" && ReadNumber(value, number)) {
      options.delay = std::chrono::milliseconds(number);
    } else if (name == "--request-log") {
      request_log = value;
    } else if (name == "--port-file") {
      port_file = value;
    } else if (name == "--lifetime" && ReadNumber(value, number)) {
      lifetime = number;
    } else {
      return Fail("bad value for " + name + ": " + value);
    }
  }

  std::mutex log_mutex;
  std::ofstream log;
  if (!request_log.empty()) {
    log.open(request_log, std::ios::app);
    if (!log) return Fail("cannot write " + request_log);
    options.on_request = [&](const std::string& target) {
      std::lock_guard lock(log_mutex);
      log << "GET " << target << std::endl;
    };
  }

  // SIGINT and SIGTERM are taken by sigtimedwait below, not by handlers.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  std::atomic<bool> watched{false};
  if (exit_with_watcher) {
    options.on_watchers_changed = [&watched](int watchers) {
      if (watchers > 0) watched = true;
      if (watchers == 0) kill(getpid(), SIGTERM);
    };
  }

  squawk_service::SquawkService service(std::move(options));
  if (!service.Start()) return Fail("cannot listen on the given address and port");
  std::cout << "squawk-service: serving " << service.BaseUrl() << std::endl;
  if (!port_file.empty()) {
    const std::string partial = port_file + ".partial";
    std::ofstream(partial) << service.port() << "\n";
    if (std::rename(partial.c_str(), port_file.c_str()) != 0)
      return Fail("cannot write " + port_file);
  }

  // Waits in slices, so that the end of the lifetime and a missing watcher are seen.
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    timespec slice{};
    slice.tv_nsec = 200 * 1000 * 1000;
    if (sigtimedwait(&signals, nullptr, &slice) >= 0) break;
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (lifetime > 0 && elapsed >= std::chrono::seconds(lifetime)) break;
    if (exit_with_watcher && !watched && elapsed >= std::chrono::seconds(10)) break;
  }
  service.Stop();
  return 0;
}
