// The countdown alarm workers: one alarm per start at its own end time, whatever happens to the
// clock or the display meanwhile, and none once the plug-in has been unloaded.
#include <gtest/gtest.h>

#include <stop_token>
#include <string>
#include <vector>

#include "screen/countdown_clock.h"
#include "tests/support/screen_fixture.h"

namespace kestrava::testing {
namespace {

using EuroScopePlugIn::BUTTON_LEFT;

class CountdownAlarmWorker : public ScreenFixture {
 protected:
  void SetUp() override {
    Open();
    world.displays().Redraw(Display());
  }

  void Click(int type) { ASSERT_TRUE(world.displays().Click(kMain, type, BUTTON_LEFT)); }

  // Alarms played so far, once the workers whose end has come have played.
  int AlarmsAfter(std::int64_t seconds, int expected) {
    env.AdvanceSeconds(seconds);
    return env.WaitForAlarms(expected);
  }
};

TEST_F(CountdownAlarmWorker, TwoCountdownsSoundTwoAlarmsEachAtItsOwnEnd) {
  Click(kThreeMinuteButton);
  Click(kOneMinuteButton);
  EXPECT_EQ(AlarmsAfter(59, 0), 0);
  EXPECT_EQ(AlarmsAfter(1, 1), 1);
  EXPECT_EQ(AlarmsAfter(119, 1), 1);
  EXPECT_EQ(AlarmsAfter(1, 2), 2);
}

TEST_F(CountdownAlarmWorker, StoppingOrHidingTheClockDoesNotSilenceItsAlarm) {
  Click(kOneMinuteButton);
  Click(kClockFace);
  EXPECT_FALSE(Screen().m_CountdownRunning);
  Click(kTwoMinuteButton);
  Click(kClockCloseBox);
  EXPECT_EQ(AlarmsAfter(60, 1), 1);
  EXPECT_EQ(AlarmsAfter(60, 2), 2);
}

TEST_F(CountdownAlarmWorker, ClosingTheDisplayLeavesItsAlarmToSound) {
  Click(kOneMinuteButton);
  ASSERT_TRUE(world.displays().Close(kMain));
  EXPECT_EQ(AlarmsAfter(60, 1), 1);
  EXPECT_EQ(env.alarm_displays, std::vector<std::string>{kMain});
}

TEST_F(CountdownAlarmWorker, UnloadCancelsPendingAlarms) {
  Click(kOneMinuteButton);
  Click(kThreeMinuteButton);
  plugin.reset();  // stops and joins the workers
  env.AdvanceSeconds(200);
  EXPECT_EQ(env.WaitForAlarms(0), 0);
}

TEST_F(CountdownAlarmWorker, TheWorkerPlaysAtItsEndAndEndsWithOne) {
  const CountdownAlarmTime alarm{env.NowUnixSeconds() + 5, kMain};
  env.AdvanceSeconds(5);
  EXPECT_EQ(kestrava::CountdownAlarmWorker(env, alarm, std::stop_token()), 1);
  EXPECT_EQ(env.alarms, 1);
  EXPECT_EQ(env.alarm_displays, std::vector<std::string>{kMain});

  std::stop_source stop;
  stop.request_stop();
  const CountdownAlarmTime later{env.NowUnixSeconds() + 60, kMain};
  EXPECT_EQ(kestrava::CountdownAlarmWorker(env, later, stop.get_token()), 0);
  EXPECT_EQ(env.alarms, 1);
}

}  // namespace
}  // namespace kestrava::testing
