// Sleeping on the real clock that a stop request cuts short. Shared by the platform backends.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace kestrava {

// Returns false when `stop` was requested before the time was up.
inline bool InterruptibleSleepFor(std::chrono::milliseconds duration, std::stop_token stop) {
  std::mutex mutex;
  std::condition_variable_any wake;
  std::unique_lock lock(mutex);
  return !wake.wait_for(lock, stop, duration, [] { return false; });
}

}  // namespace kestrava
