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

// A system clock that can be stepped, and sleeps that run on a steady clock, as the backends'
// do: a sleep until a time works out what is left from the system clock and sleeps that long,
// however the system clock moves meanwhile. Single-threaded: the worker runs on the test's thread.
class SteppedClockEnv : public FakeEnv {
 public:
  // The system clock jumps by `step_ms` once `step_after_ms` of sleeping have passed.
  SteppedClockEnv(std::int64_t step_after_ms, std::int64_t step_ms)
      : step_after_ms_(step_after_ms), step_ms_(step_ms) {}

  std::int64_t NowUnixSeconds() override { return wall_ms_ / 1000; }
  bool SleepUntil(std::int64_t deadline, std::stop_token /*stop*/) override {
    for (std::int64_t left = deadline * 1000 - wall_ms_; left > 0;
         left = deadline * 1000 - wall_ms_) {
      Pass(left);
    }
    return true;
  }
  bool SleepFor(std::chrono::milliseconds duration, std::stop_token /*stop*/) override {
    Pass(duration.count());
    return true;
  }
  void PlayAlarmSound(const std::string& /*display*/) override { alarm_at_ms = steady_ms_; }

  void WatchFor(std::int64_t end_seconds) { end_ms_ = end_seconds * 1000; }
  std::int64_t reached_at_ms = -1;  // steady time at which the system clock first read the end
  std::int64_t alarm_at_ms = -1;    // steady time of the alarm

 private:
  void Pass(std::int64_t ms) {
    if (steady_ms_ < step_after_ms_ && steady_ms_ + ms >= step_after_ms_) {
      const std::int64_t before = step_after_ms_ - steady_ms_;
      Run(before);
      ms -= before;
      wall_ms_ += step_ms_;
      if (reached_at_ms < 0 && wall_ms_ >= end_ms_) reached_at_ms = steady_ms_;
    }
    Run(ms);
  }
  void Run(std::int64_t ms) {
    if (reached_at_ms < 0 && wall_ms_ + ms >= end_ms_) {
      reached_at_ms = steady_ms_ + std::max<std::int64_t>(0, end_ms_ - wall_ms_);
    }
    steady_ms_ += ms;
    wall_ms_ += ms;
  }

  const std::int64_t step_after_ms_;
  const std::int64_t step_ms_;
  std::int64_t end_ms_ = 0;
  std::int64_t steady_ms_ = 0;
  std::int64_t wall_ms_ = 1717596189400;  // 0.4 s past a whole second
};

TEST(CountdownAlarmClockSteps, TheAlarmSoundsWithinASecondOfTheEndAsTheClockShowsIt) {
  const struct {
    std::int64_t step_after_ms;
    std::int64_t step_ms;
  } cases[] = {
      {10000, 100000},           // forward past the end
      {10000, 30000},            // forward, short of the end
      {10000, -30000},           // back
      {59000, 3600000}, {0, 0},  // no step
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.step_ms << " ms after " << c.step_after_ms << " ms");
    SteppedClockEnv env(c.step_after_ms, c.step_ms);
    const CountdownAlarmTime alarm{env.NowUnixSeconds() + 60, "Main"};
    env.WatchFor(alarm.end);
    EXPECT_EQ(kestrava::CountdownAlarmWorker(env, alarm, std::stop_token()), 1);
    ASSERT_GE(env.reached_at_ms, 0);
    EXPECT_GE(env.alarm_at_ms, env.reached_at_ms);
    EXPECT_LE(env.alarm_at_ms, env.reached_at_ms + 1000);
  }
}

}  // namespace
}  // namespace kestrava::testing
