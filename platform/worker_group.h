// The worker threads one owner (the plug-in) starts, and their orderly end.
//
// Workers are started through the Env, receive a stop token, and hand results to the host's
// thread with PostToHost. StopAndJoin requests every worker to stop, waits for them (bounded),
// and from then on drops every task they posted that has not run yet.
//
// Thread: Start, StopAndJoin and the destructor on the owner's thread; PostToHost from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

#include "platform/env.h"

namespace kestrava {

class WorkerGroup {
 public:
  explicit WorkerGroup(Env& env);
  ~WorkerGroup();  // StopAndJoin with the default limit
  WorkerGroup(const WorkerGroup&) = delete;
  WorkerGroup& operator=(const WorkerGroup&) = delete;

  // Starts `body` on a new worker. Exceptions thrown by `body` are swallowed. Does nothing once
  // StopAndJoin has been called.
  void Start(std::function<void(std::stop_token)> body);

  // Queues `task` for the host's thread; it runs only while the group has not been stopped.
  void PostToHost(std::function<void()> task);

  // Requests every worker to stop and waits up to `limit` for them to end. Returns false when a
  // worker was still running at the limit (it is then left to end on its own).
  bool StopAndJoin(std::chrono::milliseconds limit = std::chrono::milliseconds(1500));

  // Number of workers that have not ended yet.
  int Running();

 private:
  // Shared with the worker threads, which may outlive the group when they overrun the limit.
  struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
  };
  // Guarded by Shared::mutex.
  struct Ending {
    bool done = false;      // the body has returned
    bool detached = false;  // left to end on its own: no one awaits its end
    void* end = nullptr;    // set with `done` unless detached (platform/thread_runtime.h)
  };
  struct Worker {
    std::thread thread;
    std::shared_ptr<Ending> ending = std::make_shared<Ending>();
  };
  // Shared with the posted tasks so that they can tell whether the group still accepts them.
  struct Liveness {
    std::mutex mutex;
    bool open = true;
  };

  void JoinFinishedLocked();

  Env& env_;
  std::stop_source stop_;
  std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
  std::list<Worker> workers_;  // guarded by shared_->mutex
  bool stopped_ = false;
  std::shared_ptr<Liveness> liveness_ = std::make_shared<Liveness>();
};

}  // namespace kestrava
