// Squawk codes: the host thread's cost of RequestSquawk while the service takes 2 s to answer (it
// must never wait for the network: each call is to cost about the processor time of starting a
// thread that asks the service, BM_StartThreadAskingTheService), and the squawk service's requests
// per second on loopback with 8 concurrent clients, each request a transaction of its database in
// memory (against the same transactions behind a plain HTTP server,
// BM_StorageBehindPlainServerEightClients). The bounds on each ratio are in
// scripts/bench_targets.py.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <chrono>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "aircraft/AircraftRegistry.h"
#include "host/world.h"
#include "platform/posix/curl_http.h"
#include "plugin/QEXPlugin.h"
#include "squawk-service/service.h"
#include "squawk-service/storage.h"
#include "tests/support/fake_env.h"

namespace kestrava {
namespace {

// Fake clock and host-thread queue, real HTTP.
class CurlEnv : public testing::FakeEnv {
 public:
  HttpResult HttpGet(const std::string& url, std::size_t max_body_bytes,
                     std::stop_token stop) override {
    return CurlHttpGet(url, max_body_bytes, std::move(stop));
  }
};

// A service that answers every request 2 s late; an error of `state` when it cannot listen.
std::unique_ptr<squawk_service::SquawkService> StartServiceTakingTwoSeconds(
    benchmark::State& state) {
  squawk_service::ServiceOptions options;
  options.fault = squawk_service::Fault::kDelay;
  options.delay = std::chrono::seconds(2);
  options.rules.requests_per_second = 0;
  options.http.max_connections_per_address = 1024;  // every request of a run waits at once
  auto service = std::make_unique<squawk_service::SquawkService>(options);
  if (!service->Start()) {
    state.SkipWithError("the reference service cannot listen");
    return nullptr;
  }
  return service;
}

// A departure asks for a code at every call; each request waits 2 s for the service on a
// worker of its own. The calling thread's processor time a call is compared with the baseline's
// by scripts/bench (wall time here swings with where the scheduler puts 300 starting threads on
// a small machine). A wait for the network takes no processor time, so the run itself checks
// that no call waited: the 300 calls together take less than half the service's delay, which a
// single waiting call would exceed on any machine.
void BM_RequestSquawkWhileServiceTakesTwoSeconds(benchmark::State& state) {
  const auto service = StartServiceTakingTwoSeconds(state);
  if (!service) return;
  CurlEnv env;
  AircraftRegistry registry;
  standin::World world;
  world.settings().Preset("SERVERLOCATION", service->BaseUrl());
  world.settings().Preset("SQK1", "EGLL:1");
  auto plugin = std::make_unique<QEXPlugin>(env, registry);
  world.AttachPlugIn(plugin.get());
  standin::Aircraft& departure = world.AddOrGetAircraft("BAW1");
  departure.flight_plan.origin = "EGLL";
  departure.flight_plan.destination = "KJFK";
  const EuroScopePlugIn::CAircraft handle = plugin->AircraftSelect("BAW1");

  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) plugin->RequestSquawk(handle);
  const auto took = std::chrono::steady_clock::now() - start;

