// The squawk service's own benchmarks (targets in scripts/bench_targets.py):
// - durable assignments with 8 clients (each request an override of one of the client's
//   callsigns: its code released and a new one committed to a database file; each client holds
//   as many codes as the default rules let one client hold) against the
//   machine's rate of bare single-row SQLite commits with the same durability (WAL,
//   synchronous=FULL) on the same disk; the clients' 99th-percentile latency as a counter;
// - an answer from a full pool against an answer with a free code, with 4,000 codes held.
// (The feed of 5,000 pilots is network_feed_bench.cpp's.)
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "squawk-service/service.h"

namespace {

std::filesystem::path BenchDir(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("squawk-bench-" + std::to_string(::getpid()) + "-" + name);
  std::filesystem::create_directories(dir);
  return dir;
}

squawk_service::Rules RulesFrom(const std::string& text) {
  return *squawk_service::ReadRules(text).rules;
}

// A started service on `db` with these rules, kept for the whole program.
squawk_service::SquawkService& Service(const std::string& db, const std::string& rules) {
  squawk_service::ServiceOptions options;
  options.db = db;
  options.rules = RulesFrom(rules);
  options.maintain_interval = std::chrono::seconds(0);
  auto* service = new squawk_service::SquawkService(options);
  if (!service->Start()) std::abort();
  return *service;
}

void BM_DurableAssignEightClients(benchmark::State& state) {
  static squawk_service::SquawkService& service =
      Service((BenchDir("durable") / "holds.db").string(),
              "requests_per_second = 0\nmax_codes_per_macid = 100\ngeneral = [\"0001-7777\"]\n");
  httplib::Client client("127.0.0.1", service.port());
  client.set_keep_alive(true);
  client.set_tcp_nodelay(true);
  std::vector<double> latencies;
  std::int64_t failed = 0;
  int i = 0;
  for (auto _ : state) {
    // 100 callsigns a client (as many codes as a client may hold by default), 800 in all.
    const std::string path = "/qex/sqk_assign.php?depicao=EGLL&ovr=1&macid=M" +
                             std::to_string(state.thread_index()) + "&acftcs=C" +
                             std::to_string(state.thread_index()) + "N" + std::to_string(i++ % 100);
    const auto start = std::chrono::steady_clock::now();
    const httplib::Result reply = client.Get(path.c_str());
    latencies.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
    if (!reply || reply->status != 200 || reply->body == "0") ++failed;
  }
  std::sort(latencies.begin(), latencies.end());
  if (!latencies.empty()) {
    state.counters["p99_ms"] =
        benchmark::Counter(latencies[latencies.size() * 99 / 100], benchmark::Counter::kAvgThreads);
  }
  state.SetItemsProcessed(state.iterations());
  if (failed != 0) state.SkipWithError("the service failed requests");
}
// Disk flushes and eight clients on two processors: a repetition's time swings by a fifth, so
// each of these is repeated 12 times (interleaved) for its least.
constexpr int kRepetitions = 12;
BENCHMARK(BM_DurableAssignEightClients)
    ->Threads(8)
    ->UseRealTime()
    ->MinTime(2.0)
    ->Repetitions(kRepetitions);

// Baseline: one row updated and committed at a time, WAL and synchronous=FULL, on the disk the
// service's database uses.
void BM_BareSqliteCommit(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open((BenchDir("bare") / "bare.db").string().c_str(), &db);
  sqlite3_exec(db,
               "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;"
               "CREATE TABLE IF NOT EXISTS t(id INTEGER PRIMARY KEY, v INTEGER);"
               "INSERT OR IGNORE INTO t VALUES (1, 0);",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* update = nullptr;
  sqlite3_prepare_v2(db, "UPDATE t SET v = v + 1 WHERE id = 1", -1, &update, nullptr);
  for (auto _ : state) {
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_step(update);
    sqlite3_reset(update);
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
      state.SkipWithError("commit failed");
    }
  }
  sqlite3_finalize(update);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BareSqliteCommit)->UseRealTime()->MinTime(2.0)->Repetitions(kRepetitions);

// EGLL's range is full; 4,000 codes are held in all. A full answer asks for a new callsign at
// EGLL; a free answer overrides a callsign of a pool with free codes.
squawk_service::SquawkService& PoolService() {
  static squawk_service::SquawkService& service = []() -> squawk_service::SquawkService& {
    squawk_service::SquawkService& started =
        Service(":memory:",
                "requests_per_second = 0\n[airports]\nEGLL = [\"2301-2377\"]\n"
                "EGKK = [\"3001-3077\"]\nLFPG = [\"0001-1777\", \"2401-2777\", \"3101-6777\"]\n");
    httplib::Client client("127.0.0.1", started.port());
    client.set_keep_alive(true);
    for (int i = 0; i < 63; ++i) {
      client.Get(("/qex/sqk_assign.php?depicao=EGLL&acftcs=L" + std::to_string(i)).c_str());
    }
    for (int i = 0; i < 3900; ++i) {
      client.Get(("/qex/sqk_assign.php?depicao=LFPG&acftcs=P" + std::to_string(i)).c_str());
    }
    return started;
  }();
  return service;
}

void AskPool(benchmark::State& state, const std::string& path, bool expect_code) {
  httplib::Client client("127.0.0.1", PoolService().port());
  client.set_keep_alive(true);
  client.set_tcp_nodelay(true);
  std::int64_t wrong = 0;
  for (auto _ : state) {
    const httplib::Result reply = client.Get(path.c_str());
    if (!reply || reply->status != 200 || (reply->body != "0") != expect_code) ++wrong;
  }
  if (wrong != 0) state.SkipWithError("unexpected answers");
}

void BM_AssignFullPool(benchmark::State& state) {
  AskPool(state, "/qex/sqk_assign.php?depicao=EGLL&acftcs=NEW1", false);
}
BENCHMARK(BM_AssignFullPool)->UseRealTime()->Repetitions(kRepetitions);

void BM_AssignFreePool(benchmark::State& state) {
  AskPool(state, "/qex/sqk_assign.php?depicao=EGKK&ovr=1&acftcs=KK1", true);
}
BENCHMARK(BM_AssignFreePool)->UseRealTime()->Repetitions(kRepetitions);

}  // namespace
