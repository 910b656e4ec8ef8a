// The steps of a checked scenario, read again on a thread of their own while the simulator plays
// them on its thread, so that reading and playing overlap. The steps travel in batches; at most
// kQueuedBatches batches wait between the threads, so the steps held at once never exceed
// kMostHeld, whatever the scenario's length.
//
// Thread: construct, call Next and destroy on one thread (the simulator's). The reading thread is
// the feed's own; the scenario and the step table must outlive the feed.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "tools/kestrava-sim/scenario.h"

namespace kestrava::sim {

class StepFeed {
 public:
  static constexpr std::size_t kBatchSteps = 2048;
  static constexpr std::size_t kQueuedBatches = 4;
  // The batch being filled, those queued and the one being played.
  static constexpr std::size_t kMostHeld = (kQueuedBatches + 2) * kBatchSteps;

  // Starts reading.
  StepFeed(const Scenario& scenario, const StepTable& table);
  // Stops the reading and waits for its thread.
  ~StepFeed();
  StepFeed(const StepFeed&) = delete;
  StepFeed& operator=(const StepFeed&) = delete;

  // Moves the next step into `step`; false after the last one. Rethrows what failed the reading
  // (a std::runtime_error saying so when the file changed since it was checked).
  bool Next(ScenarioStep& step);

  // The most steps held at once so far (read and not yet played).
  std::size_t most_held() const;
  // Waits until the reading thread waits for room (it holds all it may) or has ended: a player
  // slower than the reading.
  void WaitWhileReading();

 private:
  void Read(const Scenario& scenario, const StepTable& table);
  bool Hand(std::vector<ScenarioStep>& batch, bool last);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::vector<ScenarioStep>> queue_;   // guarded by mutex_
  std::vector<std::vector<ScenarioStep>> spare_;  // emptied batches to reuse; guarded
  bool done_ = false;                             // the reading has ended; guarded
  bool stop_ = false;                             // guarded
  bool reader_waits_ = false;                     // the reading waits for room; guarded
  std::exception_ptr failure_;                    // guarded
  std::size_t most_held_ = 0;                     // guarded
  std::size_t batch_playing_ = 0;                 // the size of the batch played; guarded
  std::vector<ScenarioStep> playing_;             // the simulator's thread only
  std::size_t next_ = 0;
  std::thread thread_;  // last: starts when everything else is ready
};

}  // namespace kestrava::sim
