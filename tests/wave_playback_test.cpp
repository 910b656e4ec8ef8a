// The platform's own alarm: the built-in WAVE played through the sound device (ALSA, or
// PlaySoundA from this module's resource), without blocking and silently where there is none.
#include <gtest/gtest.h>

#include <string>

#include "platform/alarm_wave_resource.h"
#include "platform/env.h"
#ifndef _WIN32
#include "platform/posix/alarm_player.h"
#endif

namespace kestrava {
namespace {

#ifndef _WIN32
TEST(WavePlayback, TheAlarmPlaysWithoutAWordOnStderrWithOrWithoutASoundDevice) {
  ::testing::internal::CaptureStderr();
  {
    AlarmPlayer player;
    { AlarmPlayer another; }  // a player that ends (a module unloaded) before this one plays
    EXPECT_TRUE(player.Play());
    EXPECT_TRUE(player.Play());  // cuts the first short rather than queueing behind it
  }                              // waits for the sound to end
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}
#endif

TEST(WavePlayback, TheBackendsAlarmReturnsAtOnce) {
  ASSERT_FALSE(AlarmWaveResource().empty());  // there is a sound to play
  Env& env = Env::Default();
  env.PlayAlarmSound("Main");
  env.PlayAlarmSound("Main");
}

}  // namespace
}  // namespace kestrava
