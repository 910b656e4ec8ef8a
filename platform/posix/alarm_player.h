// Plays the countdown alarm on the POSIX backend: the module's built-in WAVE through ALSA's
// default playback device, on a thread of its own. Silent when there is no sound device: ALSA
// writes nothing to stderr then.
//
// Thread: Play from any thread. A new alarm cuts a sound still playing short; destroying the
// player (the module's unload) stops the sound and waits for its thread.
#pragma once

#include <mutex>
#include <thread>

namespace kestrava {

class AlarmPlayer {
 public:
  AlarmPlayer() = default;
  ~AlarmPlayer();
  AlarmPlayer(const AlarmPlayer&) = delete;
  AlarmPlayer& operator=(const AlarmPlayer&) = delete;

  // Starts the alarm and returns at once: true when the sound is being played on a thread of its
  // own (whether a device takes it or not), false when the built-in sound is unreadable or no
  // thread could be started.
  bool Play();

 private:
  std::mutex mutex_;
  std::jthread playing_;  // guarded by mutex_
};

}  // namespace kestrava
