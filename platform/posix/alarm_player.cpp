#include "platform/posix/alarm_player.h"

namespace kestrava {

// The alarm's sound output arrives with the countdown clock; until then it is silent.
void AlarmPlayer::Play() {}

}  // namespace kestrava
