// The build's services with every HTTP exchange in progress on record, so that the simulator can
// tell a worker waiting for a slow service (whose exchange ends by its own time limit) from one
// that is stuck.
//
// Thread: any.
#pragma once

#include <chrono>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/env.h"

namespace kestrava::sim {

class ExchangeWatch final : public EnvWrapper {
 public:
  explicit ExchangeWatch(Env& target) : EnvWrapper(target) {}

  HttpResult HttpGet(const std::string& url, std::size_t max_body_bytes,
                     std::stop_token stop) override;

  struct Exchange {
    std::string url;
    std::chrono::steady_clock::time_point since;
  };
  // The exchanges in progress, oldest first.
  std::vector<Exchange> InProgress() const;

 private:
  mutable std::mutex mutex_;
  std::list<Exchange> in_progress_;
};

}  // namespace kestrava::sim
