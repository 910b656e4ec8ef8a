// Squawk codes: the host thread's cost of RequestSquawk while the service takes 2 s to answer (it
// must never wait for the network: each call is to cost about what starting one worker thread
// costs, BM_StartAndJoinThread), and the reference service's requests per second on loopback
// with 8 concurrent clients (against the same HTTP library answering a fixed reply to the same
// clients, BM_FixedReplyEightClients). The bounds on each ratio are in scripts/bench_targets.py.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <limits>
#include <memory>
#include <string>
#include <thread>

#include "aircraft/AircraftRegistry.h"
#include "host/world.h"
#include "platform/posix/curl_http.h"
#include "plugin/QEXPlugin.h"
#include "tests/support/fake_env.h"
#include "squawk-service/service.h"

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

// A departure asks for a code at every call; each request waits 2 s for the service on a
// worker of its own. The time a call (wall time: a wait for the network takes no processor time)
// is compared with the baseline's by scripts/bench; the run itself checks only what does not
// depend on the machine's speed.
void BM_RequestSquawkWhileServiceTakesTwoSeconds(benchmark::State& state) {
  squawk_service::ServiceOptions options;
  options.fault = squawk_service::Fault::kDelay;
  options.delay = std::chrono::seconds(2);
  squawk_service::SquawkService service(options);
  if (!service.Start()) {
    state.SkipWithError("the reference service cannot listen");
    return;
  }
  CurlEnv env;
  AircraftRegistry registry;
  standin::World world;
  world.settings().Preset("SERVERLOCATION", service.BaseUrl());
  world.settings().Preset("SQK1", "EGLL:1");
  auto plugin = std::make_unique<QEXPlugin>(env, registry);
  world.AttachPlugIn(plugin.get());
  standin::Aircraft& departure = world.AddOrGetAircraft("BAW1");
  departure.flight_plan.origin = "EGLL";
  departure.flight_plan.destination = "KJFK";
  const EuroScopePlugIn::CAircraft handle = plugin->AircraftSelect("BAW1");

  for (auto _ : state) plugin->RequestSquawk(handle);

  state.counters["requests_in_flight"] = plugin->workers().Running();
  plugin.reset();  // aborts every exchange still waiting for the service
}
// Bounded: every call leaves a worker waiting 2 s. Run once even when repetitions are asked for:
// a repetition would start while the last one's 300 workers are still ending.
BENCHMARK(BM_RequestSquawkWhileServiceTakesTwoSeconds)
    ->Iterations(300)
    ->Repetitions(1)
    ->Unit(benchmark::kMicrosecond);

// Baseline: a thread that does nothing, started and joined.
void BM_StartAndJoinThread(benchmark::State& state) {
  for (auto _ : state) std::thread([] {}).join();
}
BENCHMARK(BM_StartAndJoinThread)->Unit(benchmark::kMicrosecond);

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
    auto* started = new squawk_service::SquawkService(squawk_service::ServiceOptions{});
    started->Start();
    return started;
  }();
  AskSquawkCodes(state, service->port(), "the reference service failed requests");
}
BENCHMARK(BM_ReferenceServiceEightClients)->Threads(8)->UseRealTime();

// Baseline: the HTTP library set up as the reference service sets it up (a pool of 16 threads,
// connections kept, no delay on small writes), each request answered with a fixed code, to the
// same 8 clients asking the same requests.
void BM_FixedReplyEightClients(benchmark::State& state) {
  static const int port = [] {
    auto* server = new httplib::Server;
    server->new_task_queue = [] { return new httplib::ThreadPool(16); };
    server->set_keep_alive_timeout(1);
    server->set_keep_alive_max_count(std::numeric_limits<std::size_t>::max());
    server->set_tcp_nodelay(true);
    server->Get(".*", [](const httplib::Request&, httplib::Response& response) {
      response.set_content("1234", "text/plain");
    });
    const int bound = server->bind_to_any_port("127.0.0.1");
    std::thread([server] { server->listen_after_bind(); }).detach();
    return bound;
  }();
  if (port < 0) {
    state.SkipWithError("the fixed-reply server cannot listen");
    return;
  }
  AskSquawkCodes(state, port, "the fixed-reply server failed requests");
}
BENCHMARK(BM_FixedReplyEightClients)->Threads(8)->UseRealTime();

}  // namespace
}  // namespace kestrava
