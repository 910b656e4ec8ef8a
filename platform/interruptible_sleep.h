// Waits that a stop request cuts short. Shared by the platform backends, the simulator and the
// test fakes.
//
// Stop requests are noticed by polling the stop token every kStopPollInterval rather than with a
// stop callback (or condition_variable_any's stop-token waits, which register one): with the
// mingw-w64 GCC 12 standard library, removing a stop callback can hang for ever.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <stop_token>
#include <thread>

namespace kestrava {

inline constexpr std::chrono::milliseconds kStopPollInterval{20};

// Sleeps on the real clock. Returns false when `stop` was requested before the time was up.
inline bool InterruptibleSleepFor(std::chrono::milliseconds duration, const std::stop_token& stop) {
  const auto end = std::chrono::steady_clock::now() + duration;
  for (;;) {
    if (stop.stop_requested()) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now >= end) return true;
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(end - now, kStopPollInterval));
  }
}

// Waits on `changed` (with `lock` held) until `done()` holds, or until `stop` is requested.
// Returns done(): true when the wait ended because `done()` holds.
template <class Lock, class Done>
bool WaitUnlessStopped(std::condition_variable_any& changed, Lock& lock,
                       const std::stop_token& stop, Done done) {
  while (!done()) {
    if (stop.stop_requested()) return false;
    changed.wait_for(lock, kStopPollInterval);
  }
  return true;
}

}  // namespace kestrava
