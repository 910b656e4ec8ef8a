// What the controller hears of the squawk service: one message when an outage starts, naming its
// reason, none while it lasts, one when codes come again.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "resources/dialog_ids.h"
#include "tests/support/squawk_support.h"

namespace kestrava {
namespace {

using SquawkServiceHealthTest = testing::SquawkFixture;

standin::UserMessage FromService(const std::string& text) {
  return {"Kestrava", "Squawk service", text, true, true, false, false, false};
}

TEST_F(SquawkServiceHealthTest, EachOutageIsToldOnceWithItsReasonAndEachRecoveryOnce) {
  const std::pair<std::optional<HttpResult>, const char*> failures[] = {
      {std::nullopt, "refused"},
      {HttpFailure::kUnknownHost, "unknown host"},
      {HttpFailure::kTimedOut, "timed out"},
      {HttpFailure::kBroken, "connection failed"},
      {HttpResponse{500, "1a2b"}, "status 500"},
      {HttpResponse{200, "zz"}, "unreadable reply"},
  };
  env.replies["sqk_startup.php"] = HttpResponse{200, "7:1"};
  Load({{"SQK1", "EGLL:1"}, {"SERVERLOCATION", "http://sq.test/qex/"}});
  EXPECT_TRUE(world.user_messages().empty());  // a healthy start says nothing

  int flights = 0;
  const auto request = [&](const std::optional<HttpResult>& reply) {
    const std::string callsign = "BAW" + std::to_string(++flights);
    Aircraft(callsign, "EGLL", "LFPG", 0);
    env.replies["sqk_assign.php"] = reply;
    Request(callsign);
    EXPECT_EQ(env.RunPostedTasks(), 1);
    return world.FindAircraft(callsign)->squawk;
  };
  std::vector<standin::UserMessage> told;
  for (const auto& [first, reason] : failures) {
    SCOPED_TRACE(reason);
    // The outage starts with `first`; every kind of failure follows within it.
    EXPECT_EQ(request(first), "");
    for (const auto& failure : failures) EXPECT_EQ(request(failure.first), "");
    told.push_back(
        FromService("No squawk codes: the squawk service at http://sq.test/qex/ failed (" +
                    std::string(reason) + "). Check the SERVERLOCATION setting."));
    EXPECT_EQ(world.user_messages(), told);

    EXPECT_EQ(request(HttpResponse{200, "1a2b"}), "1530");
    EXPECT_EQ(request(HttpResponse{200, "1a2b"}), "1530");
    told.push_back(FromService(
        "Squawk codes are coming again from the squawk service at http://sq.test/qex/."));
    EXPECT_EQ(world.user_messages(), told);
  }
}

TEST_F(SquawkServiceHealthTest, AStartUpWithoutAUsableReplyStartsAnOutage) {
  env.replies["sqk_startup.php"] = HttpResponse{200, "1234"};  // one field only
  Load({{"SERVERLOCATION", "http://sq.test/qex/"}});
  ASSERT_EQ(world.user_messages().size(), 1u);
  EXPECT_NE(world.user_messages()[0].message.find("(unreadable reply)"), std::string::npos);
}

TEST_F(SquawkServiceHealthTest, WithCodesOffNothingIsToldUntilTheyAreSwitchedOn) {
  Load({{"SQK", "0"}, {"SQK1", "EGLL:1"}, {"SERVERLOCATION", "http://sq.test/qex/"}});
  EXPECT_TRUE(world.user_messages().empty());  // the start-up exchange failed, codes are off

  env.dialog_script = [](DialogUser& user) {
    user.Check(IDC_SQK_ENABLE, true);
    user.Click(kIdOk);
  };
  ASSERT_TRUE(world.CompileCommand(".qex s"));
  ASSERT_TRUE(plugin->m_SquawkEnabled);
  Aircraft("BAW1", "EGLL", "LFPG", 0);
  Request("BAW1");
  EXPECT_EQ(env.RunPostedTasks(), 1);
  EXPECT_EQ(world.user_messages(),
            std::vector{FromService("No squawk codes: the squawk service at http://sq.test/qex/ "
                                    "failed (refused). Check the SERVERLOCATION setting.")});
}

TEST_F(SquawkServiceHealthTest, NoFreeCodeEndsAnOutageAndIsToldOncePerAircraft) {
  Load({{"SQK1", "EGLL:1"}, {"SERVERLOCATION", "http://sq.test/qex/"}});
  ASSERT_EQ(world.user_messages().size(), 1u);  // the start-up exchange was refused
  const auto request = [&](const std::string& callsign, const char* body) {
    Aircraft(callsign, "EGLL", "LFPG", 0);
    env.replies["sqk_assign.php"] = HttpResponse{200, body};
    Request(callsign);
    EXPECT_EQ(env.RunPostedTasks(), 1);
    return world.FindAircraft(callsign)->squawk;
  };
  EXPECT_EQ(request("BAW1", "0"), "");
  EXPECT_EQ(request("BAW1", "0x0"), "");
  EXPECT_EQ(request("BAW2", "0000"), "");
  EXPECT_EQ(request("BAW3", "1a2b"), "1530");  // no outage to end: nothing told
  EXPECT_EQ(request("BAW4", "400"), "");       // the recycle code is no code
  const std::string no_code = "The squawk service at http://sq.test/qex/ has no free code for ";
  const std::vector<standin::UserMessage> told = {
      world.user_messages()[0],
      FromService(no_code + "BAW1 (EGLL)."),
      FromService(no_code + "BAW2 (EGLL)."),
      FromService("No squawk codes: the squawk service at http://sq.test/qex/ failed (unreadable "
                  "reply). Check the SERVERLOCATION setting."),
  };
  EXPECT_EQ(world.user_messages(), told);
}

}  // namespace
}  // namespace kestrava
