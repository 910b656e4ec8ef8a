// The platform's own alarm: the built-in WAVE played through the sound device (ALSA, or
// PlaySoundA from this module's resource), without blocking and silently where there is none.
#include <gtest/gtest.h>

#include "platform/env.h"

namespace kestrava {
namespace {

TEST(WavePlayback, TheAlarmStartsAndCallsReturnWithOrWithoutASoundDevice) {
  Env& env = Env::Default();
  env.PlayAlarmSound("Main");
  // A second alarm cuts the first short rather than queueing behind it.
  env.PlayAlarmSound("Main");
}

}  // namespace
}  // namespace kestrava
