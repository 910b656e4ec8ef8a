// Plays the countdown alarm on the POSIX backend. Thread: any.
#pragma once

namespace kestrava {

class AlarmPlayer {
 public:
  // Starts the alarm and returns at once; silent when no sound device exists.
  void Play();
};

}  // namespace kestrava
