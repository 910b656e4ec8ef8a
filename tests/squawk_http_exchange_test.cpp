// The squawk exchanges over real HTTP on 127.0.0.1 through the libcurl backend: the request
// lines on the wire, the faults of a misbehaving service, and unloading while requests hang.
#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "platform/posix/curl_http.h"
#include "squawk/service_location.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/squawk_support.h"
#include "tests/support/world_recorder.h"

// ThreadSanitizer sees only instrumented code: the prebuilt cpp-httplib library hands each
// connection from its listening thread to a pool thread through synchronisation it cannot see.
// Races reported inside that library are therefore not ours to judge.
extern "C" const char* __tsan_default_suppressions() { return "race:libcpp-httplib.so\n"; }

namespace kestrava {
namespace {

using testing::ScriptedHttpServer;
using Reply = ScriptedHttpServer::Reply;
using Mode = ScriptedHttpServer::Mode;

// The fake host-thread queue, clock and desktop, with the real HTTP backend.
class CurlEnv : public testing::ScriptedHttpEnv {
 public:
  HttpResult HttpGet(const std::string& url, std::size_t max_body_bytes,
                     std::stop_token stop) override {
    return CurlHttpGet(url, max_body_bytes, std::move(stop));
  }
};

class SquawkHttp : public ::testing::Test {
 protected:
  void SetUp() override {
    StartId.store(0);
    world.SetObserver(&recorder);
    world.controller().full_name = "Anna Bell & Co";
  }
  void TearDown() override { plugin.reset(); }

  void Load(const std::string& base_url) {
    world.settings().Preset("SERVERLOCATION", base_url);
    world.settings().Preset("SQK1", "EGLL:1");
    plugin = std::make_unique<QEXPlugin>(env, registry);
    world.AttachPlugIn(plugin.get());
  }
  void Departure(const std::string& callsign, const std::string& pilot = "Jo Pilot") {
    standin::Aircraft& a = world.AddOrGetAircraft(callsign);
    a.pilot_name = pilot;
    a.flight_plan.origin = "EGLL";
    a.flight_plan.destination = "LFPG";
  }
  void Request(const std::string& callsign) {
    plugin->RequestSquawk(plugin->AircraftSelect(callsign.c_str()));
  }

