#include "platform/worker_group.h"

#include "platform/thread_runtime.h"

namespace kestrava {

WorkerGroup::WorkerGroup(Env& env) : env_(env) {}

WorkerGroup::~WorkerGroup() { StopAndJoin(); }

void WorkerGroup::Start(std::function<void(std::stop_token)> body) {
  std::lock_guard lock(shared_->mutex);
  if (stopped_) return;
  JoinFinishedLocked();
  Worker& worker = workers_.emplace_back();
  const std::stop_token token = stop_.get_token();
  worker.thread = env_.StartThread(
      [shared = shared_, ending = worker.ending, token, body = std::move(body)]() mutable {
        try {
          body(token);
        } catch (...) {
          // A worker ends quietly; its owner sees only that nothing was posted.
        }
        body = nullptr;  // release what the worker owned before it reports done
        std::lock_guard done_lock(shared->mutex);
        ending->done = true;
        if (!ending->detached) ending->end = CallingThreadEnd();
        shared->changed.notify_all();
      });
}

void WorkerGroup::PostToHost(std::function<void()> task) {
  std::weak_ptr<Liveness> weak = liveness_;
  env_.PostToHostThread([weak, task = std::move(task)] {
    const auto liveness = weak.lock();
    if (!liveness) return;
    {
      std::lock_guard lock(liveness->mutex);
      if (!liveness->open) return;
    }
    try {
      task();
    } catch (...) {
      // No exception leaves a task run on the host's thread.
    }
  });
}

bool WorkerGroup::StopAndJoin(std::chrono::milliseconds limit) {
  {
    std::lock_guard lock(liveness_->mutex);
    liveness_->open = false;
  }
  stop_.request_stop();
  std::unique_lock lock(shared_->mutex);
  stopped_ = true;
  const bool all_done = shared_->changed.wait_for(lock, limit, [this] {
    for (const Worker& w : workers_) {
      if (!w.ending->done) return false;
    }
    return true;
  });
  JoinFinishedLocked();
  for (Worker& w : workers_) {  // still running past the limit
    w.ending->detached = true;
    w.thread.detach();
  }
  workers_.clear();
  return all_done;
}

int WorkerGroup::Running() {
  std::lock_guard lock(shared_->mutex);
  int running = 0;
  for (const Worker& w : workers_) running += w.ending->done ? 0 : 1;
  return running;
}

void WorkerGroup::JoinFinishedLocked() {
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (it->ending->done) {
      // Joined only once wholly ended (platform/thread_runtime.h).
      AwaitThreadEnd(it->ending->end);
      if (it->thread.joinable()) it->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace kestrava
