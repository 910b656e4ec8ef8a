#include "tools/kestrava-sim/step_feed.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

namespace kestrava::sim {

StepFeed::StepFeed(const Scenario& scenario, const StepTable& table)
    : thread_([this, &scenario, &table] { Read(scenario, table); }) {}

StepFeed::~StepFeed() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void StepFeed::Read(const Scenario& scenario, const StepTable& table) {
  std::vector<ScenarioStep> batch;
  batch.reserve(kBatchSteps);
  try {
    const bool whole = ReadScenarioSteps(scenario, table, [&](ScenarioStep&& step) {
      batch.push_back(std::move(step));
      return batch.size() < kBatchSteps || Hand(batch, false);
    });
    if (whole) Hand(batch, true);
  } catch (const ScenarioError& error) {
    // It was checked whole before: the file has changed since.
    std::lock_guard lock(mutex_);
    failure_ = std::make_exception_ptr(std::runtime_error(
        std::string("the scenario changed while it was played: ") + error.what()));
    done_ = true;
  } catch (...) {
    std::lock_guard lock(mutex_);
    failure_ = std::current_exception();
    done_ = true;
  }
  changed_.notify_all();
}

bool StepFeed::Hand(std::vector<ScenarioStep>& batch, bool last) {
  std::unique_lock lock(mutex_);
  if (!stop_ && queue_.size() >= kQueuedBatches) {
    reader_waits_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return stop_ || queue_.size() < kQueuedBatches; });
    reader_waits_ = false;
  }
  if (stop_) return false;
  std::size_t held = batch_playing_ + batch.size();
  for (const auto& queued : queue_) held += queued.size();
  most_held_ = std::max(most_held_, held);
  queue_.push_back(std::move(batch));
  done_ = last;
  if (!spare_.empty()) {
    batch = std::move(spare_.back());
    spare_.pop_back();
  } else {
    batch = std::vector<ScenarioStep>();
    batch.reserve(kBatchSteps);
  }
  lock.unlock();
  changed_.notify_all();
  return true;
}

bool StepFeed::Next(ScenarioStep& step) {
  if (next_ == playing_.size()) {
    playing_.clear();  // steps already moved out
    next_ = 0;
    std::unique_lock lock(mutex_);
    if (spare_.size() < 2) spare_.push_back(std::exchange(playing_, std::vector<ScenarioStep>()));
    batch_playing_ = 0;
    changed_.wait(lock, [this] { return !queue_.empty() || done_; });
    if (queue_.empty()) {
      if (failure_) std::rethrow_exception(failure_);
      return false;
    }
    playing_ = std::move(queue_.front());
    queue_.pop_front();
    batch_playing_ = playing_.size();
    lock.unlock();
    changed_.notify_all();
    if (playing_.empty()) return false;
  }
  step = std::move(playing_[next_++]);
  return true;
}

void StepFeed::WaitWhileReading() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return reader_waits_ || done_; });
}

std::size_t StepFeed::most_held() const {
  std::lock_guard lock(mutex_);
  return most_held_;
}

}  // namespace kestrava::sim
