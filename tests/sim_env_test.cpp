// The simulator's services: simulated time, sleepers woken in deadline order, idle detection,
// the hand-over queue and relative file paths.
#include "tools/kestrava-sim/sim_env.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <semaphore>
#include <stop_token>
#include <string>
#include <vector>

#include "tests/support/fake_env.h"

namespace kestrava::sim {
namespace {

constexpr std::int64_t kStart = 1717596000000;  // 2024-06-05 14:00:00 UTC
constexpr auto kPatience = std::chrono::seconds(20);

class SimEnvWorkers : public ::testing::Test {
 protected:
  testing::FakeEnv target;
  SimEnv env{target, kStart, "out"};
  std::mutex mutex;
  std::vector<std::string> woke;  // "<name>@<elapsed ms>"

  // Starts a worker that sleeps `millis` of simulated time and records when it woke.
  void StartSleeper(const std::string& name, std::int64_t millis, std::stop_token stop = {}) {
    const std::thread handle = env.StartThread([this, name, millis, stop] {
      const bool slept = env.SleepFor(std::chrono::milliseconds(millis), stop);
      std::lock_guard lock(mutex);
      woke.push_back(name + (slept ? "@" : " stopped@") + std::to_string(env.ElapsedMillis()));
    });
    EXPECT_FALSE(handle.joinable());  // the simulator owns its threads
  }
  std::vector<std::string> Woke() {
    std::lock_guard lock(mutex);
    return woke;
  }
};

TEST_F(SimEnvWorkers, TheClockReadsTheStartPlusSimulatedTime) {
  EXPECT_EQ(env.NowUnixSeconds(), kStart / 1000);
  env.SetNow(kStart + 189'500);
  const SystemTime now = env.NowUtc();
  EXPECT_EQ(now.wHour, 14);
  EXPECT_EQ(now.wMinute, 3);
  EXPECT_EQ(now.wSecond, 9);
  EXPECT_EQ(now.wMilliseconds, 500);
  EXPECT_EQ(env.ElapsedMillis(), 189'500);
  env.SetNow(kStart);  // never back
  EXPECT_EQ(env.ElapsedMillis(), 189'500);
}

TEST_F(SimEnvWorkers, SleepersWakeOneAtATimeInDeadlineOrderAtTheirDeadline) {
  StartSleeper("c", 30'000);
  ASSERT_TRUE(env.WaitIdle(kPatience));  // asleep counts as idle
  StartSleeper("a", 10'000);
  ASSERT_TRUE(env.WaitIdle(kPatience));
  StartSleeper("b", 20'000);
  ASSERT_TRUE(env.WaitIdle(kPatience));
  StartSleeper("b2", 20'000);  // same deadline, went to sleep later
  ASSERT_TRUE(env.WaitIdle(kPatience));
  EXPECT_TRUE(Woke().empty());

  const std::int64_t step = kStart + 25'000;
  while (env.WakeNextSleeperDueBy(step)) ASSERT_TRUE(env.WaitIdle(kPatience));
  env.SetNow(step);
  EXPECT_EQ(Woke(), (std::vector<std::string>{"a@10000", "b@20000", "b2@20000"}));
  EXPECT_EQ(env.ElapsedMillis(), 25'000);

  while (env.WakeNextSleeperDueBy(kStart + 60'000)) ASSERT_TRUE(env.WaitIdle(kPatience));
  EXPECT_EQ(Woke().back(), "c@30000");
  EXPECT_TRUE(env.JoinWorkers(kPatience));
}

TEST_F(SimEnvWorkers, ABusyWorkerIsNotIdleUntilItEnds) {
  std::binary_semaphore release(0);
  env.StartThread([&] { release.acquire(); });
  EXPECT_FALSE(env.WaitIdle(std::chrono::milliseconds(20)));
  release.release();
  EXPECT_TRUE(env.WaitIdle(kPatience));
  EXPECT_TRUE(env.JoinWorkers(kPatience));
}

TEST_F(SimEnvWorkers, AStopRequestWakesASleeperAtOnce) {
  std::stop_source stop;
  StartSleeper("s", 3'600'000, stop.get_token());
  ASSERT_TRUE(env.WaitIdle(kPatience));
  stop.request_stop();
  EXPECT_TRUE(env.JoinWorkers(kPatience));
  EXPECT_EQ(Woke(), std::vector<std::string>{"s stopped@0"});
  EXPECT_FALSE(env.WakeNextSleeperDueBy(kStart + 3'600'000));  // no sleeper left behind
  EXPECT_FALSE(env.SleepFor(std::chrono::seconds(1), stop.get_token()));
}

TEST_F(SimEnvWorkers, SleepingUntilAPassedDeadlineReturnsAtOnce) {
  env.SetNow(kStart + 5'000);
  EXPECT_TRUE(env.SleepUntil(kStart / 1000 + 5, {}));
  EXPECT_TRUE(env.SleepFor(std::chrono::milliseconds(0), {}));
}

TEST_F(SimEnvWorkers, HandedOverTasksRunOnlyWhenTheSimulatorRunsThemInOrder) {
  std::vector<int> ran;
  env.StartThread([&] {
    env.PostToHostThread([&] {
      ran.push_back(1);
      env.PostToHostThread([&] { ran.push_back(3); });
    });
    env.PostToHostThread([&] { ran.push_back(2); });
  });
  ASSERT_TRUE(env.JoinWorkers(kPatience));
  EXPECT_TRUE(ran.empty());
  EXPECT_EQ(env.RunPostedTasks(), 3);
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(env.RunPostedTasks(), 0);
}

class RecordingListener : public SimEnv::Listener {
 public:
  void LineAppended(const std::string& path, std::string_view line, bool appended) override {
    lines.push_back(path + "|" + std::string(line) + (appended ? "" : "|failed"));
  }
  void NoticeShown(const std::string& caption, const std::string& text) override {
    lines.push_back("notice " + caption + ": " + text);
  }
  std::vector<std::string> lines;
};

TEST_F(SimEnvWorkers, RelativePathsGoToTheOutputFolderAndEveryAppendIsReported) {
  RecordingListener listener;
  env.SetListener(&listener);
  target.unwritable.push_back("/nowhere/x.csv");
  EXPECT_TRUE(env.AppendLine("stats.csv", "one"));
  EXPECT_TRUE(env.AppendLine("/var/log/stats.csv", "two"));
  EXPECT_FALSE(env.AppendLine("/nowhere/x.csv", "three"));
  env.ShowNotice("Caption", "Text", {});
  const std::string inside = (std::filesystem::path("out") / "stats.csv").string();
  EXPECT_EQ(target.files[inside], std::vector<std::string>{"one"});
  EXPECT_EQ(target.files["/var/log/stats.csv"], std::vector<std::string>{"two"});
  EXPECT_EQ(listener.lines,
            (std::vector<std::string>{"stats.csv|one", "/var/log/stats.csv|two",
                                      "/nowhere/x.csv|three|failed", "notice Caption: Text"}));
  EXPECT_TRUE(target.notices.empty());  // the desktop is the simulator's
  env.SetListener(nullptr);
}

}  // namespace
}  // namespace kestrava::sim
