// The squawk service client: the service location and URL templates, the reply parsing and the
// code decoding, and the start-up and assignment exchanges.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "squawk/service_location.h"
#include "squawk/service_replies.h"
#include "squawk/service_workers.h"
#include "squawk/url_template.h"
#include "tests/support/squawk_support.h"
#include "tests/support/world_recorder.h"

namespace kestrava {
namespace {

TEST(SquawkServiceLocation, TemplatesFollowTheBaseLiterally) {
  struct Row {
    const char* location;  // null: the setting is absent
    std::string base;
  };
  const std::vector<Row> rows = {
      {nullptr, kDefaultServiceBaseUrl},
      {"", kDefaultServiceBaseUrl},
      {"http://127.0.0.1:8080/qex/", "http://127.0.0.1:8080/qex/"},
      {"http://example.test/qex", "http://example.test/qex"},  // glued without a "/"
  };
  for (const Row& row : rows) {
    SetServiceLocation(row.location);
    EXPECT_EQ(ServiceBaseUrl, row.base);
    EXPECT_EQ(StartupUrlTemplate.text, row.base + "sqk_startup.php?macid=%s&name=%s&version=%s");
    EXPECT_EQ(AssignUrlTemplate.text,
              row.base +
                  "sqk_assign.php?depicao=%s&arricao=%s&ctrlcs=%s&ctrlname=%s&acftcs=%s"
                  "&acftname=%s&macid=%s&ovr=%s&gnd=%s&startid=%d");
  }
  EXPECT_EQ(std::string_view(kDefaultServiceBaseUrl).substr(0, 7), "http://");
  EXPECT_TRUE(std::string_view(kDefaultServiceBaseUrl).ends_with("/qex/"));

  // A "%" in the base is not a placeholder.
  SetServiceLocation("http://h.test/%s%d/");
  EXPECT_EQ(FillUrlTemplate(StartupUrlTemplate, {"M", "N", "1.0"}),
            "http://h.test/%s%d/sqk_startup.php?macid=M&name=N&version=1.0");
}

TEST(SquawkUrlTemplate, ValuesArePercentEncoded) {
  struct Row {
    std::string value;
    std::string sent;
  };
  const std::vector<Row> rows = {
      {"Anna Bell", "Anna%20Bell"},  {"A&ovr=1", "A%26ovr%3D1"},
      {"x#frag", "x%23frag"},        {"100%", "100%25"},
      {"a+b/c?d", "a%2Bb%2Fc%3Fd"},  {"Az09-._~", "Az09-._~"},
      {"\xC3\xA9\x01", "%C3%A9%01"}, {"", ""},
  };
  const UrlTemplate t{"http://h/q?a=%s&n=%d", 9};
  for (const Row& row : rows) {
    EXPECT_EQ(PercentEncode(row.value), row.sent);
    EXPECT_EQ(FillUrlTemplate(t, {row.value, -42}), "http://h/q?a=" + row.sent + "&n=-42");
  }
}

TEST(SquawkUrlTemplate, LongUrlsAreNeverCut) {
  const std::string name(1500, 'n');
  const std::string url = FillUrlTemplate({"http://h/q?name=%s&id=%d", 9}, {name, 7});
  EXPECT_EQ(url, "http://h/q?name=" + name + "&id=7");
}

TEST(SquawkReplies, StartupReplies) {
  struct Row {
    std::string body;
    std::optional<StartupReply> reply;
  };
  const std::vector<Row> rows = {
      {"1234:1", StartupReply{1234, 1}},
      {"1234:2", StartupReply{1234, 2}},
      {"1234", std::nullopt},
      {"", std::nullopt},
      {":5:2", StartupReply{5, 2}},
      {"7::2:9", StartupReply{7, 2}},
      {" -3: 2", StartupReply{-3, 2}},
      {"abc:def", StartupReply{0, 0}},
      {std::string("12\0:2", 5), std::nullopt},  // the text ends at a NUL byte
  };
  for (const Row& row : rows) EXPECT_EQ(ParseStartupReply(row.body), row.reply) << row.body;
}

TEST(SquawkReplies, AssignRepliesAndTheirCodes) {
  struct Row {
    std::string body;
    std::optional<std::string> code;
  };
  const std::vector<Row> rows = {
      {"1a2b", "1530"},
      {"ffff", "7777"},
      {"FFFF", "7777"},
      {"1", "0010"},
      {"400", "0200"},
      {"1a2b3c", "1530"},  // only four bytes are read
      {" 1a2", "5020"},
      {"0x1f", "0070"},
      {"0X1f", "0070"},
      {"0x", std::nullopt},
      {"0", std::nullopt},
      {"zz", std::nullopt},
      {"-1", std::nullopt},
      {"", std::nullopt},
      {"<htm", std::nullopt},
      {"8", "0000"},  // bit 3 is not read
      {std::string("1a\0b", 4), "0020"},
  };
  for (const Row& row : rows) {
    const std::optional<std::int32_t> value = ReadAssignReplyValue(row.body);
    EXPECT_EQ(value ? std::optional<std::string>(DecodeSquawk(*value)) : std::nullopt, row.code)
        << row.body;
  }
}

// --- The exchanges, on a scripted Env --------------------------------------------------------

class SquawkClient : public testing::SquawkFixture {
 protected:
  void SetUp() override {
    SquawkFixture::SetUp();
    world.SetObserver(&recorder);
  }
  testing::WorldRecorder recorder;
};

TEST_F(SquawkClient, StartupRequestAndItsReplies) {
  struct Row {
    std::optional<HttpResponse> reply;
    std::int32_t start_id;
    bool notice;
  };
  const std::vector<Row> rows = {
      {HttpResponse{200, "1234:1"}, 1234, false},
      {HttpResponse{200, "1234:2"}, 1234, true},
      {HttpResponse{200, "1234"}, 0, false},
      {HttpResponse{200, ""}, 0, false},
      {HttpResponse{200, ":5:2"}, 5, true},
      {HttpResponse{500, "1234:2"}, 0, false},
      {HttpResponse{404, "<html>404:2</html>"}, 0, false},
      {std::nullopt, 0, false},
  };
  for (const Row& row : rows) {
    StartId.store(0);
    env.notices.clear();
    env.exchanges.clear();
    env.replies["sqk_startup.php"] = row.reply;
    world.controller().full_name = "Anna Bell & Co";
    Load({{"SERVERLOCATION", "http://sq.test/qex/"}});
    ASSERT_EQ(env.exchanges.size(), 1u);
    EXPECT_EQ(env.exchanges[0].url,
              "http://sq.test/qex/sqk_startup.php?macid=1234ABCD&name=Anna%20Bell%20%26%20Co"
              "&version=1.0");
    EXPECT_EQ(env.exchanges[0].limit, 1023u);
    EXPECT_EQ(StartId.load(), row.start_id);
    using Notices = std::vector<std::pair<std::string, std::string>>;
    const Notices expected =
        row.notice ? Notices{{"Kestrava",
                              "New update available for Kestrava. Please visit the Brenmark "
                              "forum for details."}}
                   : Notices{};
    EXPECT_EQ(env.notices, expected);
  }
}

TEST_F(SquawkClient, OnlySuccessStatusesCount) {
  const struct {
    int status;
    bool counts;
  } rows[] = {{199, false}, {200, true},  {201, true},  {204, true}, {299, true},
              {300, false}, {301, false}, {404, false}, {500, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.status);
    StartId.store(0);
    env.replies["sqk_startup.php"] = HttpResponse{row.status, "1234:1"};
    env.replies["sqk_assign.php"] = HttpResponse{row.status, "1a2b"};
    Load({{"SQK1", "EGLL:1"}});
    EXPECT_EQ(StartId.load(), row.counts ? 1234 : 0);
    const std::string callsign = "S" + std::to_string(row.status);
    Aircraft(callsign, "EGLL", "LFPG", 0);
    Request(callsign);
    EXPECT_EQ(env.RunPostedTasks(), 1);  // the code, or the failure
    EXPECT_EQ(world.FindAircraft(callsign)->squawk, row.counts ? "1530" : "");
  }
}

TEST_F(SquawkClient, MachineIdIsEightUpperCaseHexDigits) {
  for (const auto& [id, text] :
       std::vector<std::pair<std::uint32_t, std::string>>{{0x1234ABCDu, "1234ABCD"},
                                                          {0u, "00000000"},
                                                          {0xFFFFFFFFu, "FFFFFFFF"},
                                                          {0xAu, "0000000A"}}) {
    env.machine_id = id;
    EXPECT_EQ(GetMachineId(env), text);
  }
}

TEST_F(SquawkClient, AssignRequestCarriesTheStartIdOfItsMoment) {
  Load({{"SQK1", "EGLL:1"}, {"SERVERLOCATION", "http://sq.test/qex/"}});
  Aircraft("BAW1", "EGLL", "LFPG", 0);
  Request("BAW1");
  StartId.store(1234);  // as the start-up reply would
  Request("BAW1");
  const std::vector<std::string> urls = env.Urls("sqk_assign.php");
  ASSERT_EQ(urls.size(), 2u);
  EXPECT_TRUE(urls[0].ends_with("&startid=0")) << urls[0];
  EXPECT_TRUE(urls[1].ends_with("&startid=1234")) << urls[1];
  ASSERT_EQ(env.exchanges.size(), 3u);
  EXPECT_EQ(env.exchanges[1].limit, 4u);
}

TEST_F(SquawkClient, FailedOrUnusableAssignRepliesChangeNothing) {
  const std::vector<std::optional<HttpResponse>> replies = {
      std::nullopt,                          // refused, timed out, aborted
      HttpResponse{200, "zz"},               // garbage
      HttpResponse{200, "0"},                // no code
      HttpResponse{200, ""},                 // empty
      HttpResponse{500, "1a2b"},             // an error status with a body that reads as a code
      HttpResponse{502, "502 Bad Gateway"},  // a proxy's error page
      HttpResponse{200, std::string(1 << 20, ' ') + "1a2b"},  // a code past the 4 bytes read
      HttpResponse{200, "400"},  // the recycle code: set, it would ask again without end
  };
  Load({{"SQK1", "EGLL:1"}});
  Aircraft("BAW1", "EGLL", "LFPG", 0);
  for (const std::optional<HttpResponse>& reply : replies) {
    env.replies["sqk_assign.php"] = reply;
    Request("BAW1");
    EXPECT_EQ(env.RunPostedTasks(), 1);  // the failure
  }
  EXPECT_EQ(env.Urls("sqk_assign.php").size(), replies.size());
  EXPECT_TRUE(recorder.squawks.empty());
  EXPECT_EQ(world.FindAircraft("BAW1")->squawk, "");
  EXPECT_TRUE(env.notices.empty());
}

// Two requests at the same moment run on two workers; each sets its own aircraft's code.
TEST_F(SquawkClient, ConcurrentRequestsOnWorkersSetTheirOwnCodes) {
  env.replies["depicao=EGLL"] = HttpResponse{200, "1a2b"};
  env.replies["depicao=EGKK"] = HttpResponse{200, "ffff"};
  Load({{"SQK1", "EGLL:1"}, {"SQK2", "EGKK:1"}});
  Aircraft("BAW1", "EGLL", "LFPG", 0);
  Aircraft("EZY2", "EGKK", "LFPG", 0);
  plugin->RequestSquawk(plugin->AircraftSelect("BAW1"));
  plugin->RequestSquawk(plugin->AircraftSelect("EZY2"));
  ASSERT_TRUE(testing::WaitForIdleWorkers(*plugin));
  EXPECT_EQ(env.RunPostedTasks(), 2);
  EXPECT_EQ(world.FindAircraft("BAW1")->squawk, "1530");
  EXPECT_EQ(world.FindAircraft("EZY2")->squawk, "7777");
}

// Unloading while the update notice is open closes it and ends the start-up worker.
TEST_F(SquawkClient, UnloadWhileTheNoticeIsOpen) {
  env.replies["sqk_startup.php"] = HttpResponse{200, "9:2"};
  env.notice_stays_open = true;
  for (const auto& [key, value] : std::map<std::string, std::string>{{"SQK1", "EGLL:1"}}) {
    world.settings().Preset(key, value);
  }
  plugin = std::make_unique<QEXPlugin>(env, registry);
  world.AttachPlugIn(plugin.get());
  ASSERT_TRUE(env.WaitForNotice());
  EXPECT_EQ(plugin->workers().Running(), 1);
  EXPECT_TRUE(plugin->workers().StopAndJoin());
  plugin.reset();
  EXPECT_EQ(StartId.load(), 9);
}

// A code decoded after the unload has begun is never handed to the host.
TEST_F(SquawkClient, UnloadDropsCodesNotYetApplied) {
  env.replies["sqk_assign.php"] = HttpResponse{200, "1a2b"};
  Load({{"SQK1", "EGLL:1"}});
  Aircraft("BAW1", "EGLL", "LFPG", 0);
  Request("BAW1");
  plugin.reset();
  EXPECT_EQ(env.RunPostedTasks(), 1);  // the hand-over runs, and finds the plug-in gone
  EXPECT_TRUE(recorder.squawks.empty());
}

}  // namespace
}  // namespace kestrava
