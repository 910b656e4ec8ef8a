// The reference squawk service: its range configuration, code allocation and reply encoding, and
// the service over HTTP together with the plug-in.
#include <gtest/gtest.h>
#include <httplib.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "platform/posix/curl_http.h"
#include "squawk/service_replies.h"
#include "tests/support/squawk_support.h"
#include "tests/support/world_recorder.h"
#include "squawk-service/code_allocator.h"
#include "squawk-service/code_ranges.h"
#include "squawk-service/service.h"
#include "squawk-service/squawk_encoding.h"

namespace kestrava {
namespace {

using squawk_service::CodeAllocator;
using squawk_service::CodeNumber;
using squawk_service::CodeRange;
using squawk_service::Fault;
using squawk_service::ServiceOptions;
using squawk_service::SquawkService;

TEST(SquawkServiceConfig, RangeFileLinesAndErrors) {
  const squawk_service::RangeConfig good = squawk_service::ParseRangeConfig(
      "# departures\n\n  egll 2301-2377\nEGLL\t4001 - 4017\r\n* 7001-7077\n");
  EXPECT_EQ(good.error, "");
  EXPECT_EQ(good.ranges, (std::vector<CodeRange>{{"EGLL", CodeNumber("2301"), CodeNumber("2377")},
                                                 {"EGLL", CodeNumber("4001"), CodeNumber("4017")},
                                                 {"*", CodeNumber("7001"), CodeNumber("7077")}}));
  struct Row {
    const char* text;
    const char* error;
  };
  for (const Row& row : std::vector<Row>{
           {"EGLL", "line 1: expected \"ICAO FIRST-LAST\""},
           {"EGLL:2301-2377", "line 1: expected \"ICAO FIRST-LAST\""},
           {"# ok\nEGLL 2301", "line 2: expected a range FIRST-LAST"},
           {"EGLL 2381-2377", "line 1: codes are four octal digits (0000 to 7777)"},
           {"EGLL 301-377", "line 1: codes are four octal digits (0000 to 7777)"},
           {"EGLL 2377-2301", "line 1: the first code is above the last"},
       }) {
    const squawk_service::RangeConfig bad = squawk_service::ParseRangeConfig(row.text);
    EXPECT_EQ(bad.error, row.error) << row.text;
    EXPECT_TRUE(bad.ranges.empty());
  }
}

TEST(SquawkServiceAllocator, CodesAreHeldPerCallsign) {
  const auto start = CodeAllocator::Clock::now();
  CodeAllocator codes({{"EGLL", CodeNumber("0176"), CodeNumber("0202")},
                       {"*", CodeNumber("5001"), CodeNumber("5002")}},
                      std::chrono::seconds(60));
  // The recycle code 0200 lies in the range and is never handed out.
  EXPECT_EQ(codes.Assign("EGLL", "BAW1", false, start), "0176");
  EXPECT_EQ(codes.Assign("EGLL", "BAW2", false, start), "0177");
  EXPECT_EQ(codes.Assign("EGLL", "BAW1", false, start), "0176");  // asked again: the same
  EXPECT_EQ(codes.Assign("EGLL", "BAW3", false, start), "0201");
  EXPECT_EQ(codes.Assign("EGLL", "BAW1", true, start), "0202");         // override: a fresh one
  EXPECT_EQ(codes.Assign("EGLL", "BAW4", false, start), "0176");        // released by the override
  EXPECT_EQ(codes.Assign("EGLL", "BAW5", false, start), std::nullopt);  // exhausted
  // Airports without a range of their own share "*".
  EXPECT_EQ(codes.Assign("LFPG", "AFR1", false, start), "5001");
  EXPECT_EQ(codes.Assign("EDDF", "DLH1", false, start), "5002");
  EXPECT_EQ(codes.Held(), 6u);
  // Holds end when a callsign has not asked for the hold time.
  EXPECT_EQ(codes.Assign("EGLL", "BAW5", false, start + std::chrono::seconds(60)), "0177");
  EXPECT_EQ(codes.Held(), 1u);
}

TEST(SquawkServiceAllocator, OverrideNeverGivesTheSameCodeBack) {
  CodeAllocator codes({{"EGLL", CodeNumber("2301"), CodeNumber("2302")}}, std::chrono::hours(1));
  std::optional<std::string> code = codes.Assign("EGLL", "BAW1", false);
  for (int i = 0; i < 5; ++i) {
    const std::optional<std::string> fresh = codes.Assign("EGLL", "BAW1", true);
    ASSERT_TRUE(fresh);
    EXPECT_NE(fresh, code);
    code = fresh;
  }
  CodeAllocator single({{"EGLL", CodeNumber("2301"), CodeNumber("2301")}}, std::chrono::hours(1));
  EXPECT_EQ(single.Assign("EGLL", "BAW1", false), "2301");
  EXPECT_EQ(single.Assign("EGLL", "BAW1", true), std::nullopt);
}

TEST(SquawkServiceEncoding, EveryCodeRoundTripsThroughTheClientsDecoding) {
  for (int number = 0; number <= 07777; ++number) {
    const std::string reply = squawk_service::EncodeSquawkReply(number);
    ASSERT_LE(reply.size(), 4u);
    const std::optional<std::int32_t> value = ReadAssignReplyValue(reply);
    ASSERT_TRUE(value) << reply;
    EXPECT_EQ(DecodeSquawk(*value), squawk_service::CodeText(number)) << reply;
  }
}

TEST(SquawkServiceVersions, OlderVersions) {
  struct Row {
    const char* version;
    const char* latest;
    bool older;
  };
  for (const Row& row : std::vector<Row>{{"1.0", "1.1", true},
                                         {"1.0", "1.0", false},
                                         {"1.0", "1", false},
                                         {"1.0", "1.0.1", true},
                                         {"1.9", "1.10", true},
                                         {"2.0", "1.10", false},
                                         {"", "1.0", true},
                                         {"01.2", "1.10", true},
                                         {"1.0x", "1.0", false},
                                         // Numbers of any length, without overflow.
                                         {"99999999999999999999", "1.0", false},
                                         {"1.0", "99999999999999999999", true},
                                         {"1.99999999999999999998", "1.99999999999999999999", true},
                                         {"1.00000000000000000000000002", "1.2", false}}) {
    EXPECT_EQ(squawk_service::IsOlderVersion(row.version, row.latest), row.older)
        << row.version << " " << row.latest;
  }
}

// --- Over HTTP ------------------------------------------------------------------------------

HttpResult Get(const std::string& url) {
  const std::stop_source stop;
  return CurlHttpGet(url, 1023, stop.get_token());
}

TEST(SquawkServiceHttp, StartupAndAssignReplies) {
  ServiceOptions options;
  options.latest_version = "1.1";
  options.first_start_id = 41;
  options.ranges = {{"EGLL", CodeNumber("4001"), CodeNumber("4077")}};
  std::vector<std::string> targets;
  options.on_request = [&](const std::string& target) { targets.push_back(target); };
  SquawkService service(options);
  ASSERT_TRUE(service.Start());
  const std::string base = service.BaseUrl();
  EXPECT_EQ(base, "http://127.0.0.1:" + std::to_string(service.port()) + "/qex/");

  EXPECT_EQ(Get(base + "sqk_startup.php?macid=A&name=N&version=1.0")->body, "41:2");
  EXPECT_EQ(Get(base + "sqk_startup.php?macid=A&name=N&version=1.1")->body, "42:1");
  const std::string assign = base + "sqk_assign.php?depicao=egll&arricao=LFPG&acftcs=BAW1";
  EXPECT_EQ(Get(assign + "&ovr=0")->body, squawk_service::EncodeSquawkReply(CodeNumber("4001")));
  EXPECT_EQ(Get(assign + "&ovr=1")->body, squawk_service::EncodeSquawkReply(CodeNumber("4002")));
  EXPECT_EQ(Get(base + "sqk_assign.php?depicao=EDDF&acftcs=DLH1")->body, "0");  // no range
  const HttpResult missing = Get(base + "sqk_assign.php?depicao=EGLL");
  EXPECT_EQ(missing->status, 400);
  EXPECT_EQ(Get(base + "other.php")->status, 404);
  service.Stop();
  EXPECT_EQ(targets.size(), 7u);
  EXPECT_EQ(targets[0], "/qex/sqk_startup.php?macid=A&name=N&version=1.0");
}

TEST(SquawkServiceHttp, FaultModes) {
  const auto run = [](Fault fault) {
    ServiceOptions options;
    options.fault = fault;
    SquawkService service(options);
    EXPECT_TRUE(service.Start());
    return Get(service.BaseUrl() + "sqk_startup.php?macid=A&name=N&version=1.0");
  };
  EXPECT_EQ(run(Fault::kNone)->body, "1:1");
  const HttpResult error = run(Fault::kErrorPage);
  EXPECT_EQ(error->status, 500);
  EXPECT_NE(error->body.find("Internal Server Error"), std::string::npos);
  const HttpResult garbage = run(Fault::kGarbage);
  EXPECT_EQ(garbage->status, 200);
  EXPECT_FALSE(ParseStartupReply(garbage->body));
  EXPECT_FALSE(ReadAssignReplyValue(garbage->body));
  EXPECT_FALSE(run(Fault::kDrop));
}

TEST(SquawkServiceHttp, AClientKeepsItsConnectionForManyRequests) {
  SquawkService service(ServiceOptions{});
  ASSERT_TRUE(service.Start());
  httplib::Client client("127.0.0.1", service.port());
  client.set_keep_alive(true);
  int connections = 0;
  client.set_socket_options([&connections](socket_t sock) {
    httplib::default_socket_options(sock);
    ++connections;
  });
  for (int i = 0; i < 20; ++i) {
    const httplib::Result reply = client.Get("/qex/sqk_startup.php?macid=A&name=N&version=1.0");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
  }
  EXPECT_EQ(connections, 1);
}

// A watcher that goes away is told; "/watch" is an ordinary unknown path without the option.
TEST(SquawkServiceHttp, WatchersAreCountedUntilTheyLeave) {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<int> counts;
  ServiceOptions options;
  options.on_watchers_changed = [&](int watchers) {
    std::lock_guard lock(mutex);
    counts.push_back(watchers);
    changed.notify_all();
  };
  SquawkService service(options);
  ASSERT_TRUE(service.Start());
  const std::string watch = "http://127.0.0.1:" + std::to_string(service.port()) + "/watch";
  const std::stop_source stop;
  const HttpResult lines = CurlHttpGet(watch, 2, stop.get_token());
  ASSERT_TRUE(lines);
  EXPECT_EQ(lines->body, "\n\n");
  std::unique_lock lock(mutex);
  ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return counts.size() == 2; }));
  EXPECT_EQ(counts, (std::vector<int>{1, 0}));
  lock.unlock();

  SquawkService plain(ServiceOptions{});
  ASSERT_TRUE(plain.Start());
  EXPECT_EQ(Get("http://127.0.0.1:" + std::to_string(plain.port()) + "/watch")->status, 404);
}