  ScriptedHttpServer server;
  CurlEnv env;
  AircraftRegistry registry;
  standin::World world;
  std::unique_ptr<QEXPlugin> plugin;
  testing::WorldRecorder recorder;
};

TEST_F(SquawkHttp, RequestLinesOnTheWireWithTheStartIdBeforeAndAfterTheStartupReply) {
  server.SetReply("sqk_startup.php", {200, "1234:1", Mode::kHang});
  server.SetReply("sqk_assign.php", {200, "1a2b"});
  Load(server.BaseUrl());
  ASSERT_TRUE(server.WaitForRequests(1));
  Departure("BAW1", "Jean & Marie=ok #1 100%");
  Request("BAW1");  // before the start-up reply
  ASSERT_TRUE(server.WaitForRequests(2));
  server.Release();
  ASSERT_TRUE(testing::WaitForIdleWorkers(*plugin));
  EXPECT_EQ(StartId.load(), 1234);
  Request("BAW1");  // after it
  ASSERT_TRUE(testing::WaitForIdleWorkers(*plugin));

  const std::string assign =
      "GET /qex/sqk_assign.php?depicao=EGLL&arricao=LFPG&ctrlcs=EGLL_TWR"
      "&ctrlname=Anna%20Bell%20%26%20Co&acftcs=BAW1&acftname=Jean%20%26%20Marie%3Dok%20%231%20100%"
      "25"
      "&macid=1234ABCD&ovr=0&gnd=1&startid=";
  EXPECT_EQ(server.RequestLines(),
            (std::vector<std::string>{
                "GET /qex/sqk_startup.php?macid=1234ABCD&name=Anna%20Bell%20%26%20Co&version=1.0 "
                "HTTP/1.1",
                assign + "0 HTTP/1.1", assign + "1234 HTTP/1.1"}));
  for (const std::string& header : server.CacheControlHeaders()) EXPECT_EQ(header, "no-cache");

  EXPECT_EQ(env.RunPostedTasks(), 3);  // the start-up's success; both replies bring a code
  EXPECT_TRUE(world.user_messages().empty());
  EXPECT_EQ(recorder.squawks,
            (std::vector<std::pair<std::string, std::string>>{{"BAW1", "1530"}, {"BAW1", "1530"}}));
}

TEST_F(SquawkHttp, LongUrlIsSentWhole) {
  server.SetReply("sqk_assign.php", {200, "1"});
  Load(server.BaseUrl());
  const std::string pilot(1500, 'p');
  Departure("BAW1", pilot);
  Request("BAW1");
  ASSERT_TRUE(testing::WaitForIdleWorkers(*plugin));
  std::vector<std::string> assign;  // the start-up request runs beside it, in either order
  for (const std::string& line : server.RequestLines()) {
    if (line.find("sqk_assign.php") != std::string::npos) assign.push_back(line);
  }
  ASSERT_EQ(assign.size(), 1u);
  EXPECT_GT(assign[0].size(), 1500u);
  EXPECT_TRUE(
      assign[0].ends_with("&acftname=" + pilot + "&macid=1234ABCD&ovr=0&gnd=1&startid=0 HTTP/1.1"));
  EXPECT_EQ(env.RunPostedTasks(), 2);  // the start-up's failure (no reply set), the code
  EXPECT_EQ(world.FindAircraft("BAW1")->squawk, "0010");
}

// A misbehaving service changes nothing; the controller hears of it once, with the reason.
TEST_F(SquawkHttp, FaultsOfTheServiceChangeNothingButAreToldOnce) {
  struct Row {
    const char* name;
    Reply startup;
    Reply assign;
    const char* reason;
  };
  const std::vector<Row> rows = {
      {"garbage", {200, "\x01zz\xff"}, {200, "zz!?"}, "unreadable reply"},
      {"error status with a body", {500, "1234:2"}, {500, "1a2b"}, "status 500"},
      {"proxy error page", {502, "502:2 Bad Gateway"}, {502, "502 Bad Gateway"}, "status 502"},
      {"connection dropped before the body",
       {200, "", Mode::kDrop},
       {200, "", Mode::kDrop},
       "connection failed"},
      // Past the 1023 and 4 bytes read, these bodies would set a start id and a code.
      {"body over the limit",
       {200, "1234" + std::string(1 << 20, ' ') + ":2"},
       {200, std::string(1 << 20, ' ') + "1a2b"},
       "unreadable reply"},
      {"endless body",
       {200, "<html>", Mode::kEndless},
       {200, "<html>", Mode::kEndless},
       "unreadable reply"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScriptedHttpServer faulty;
    faulty.SetReply("sqk_startup.php", row.startup);
    faulty.SetReply("sqk_assign.php", row.assign);
    Load(faulty.BaseUrl());
    Departure("BAW1");
    Request("BAW1");
    ASSERT_TRUE(testing::WaitForIdleWorkers(*plugin));
    EXPECT_EQ(faulty.RequestLines().size(), 2u);
    const std::size_t told = world.user_messages().size();
    EXPECT_EQ(env.RunPostedTasks(), 2);
    ASSERT_EQ(world.user_messages().size(), told + 1);
    EXPECT_EQ(world.user_messages().back().message,
              ServiceOutageMessage(faulty.BaseUrl(), row.reason));
    plugin.reset();
  }
  EXPECT_EQ(StartId.load(), 0);
  EXPECT_TRUE(env.notices.empty());
  EXPECT_TRUE(recorder.squawks.empty());
}

TEST_F(SquawkHttp, RefusedConnectionChangesNothing) {
  int closed_port = 0;
  {
    ScriptedHttpServer gone;
    closed_port = gone.port();
  }
  Load("http://127.0.0.1:" + std::to_string(closed_port) + "/qex/");
  Departure("BAW1");
  Request("BAW1");
  ASSERT_TRUE(testing::WaitForIdleWorkers(*plugin));
  EXPECT_EQ(env.RunPostedTasks(), 2);
  ASSERT_EQ(world.user_messages().size(), 1u);
  EXPECT_NE(world.user_messages()[0].message.find("(refused)"), std::string::npos);
  EXPECT_EQ(StartId.load(), 0);
  EXPECT_TRUE(recorder.squawks.empty());
}

// Unloading while the service hangs: the requests are aborted, the workers end within the
// group's bound, and no code is handed over afterwards.
TEST_F(SquawkHttp, UnloadWhileRequestsHang) {
  server.SetReply("sqk_startup.php", {200, "5:2", Mode::kHang});
  server.SetReply("sqk_assign.php", {200, "1a2b", Mode::kHang});
  Load(server.BaseUrl());
  for (const char* callsign : {"BAW1", "BAW2", "BAW3"}) {
    Departure(callsign);
    Request(callsign);
  }
  ASSERT_TRUE(server.WaitForRequests(4));
  EXPECT_EQ(server.Answered(), 0);  // every RequestSquawk returned before any reply
  EXPECT_EQ(plugin->workers().Running(), 4);
  EXPECT_TRUE(plugin->workers().StopAndJoin());
  plugin.reset();
  server.Release();
  EXPECT_EQ(env.RunPostedTasks(), 0);
  EXPECT_TRUE(recorder.squawks.empty());
  EXPECT_TRUE(env.notices.empty());
}

// --- The libcurl backend itself ---------------------------------------------------------------

TEST(SquawkCurlExchange, ReadsAtMostTheLimit) {
  ScriptedHttpServer server;
  server.SetReply("endless", {200, "1a2b3c", Mode::kEndless});
  server.SetReply("short", {201, "ab"});
  const std::stop_source stop;
  const HttpResult endless = CurlHttpGet(server.BaseUrl() + "endless", 4, stop.get_token());
  ASSERT_TRUE(endless);
  EXPECT_EQ(endless->status, 200);
  EXPECT_EQ(endless->body, "1a2b");
  const HttpResult whole = CurlHttpGet(server.BaseUrl() + "short", 1023, stop.get_token());
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->status, 201);
  EXPECT_EQ(whole->body, "ab");
}

TEST(SquawkCurlExchange, FollowsRedirectsOverHttpOnly) {
  ScriptedHttpServer server;
  server.SetReply("moved", {302, "", Mode::kAnswer, server.BaseUrl() + "here"});
  server.SetReply("here", {200, "7:1"});
  server.SetReply("to-file", {302, "", Mode::kAnswer, "file:///etc/hostname"});
  const std::stop_source stop;
  const HttpResult moved = CurlHttpGet(server.BaseUrl() + "moved", 1023, stop.get_token());
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved->body, "7:1");
  EXPECT_FALSE(CurlHttpGet(server.BaseUrl() + "to-file", 1023, stop.get_token()));
  EXPECT_FALSE(CurlHttpGet("file:///etc/hostname", 1023, stop.get_token()));
}

TEST(SquawkCurlExchange, UnloadStopAbortsAHangingExchange) {
  ScriptedHttpServer server;
  server.SetReply("hang", {200, "1a2b", Mode::kHang});
  std::stop_source stop;
  auto exchange = std::async(std::launch::async, [&] {
    return CurlHttpGet(server.BaseUrl() + "hang", 4, stop.get_token());
  });
  ASSERT_TRUE(server.WaitForRequests(1));
  stop.request_stop();
  // Bounded so that a broken abort fails here instead of waiting out the 10 s limit.
  ASSERT_EQ(exchange.wait_for(std::chrono::seconds(2)), std::future_status::ready);
  EXPECT_FALSE(exchange.get());
  EXPECT_FALSE(CurlHttpGet(server.BaseUrl() + "hang", 4, stop.get_token()));  // stopped before
}

}  // namespace
}  // namespace kestrava
