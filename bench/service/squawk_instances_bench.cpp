// The squawk service on PostgreSQL, with 8 clients:
// - three instances against one instance with as many database connections as the three together,
//   on the same server: nothing serialises outside the database, so spreading the clients over
//   instances costs nothing (whatever the disk's speed, both sides commit as many transactions at
//   once);
// - three instances against one with the connections of one (reported: three hold three times the
//   connections, whose commits the server flushes together; how much that gains depends on how
//   the disk's flush compares with the processor's work);
// - one instance on PostgreSQL against the same instance on SQLite, both committing to disk (the
//   time a request and the 99th percentile of its latency; reported).
// The services are the squawk-service program, started on a PostgreSQL server of the benchmark's
// own; every request is an override, so each one is a new assignment. The bounds are in
// scripts/bench_targets.py.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "squawk-service/tests/postgres_cluster.h"
#include "squawk-service/tests/service_instances.h"

namespace squawk_service {
namespace {

using test_support::PostgresCluster;
using test_support::ServiceInstances;

// A server that flushes its commits to disk, as SQLite does.
PostgresCluster& DurableCluster() {
  static PostgresCluster cluster(PostgresCluster::Options{.durable = true});
  return cluster;
}

constexpr int kConnections = 4;  // an instance's, as the program's default

// The PostgreSQL services, each on a database of its own on the same server, so that each
// benchmark's updates leave their dead rows in its own table only.
struct PostgresService {
  PostgresService(int count, int connections)
      : database(DurableCluster().CreateDatabase()), instances(database, count, connections) {}
  std::string database;
  ServiceInstances instances;
};

PostgresService& ThreeInstances() {
  static PostgresService service(3, kConnections);
  return service;
}

PostgresService& OneInstance() {
  static PostgresService service(1, kConnections);
  return service;
}

// One instance with the three's connections.
PostgresService& WideInstance() {
  static PostgresService service(1, 3 * kConnections);
  return service;
}

// Before each run, outside the time: a table rewritten without the last run's dead rows, and a
// checkpoint, so that every repetition starts from the same state and no flush of earlier
// writes falls into it.
void Settle(PostgresService& service) {
  DurableCluster().Execute(service.database, {"VACUUM FULL ANALYZE codes", "CHECKPOINT"});
}

// The same program on a SQLite file in a folder of its own, removed at the end.
class SqliteService {
 public:
  SqliteService() : folder_(MakeFolder()), instance_((folder_ / "squawk.db").string(), 1, 4) {}
  ~SqliteService() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  ServiceInstances& instance() { return instance_; }

 private:
  static std::filesystem::path MakeFolder() {
    char pattern[] = "/tmp/squawk-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot make a temporary folder");
    return pattern;
  }
  std::filesystem::path folder_;
  ServiceInstances instance_;
};

ServiceInstances& SqliteInstance() {
  static SqliteService service;
  return service.instance();
}

// One benchmark thread: overrides for a callsign of its own, on a kept connection to instance
// (thread index modulo `spread`). Counter p99_seconds: the 99th percentile of the latencies each
// client saw, averaged over the clients.
void AskForNewCodes(benchmark::State& state, ServiceInstances& instances, int spread) {
  httplib::Client client("127.0.0.1", instances.port(state.thread_index() % spread));
  client.set_keep_alive(true);
  client.set_tcp_nodelay(true);
  const std::string path =
      "/qex/sqk_assign.php?depicao=EGLL&arricao=KJFK&ctrlcs=EGLL_TWR&macid=bench" +
      std::to_string(state.thread_index()) + "&ovr=1&acftcs=BENCH" +
      std::to_string(state.thread_index());
  std::vector<double> latencies;
  std::int64_t failed = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const httplib::Result reply = client.Get(path.c_str());
    latencies.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (!reply || reply->status != 200) ++failed;
  }
  state.SetItemsProcessed(state.iterations());
  if (failed != 0) state.SkipWithError("the service failed requests");
  std::sort(latencies.begin(), latencies.end());
  state.counters["p99_seconds"] =
      benchmark::Counter(latencies.empty() ? 0 : latencies[latencies.size() * 99 / 100],
                         benchmark::Counter::kAvgThreads);
}

// Disk flushes take longer or shorter for seconds at a time on a shared machine: each of these
// benchmarks is repeated 12 times (interleaved with the others by scripts/bench), where the least
// of 5 moved the ratios by a quarter from one run of the program to the next.
constexpr int kRepetitions = 12;

// A PostgreSQL benchmark's runs: 8 clients in wall time, kRepetitions of them, each after
// settling the database of `service`.
template <PostgresService& (*service)()>
void SettledRuns(benchmark::internal::Benchmark* benchmark) {
  benchmark->Threads(8)
      ->Repetitions(kRepetitions)
      ->UseRealTime()
      ->Setup([](const benchmark::State&) { Settle(service()); });
}

void BM_PostgresThreeInstancesEightClients(benchmark::State& state) {
  AskForNewCodes(state, ThreeInstances().instances, 3);
}
BENCHMARK(BM_PostgresThreeInstancesEightClients)->Apply(SettledRuns<ThreeInstances>);

// Baseline: one of the same instances for all 8 clients.
void BM_PostgresOneInstanceEightClients(benchmark::State& state) {
  AskForNewCodes(state, OneInstance().instances, 1);
}
BENCHMARK(BM_PostgresOneInstanceEightClients)->Apply(SettledRuns<OneInstance>);

// Baseline: one instance with as many connections as the three have together.
void BM_PostgresOneWideInstanceEightClients(benchmark::State& state) {
  AskForNewCodes(state, WideInstance().instances, 1);
}
BENCHMARK(BM_PostgresOneWideInstanceEightClients)->Apply(SettledRuns<WideInstance>);

// Baseline of one instance on PostgreSQL: the same program on a SQLite file.
void BM_SqliteOneInstanceEightClients(benchmark::State& state) {
  AskForNewCodes(state, SqliteInstance(), 1);
}
BENCHMARK(BM_SqliteOneInstanceEightClients)->Threads(8)->Repetitions(kRepetitions)->UseRealTime();

}  // namespace
}  // namespace squawk_service
