// The service in process: rate limits and the macid cap, the network feed served on loopback,
// the metrics, and the status page as headless Chromium draws it.
#include "squawk-service/service.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>

#include "squawk-service/code_ranges.h"
#include "squawk-service/squawk_encoding.h"
#include "squawk-service/tests/service_process.h"

namespace squawk_service {
namespace {

using testing::Get;

Rules RulesFrom(const std::string& text) {
  RulesReading reading = ReadRules(text);
  EXPECT_TRUE(reading.rules) << (reading.errors.empty() ? "" : reading.errors.front());
  return reading.rules.value_or(DefaultRules());
}

std::string Reply(const char* code) { return EncodeSquawkReply(CodeNumber(code)); }

TEST(SquawkServiceLimits, RateLimitsAnswer429AndTheMacidCapAnswers0) {
  ServiceOptions options;
  options.rules = RulesFrom("requests_per_second = 0.01\nrequest_burst = 3\n");
  SquawkService limited(options);
  ASSERT_TRUE(limited.Start());
  int status = 0;
  for (int i = 0; i < 3; ++i) {
    Get(limited.port(), "/qex/sqk_startup.php?macid=A", &status);
    EXPECT_EQ(status, 200);
  }
  Get(limited.port(), "/qex/sqk_startup.php?macid=B", &status);
  EXPECT_EQ(status, 429);  // the address is over its limit, whatever the macid
  Get(limited.port(), "/healthz", &status);
  EXPECT_EQ(status, 200);  // monitoring is never limited

  options.rules = RulesFrom("max_codes_per_macid = 2\ngeneral = [\"4001-4077\"]\n");
  SquawkService capped(options);
  ASSERT_TRUE(capped.Start());
  const std::string assign = "/qex/sqk_assign.php?depicao=EGLL&macid=greedy&acftcs=";
  EXPECT_EQ(Get(capped.port(), assign + "A1"), Reply("4001"));
  EXPECT_EQ(Get(capped.port(), assign + "A2"), Reply("4002"));
  EXPECT_EQ(Get(capped.port(), assign + "A3", &status), "0");
  EXPECT_EQ(status, 200);
  EXPECT_EQ(Get(capped.port(), "/qex/sqk_assign.php?depicao=EGLL&macid=other&acftcs=B1"),
            Reply("4003"));
  const std::string metrics = Get(capped.port(), "/metrics");
  EXPECT_NE(metrics.find("squawk_macid_cap_answers_total 1"), std::string::npos) << metrics;
  EXPECT_NE(metrics.find("squawk_holds{pool=\"*\"} 3"), std::string::npos) << metrics;
  EXPECT_NE(metrics.find("squawk_requests_total{kind=\"assign\",status=\"200\"} 4"),
            std::string::npos);
}

// Serves the feed document the test sets, on loopback.
class FeedServer {
 public:
  FeedServer() {
    server_.Get("/feed", [this](const httplib::Request&, httplib::Response& response) {
      std::lock_guard lock(mutex_);
      response.set_content(body_, "application/json");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~FeedServer() {
    server_.stop();
    thread_.join();
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/feed"; }
  // Pilots as "CALLSIGN LAT LON CODE", one a string.
  void Serve(const std::vector<std::string>& pilots) {
    std::string body = R"({"general": {"update_timestamp": "2026-12-07T19:51:30Z"}, "pilots": [)";
    for (const std::string& pilot : pilots) {
      std::istringstream in(pilot);
      std::string callsign, lat, lon, code;
      in >> callsign >> lat >> lon >> code;
      body += (body.back() == '[' ? "" : ",") + std::string(R"({"callsign": ")") + callsign +
              R"(", "latitude": )" + lat + R"(, "longitude": )" + lon +
              R"(, "groundspeed": 0, "transponder": ")" + code + R"(", "flight_plan": null})";
    }
    std::lock_guard lock(mutex_);
    body_ = body + "], \"controllers\": []}";
  }
  void ServeRaw(std::string body) {
    std::lock_guard lock(mutex_);
    body_ = std::move(body);
  }

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  std::mutex mutex_;
  std::string body_;
};

TEST(SquawkServiceFeed, CodesSquawkedNearbyAreAvoidedAndAbsentCallsignsReleased) {
  FeedServer feed;
  std::atomic<std::int64_t> now{1000};
  ServiceOptions options;
  options.rules = RulesFrom("EGLL 2301-2303\n");
  options.feed_url = feed.Url();
  options.feed_interval = std::chrono::seconds(0);
  options.maintain_interval = std::chrono::seconds(0);
  options.feed.airports = {{"EGLL", {51.47, -0.46}}};
  options.clock = [&now] { return now.load(); };
  SquawkService service(options);
  ASSERT_TRUE(service.Start());
  const int port = service.port();
  const std::string assign = "/qex/sqk_assign.php?depicao=EGLL&acftcs=";

  // Near Heathrow, 2301 is squawked; 2302 only over New York, which does not count.
  feed.Serve({"NEAR1 51.5 -0.4 2301", "FAR1 40.6 -73.8 2302"});
  ASSERT_TRUE(service.FetchFeedNow());
  EXPECT_EQ(Get(port, assign + "BAW1"), Reply("2302"));
  EXPECT_EQ(Get(port, assign + "BAW2"), Reply("2303"));
  EXPECT_EQ(Get(port, assign + "BAW3"), "0");  // 2301 stays free while NEAR1 squawks it

  // NEAR1 and BAW1 leave; BAW2 is online. Ten minutes later BAW1's code is released.
  now = 1700;
  feed.Serve({"BAW2 51.4 -0.4 2303"});
  ASSERT_TRUE(service.FetchFeedNow());
  service.Maintain();
  EXPECT_EQ(Get(port, assign + "DLH1"), Reply("2301"));
  EXPECT_EQ(Get(port, assign + "DLH2"), Reply("2302"));
  EXPECT_EQ(Get(port, assign + "BAW2"), Reply("2303"));

  // A malformed feed keeps the last good state and shows in the health check.
  feed.ServeRaw("{\"pilots\": [");
  EXPECT_FALSE(service.FetchFeedNow());
  const std::string health = testing::RawHttp(port, "GET /healthz HTTP/1.1\r\nHost: t\r\n\r\n");
  EXPECT_NE(health.find("\"failing\":true"), std::string::npos) << health;
  service.Maintain();
  EXPECT_EQ(Get(port, assign + "BAW2"), Reply("2303"));
}

TEST(SquawkServiceFeed, AnUnreachableFeedNeverStopsTheService) {
  ServiceOptions options;
  options.feed_url = "http://127.0.0.1:9/feed";
  options.feed_interval = std::chrono::seconds(0);
  SquawkService service(options);
  ASSERT_TRUE(service.Start());
  EXPECT_FALSE(service.FetchFeedNow());
  EXPECT_EQ(Get(service.port(), "/qex/sqk_assign.php?depicao=EGLL&acftcs=BAW1"), Reply("4001"));
  EXPECT_NE(Get(service.port(), "/healthz").find("\"age_seconds\":null,\"failing\":true"),
            std::string::npos);
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(SquawkServiceStatusPage, ChromiumDrawsThePoolsAndHolds) {
  ServiceOptions options;
  std::ifstream example(std::string(KESTRAVA_SOURCE_DIR) + "/squawk-service/packaging/rules.toml");
  std::stringstream text;
  text << example.rdbuf();
  options.rules = RulesFrom(text.str());
  SquawkService service(options);
  ASSERT_TRUE(service.Start());
  for (const char* departure : {"EGLL&arricao=EGPH&acftcs=BAW1", "EGLL&arricao=KJFK&acftcs=BAW2",
                                "EGLL&arricao=KJFK&acftcs=VIR3", "EIDW&acftcs=EIN4"}) {
    Get(service.port(), std::string("/qex/sqk_assign.php?ctrlcs=EGLL_DEL&depicao=") + departure);
  }
  const std::filesystem::path out =
      std::filesystem::temp_directory_path() / ("squawk-status-" + std::to_string(::getpid()));
  const char* keep = std::getenv("SQUAWK_STATUS_SCREENSHOT_DIR");
  const std::filesystem::path dir = keep != nullptr ? std::filesystem::path(keep) : out;
  const std::string command = std::string(KESTRAVA_SOURCE_DIR) + "/scripts/render-page " +
                              "http://127.0.0.1:" + std::to_string(service.port()) + "/status " +
                              dir.string() + " --width 1100 --height 800 > /dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile(dir / "console.txt");
  const std::string dom = ReadFile(dir / "dom.html");
  for (const char* seen :
       {"EG&gt;EG", "EGLL", "EI", "BAW1", "VIR3", "EIN4", "6201", "2301", "5001", "EGLL_DEL"}) {
    EXPECT_NE(dom.find(seen), std::string::npos) << seen;
  }
  EXPECT_GT(std::filesystem::file_size(dir / "screenshot.png"), 1000u);
  if (keep == nullptr) std::filesystem::remove_all(out);
}

}  // namespace
}  // namespace squawk_service
