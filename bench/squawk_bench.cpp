// Squawk codes: the host thread's cost of RequestSquawk while the service takes 2 s to answer
// (target under 100 microseconds a call: it must never wait for the network), and the reference
// service's requests per second on loopback with 8 concurrent clients (target at least 5,000).
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <memory>
#include <string>

#include "aircraft/AircraftRegistry.h"
#include "host/world.h"
#include "platform/posix/curl_http.h"
#include "plugin/QEXPlugin.h"
#include "tests/support/fake_env.h"
#include "tools/squawk-service/service.h"

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
// worker of its own. The time a call is compared with its target by scripts/bench; the run
// itself checks only what does not depend on the machine's speed.
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

void BM_ReferenceServiceEightClients(benchmark::State& state) {
  static squawk_service::SquawkService* service = [] {
    auto* started = new squawk_service::SquawkService(squawk_service::ServiceOptions{});
    started->Start();
    return started;
  }();
  httplib::Client client("127.0.0.1", service->port());
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
  if (failed != 0) state.SkipWithError("the reference service failed requests");
}
BENCHMARK(BM_ReferenceServiceEightClients)->Threads(8)->UseRealTime();

}  // namespace
}  // namespace kestrava
