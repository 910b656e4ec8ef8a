#include "platform/win32/alarm_sound.h"

namespace kestrava {

// The alarm's sound resource arrives with the countdown clock; until then it is silent.
void PlayAlarmResource() {}

}  // namespace kestrava
