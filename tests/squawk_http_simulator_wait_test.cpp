// The simulator waits for a worker in a slow exchange until the exchange ends, and says so: the
// same scenario against the same service gives the same events however slowly it answers. Here
// the service answers only once the simulator has said that it waits, so no real time decides.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/scripted_http_server.h"
#include "tools/kestrava-sim/simulator.h"

namespace kestrava::sim {
namespace {

namespace fs = std::filesystem;
using kestrava::testing::ScriptedHttpServer;

// Text written from any thread, which another thread can wait for.
class WatchedText : public std::stringbuf {
 public:
  bool WaitFor(const std::string& part, std::chrono::seconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return str().find(part) != std::string::npos; });
  }
  std::string Text() {
    std::lock_guard lock(mutex_);
    return str();
  }

 protected:
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    std::lock_guard lock(mutex_);
    const std::streamsize written = std::stringbuf::xsputn(text, count);
    changed_.notify_all();
    return written;
  }
  int_type overflow(int_type c) override {
    std::lock_guard lock(mutex_);
    const int_type result = std::stringbuf::overflow(c);
    changed_.notify_all();
    return result;
  }

 private:
  std::recursive_mutex mutex_;  // the base's xsputn calls overflow
  std::condition_variable_any changed_;
};

TEST(SlowService, TheSimulatorWaitsForAWorkerInAnExchangeUntilItEnds) {
  ScriptedHttpServer server;
  server.SetReply("sqk_startup.php", {200, "0:0"});
  server.SetReply("sqk_assign.php", {200, "1a2b", ScriptedHttpServer::Mode::kHang});
  const fs::path folder = fs::temp_directory_path() / "kestrava-slow-service";
  fs::remove_all(folder);
  fs::create_directories(folder);
  std::ofstream(folder / "scenario.json", std::ios::binary)
      << R"({"start": "2024-06-05T07:40:00Z", "controller": {"callsign": "EGLL_DEL"},
             "settings": {"SQK1": "EGLL:1", "ALT": "0", "SERVERLOCATION": ")"
      << server.BaseUrl() << R"("}, "steps": [
        {"t": 0, "flightplan": {"callsign": "SLOW1", "origin": "EGLL", "destination": "LFPG"}},
        {"t": 1, "tags": {"callsign": "SLOW1"}}]})";

  WatchedText diagnostics;
  std::ostream err(&diagnostics);
  std::thread service_answers([&] {
    diagnostics.WaitFor("waiting for a slow service", std::chrono::seconds(30));
    server.Release();
  });
  std::ostringstream out;
  const int code = RunSimulator({(folder / "scenario.json").string(), "--out",
                                 (folder / "out").string(), "--module", KESTRAVA_MODULE},
                                "kestrava-sim", out, err);
  service_answers.join();
  EXPECT_EQ(code, kExitDone) << diagnostics.Text();

  std::ifstream events(folder / "out" / "events.jsonl", std::ios::binary);
  std::string squawk;
  for (std::string line; std::getline(events, line);) {
    if (line.find("squawk_set") != std::string::npos) squawk = line;
  }
  EXPECT_EQ(squawk, R"({"t":0,"event":"squawk_set","callsign":"SLOW1","code":"1530"})");
  EXPECT_NE(diagnostics.Text().find("kestrava-sim: t = 0: waiting for a slow service: " +
                                    server.BaseUrl() + "sqk_assign.php has not answered after 1 s"),
            std::string::npos)
      << diagnostics.Text();
  fs::remove_all(folder);
}

}  // namespace
}  // namespace kestrava::sim
