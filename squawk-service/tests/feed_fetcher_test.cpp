#include "squawk-service/feed_fetcher.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace squawk_service {
namespace {

const char kGood[] =
    R"({"general": {"update_timestamp": "2026-12-07T19:51:30Z"}, "pilots": [)"
    R"({"callsign": "BAW1", "latitude": 51, "longitude": 0, "transponder": "2301"}]})";

// Serves one feed document on loopback, as the test sets it.
class FeedServer {
 public:
  FeedServer() {
    server_.Get("/feed", [this](const httplib::Request&, httplib::Response& response) {
      const std::lock_guard lock(mutex_);
      response.status = status_;
      response.set_content(body_, "application/json");
      ++requests_;
      served_.notify_all();
    });
    port_ = server_.bind_to_any_port("127.0.0.1");  // listening: clients queue until served
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~FeedServer() {
    server_.stop();
    thread_.join();
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/feed"; }
  void Serve(int status, std::string body) {
    const std::lock_guard lock(mutex_);
    status_ = status;
    body_ = std::move(body);
  }
  // Waits until `count` requests have been served (false after 20 s: the test fails).
  bool WaitForRequests(int count) {
    std::unique_lock lock(mutex_);
    return served_.wait_for(lock, std::chrono::seconds(20), [&] { return requests_ >= count; });
  }

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable served_;
  int status_ = 200;
  std::string body_ = kGood;
  int requests_ = 0;
};

TEST(FeedFetcherTest, KeepsTheLastGoodSnapshotAndLogsEachOutageOnce) {
  FeedServer server;
  FeedTraffic traffic;
  std::vector<std::string> log;
  std::int64_t now = 1000;
  FeedFetcherOptions options;
  options.url = server.Url();
  options.max_bytes = 4096;
  FeedFetcher fetcher(
      options, traffic, [&] { return now; },
      [&](std::string_view line) { log.emplace_back(line); });
  const struct {
    int status;
    std::string body;
    bool good;
    const char* error;  // the reason kept for the health check
    std::size_t log_lines;
  } steps[] = {
      {200, kGood, true, "", 0},
      {200, R"({"general": {"update_timestamp": )", false, "the document ends early", 1},
      {200, "<html>", false, "syntax error", 1},
      {404, kGood, false, "HTTP status 404", 1},
      {200, "{\"pilots\": [" + std::string(5000, ' ') + "]}", false,
       "the document is larger than 4096 bytes", 1},
      {200, kGood, true, "", 2},
  };
  for (const auto& step : steps) {
    server.Serve(step.status, step.body);
    now += 60;
    EXPECT_EQ(fetcher.FetchOnce(), step.good) << step.body;
    const FeedStatus status = traffic.Status(now);
    EXPECT_EQ(status.failing, !step.good);
    if (!step.good) {
      EXPECT_NE(status.last_error.find(step.error), std::string::npos) << status.last_error;
    }
    EXPECT_EQ(status.pilots, 1u);  // the good snapshot stays in force
    EXPECT_EQ(traffic.SquawkedFor("EGLL")->count(02301), 1u);
    EXPECT_EQ(log.size(), step.log_lines) << step.body;
  }
  EXPECT_NE(log[0].find("ends early"), std::string::npos) << log[0];
  EXPECT_NE(log[1].find("read again, 1 pilots"), std::string::npos) << log[1];
}

TEST(FeedFetcherTest, AnUnreachableFeedIsAFailure) {
  FeedTraffic traffic;
  std::vector<std::string> log;
  FeedFetcher fetcher(
      {.url = "http://127.0.0.1:1/feed"}, traffic, [] { return 5; },
      [&](std::string_view line) { log.emplace_back(line); });
  EXPECT_FALSE(fetcher.FetchOnce());
  EXPECT_TRUE(traffic.Status(5).failing);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_NE(log[0].find("http://127.0.0.1:1/feed"), std::string::npos) << log[0];
}

TEST(FeedFetcherTest, ItsThreadFetchesAtOnceAndStopsWithoutWaitingForTheInterval) {
  FeedServer server;
  FeedTraffic traffic;
  FeedFetcher fetcher(
      {.url = server.Url(), .interval = std::chrono::hours(1)}, traffic, [] { return 5; },
      [](std::string_view) {});
  fetcher.Start();
  ASSERT_TRUE(server.WaitForRequests(1));
  fetcher.Stop();  // returns at once: the thread's wait for the next fetch is cut short
  EXPECT_FALSE(traffic.Status(5).failing);  // a fetch cut short by Stop is no failure
}

}  // namespace
}  // namespace squawk_service