// With the plug-in: a departure gets the service's first code; stopping a delaying service
// ends its pending answers at once.
TEST(SquawkServiceHttp, PluginWorkersGetTheirCodeFromTheService) {
  class CurlEnv : public testing::ScriptedHttpEnv {
   public:
    HttpResult HttpGet(const std::string& url, std::size_t max_body_bytes,
                       std::stop_token stop) override {
      return CurlHttpGet(url, max_body_bytes, std::move(stop));
    }
  };
  ServiceOptions options;
  options.ranges = {{"EGLL", CodeNumber("2301"), CodeNumber("2377")}};
  SquawkService service(options);
  ASSERT_TRUE(service.Start());
  StartId.store(0);
  CurlEnv env;
  AircraftRegistry registry;
  standin::World world;
  testing::WorldRecorder recorder;
  world.SetObserver(&recorder);
  world.settings().Preset("SERVERLOCATION", service.BaseUrl());
  world.settings().Preset("SQK1", "EGLL:1");
  auto plugin = std::make_unique<QEXPlugin>(env, registry);
  world.AttachPlugIn(plugin.get());
  standin::Aircraft& a = world.AddOrGetAircraft("BAW1");
  a.flight_plan.origin = "EGLL";
  a.flight_plan.destination = "KJFK";
  world.ReportFlightPlanUpdate("BAW1");
  ASSERT_TRUE(testing::WaitForIdleWorkers(*plugin));
  EXPECT_EQ(StartId.load(), 1);
  EXPECT_EQ(env.RunPostedTasks(), 2);  // the start-up's success, the code
  EXPECT_EQ(recorder.squawks, (std::vector<std::pair<std::string, std::string>>{{"BAW1", "2301"}}));
  plugin.reset();
}

TEST(SquawkServiceHttp, UnloadStopEndsDelayedAnswers) {
  ServiceOptions options;
  options.fault = Fault::kDelay;
  options.delay = std::chrono::minutes(10);
  int arrived = 0;
  std::mutex mutex;
  std::condition_variable changed;
  options.on_request = [&](const std::string&) {
    std::lock_guard lock(mutex);
    ++arrived;
    changed.notify_all();
  };
  SquawkService service(options);
  ASSERT_TRUE(service.Start());
  auto answer = std::async(std::launch::async, [&] {
    return Get(service.BaseUrl() + "sqk_startup.php?macid=A&name=N&version=1.0");
  });
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return arrived == 1; }));
  }
  service.Stop();
  ASSERT_EQ(answer.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  const HttpResult cut_short = answer.get();
  EXPECT_TRUE(!cut_short || cut_short->body.empty());
}

}  // namespace
}  // namespace kestrava