  state.counters["requests_in_flight"] = plugin->workers().Running();
  plugin.reset();  // aborts every exchange still waiting for the service
  if (took >= std::chrono::seconds(1)) state.SkipWithError("a call waited for the service");
}
// Bounded: every call leaves a worker waiting 2 s. A repetition is short and a thread's start
// varies with the threads already waiting: the least of 25 holds still from run to run.
BENCHMARK(BM_RequestSquawkWhileServiceTakesTwoSeconds)
    ->Iterations(300)
    ->Repetitions(25)
    ->Unit(benchmark::kMicrosecond);

// Baseline: the least a call can do, a thread started that asks the same service by the same
// HTTP client, without the plug-in. Its threads and their requests load the machine as the
// plug-in's workers do.
void BM_StartThreadAskingTheService(benchmark::State& state) {
  const auto service = StartServiceTakingTwoSeconds(state);
  if (!service) return;
  const std::string url = service->BaseUrl() +
                          "sqk_assign.php?depicao=EGLL&arricao=KJFK&ctrlcs=EGLL_TWR&ctrlname=A"
                          "&acftcs=BAW1&acftname=B&macid=1234ABCD&ovr=0&gnd=1&startid=1";
  std::vector<std::jthread> threads;
  threads.reserve(static_cast<std::size_t>(state.max_iterations));
  for (auto _ : state) {
    threads.emplace_back([&url](std::stop_token stop) { CurlHttpGet(url, 64, std::move(stop)); });
  }
  threads.clear();  // stops and joins them
}
BENCHMARK(BM_StartThreadAskingTheService)
    ->Iterations(300)
    ->Repetitions(25)
    ->Unit(benchmark::kMicrosecond);

// One benchmark thread's requests for codes, on a kept connection to 127.0.0.1:`port`; a failed
// request makes the run an error with `failure`.
void AskSquawkCodes(benchmark::State& state, int port, const char* failure) {
  httplib::Client client("127.0.0.1", port);
  client.set_keep_alive(true);
  client.set_tcp_nodelay(true);
  const std::string path =
      "/qex/sqk_assign.php?depicao=EGLL&arricao=KJFK&ctrlcs=EGLL_TWR"
      "&ctrlname=A%20B&acftname=C%20D&macid=1234ABCD&ovr=0&gnd=1&startid=1"
      "&acftcs=BAW" +
      std::to_string(state.thread_index());
  std::int64_t failed = 0;
  for (auto _ : state) {
    const httplib::Result reply = client.Get(path.c_str());
    if (!reply || reply->status != 200) ++failed;
  }
  state.SetItemsProcessed(state.iterations());
  if (failed != 0) state.SkipWithError(failure);
}

void BM_ReferenceServiceEightClients(benchmark::State& state) {
  static squawk_service::SquawkService* service = [] {
    squawk_service::ServiceOptions options;
    options.rules.requests_per_second = 0;  // 8 clients on one address, as fast as they can
    auto* started = new squawk_service::SquawkService(options);
    started->Start();
    return started;
  }();
  AskSquawkCodes(state, service->port(), "the reference service failed requests");
}
// Eight clients and the servers' threads share two processors: a repetition's time swings by a
// fifth with the scheduler, so each side is repeated 20 times (interleaved) for its least.
constexpr int kServerRepetitions = 20;
BENCHMARK(BM_ReferenceServiceEightClients)
    ->Threads(8)
    ->UseRealTime()
    ->Repetitions(kServerRepetitions);

// Baseline: the same work behind a plain HTTP server. cpp-httplib with a pool of 16 threads,
// connections kept, no delay on small writes, each request answered with the code the service's
// storage (SQLite in memory, as the service's) holds for its callsign, one transaction a request,
// to the same 8 clients asking the same requests. The ratio is the cost of the service's own
// handling: its server, parameters, rules, rate limits and metrics.
void BM_StorageBehindPlainServerEightClients(benchmark::State& state) {
  static const int port = [] {
    auto* storage = squawk_service::OpenStorage(":memory:").release();
    auto* server = new httplib::Server;
    server->new_task_queue = [] { return new httplib::ThreadPool(16); };
    server->set_keep_alive_timeout(1);
    server->set_keep_alive_max_count(std::numeric_limits<std::size_t>::max());
    server->set_tcp_nodelay(true);
    server->Get(".*", [storage](const httplib::Request& request, httplib::Response& response) {
      squawk_service::AssignRequest assign;
      assign.callsign = request.get_param_value("acftcs");
      assign.airport = request.get_param_value("depicao");
      assign.destination = request.get_param_value("arricao");
      assign.controller = request.get_param_value("ctrlcs");
      assign.macid = request.get_param_value("macid");
      assign.now = 1;
      assign.candidates = {{0, 4095, "*"}};
      response.set_content(std::to_string(storage->Assign(assign).code), "text/plain");
    });
    const int bound = server->bind_to_any_port("127.0.0.1");
    std::thread([server] { server->listen_after_bind(); }).detach();
    return bound;
  }();
  if (port < 0) {
    state.SkipWithError("the plain server cannot listen");
    return;
  }
  AskSquawkCodes(state, port, "the plain server failed requests");
}
BENCHMARK(BM_StorageBehindPlainServerEightClients)
    ->Threads(8)
    ->UseRealTime()
    ->Repetitions(kServerRepetitions);

}  // namespace
}  // namespace kestrava
