#include "tools/kestrava-sim/exchange_watch.h"

#include <utility>

namespace kestrava::sim {

HttpResult ExchangeWatch::HttpGet(const std::string& url, std::size_t max_body_bytes,
                                  std::stop_token stop) {
  std::list<Exchange>::iterator entry;
  {
    std::lock_guard lock(mutex_);
    entry =
        in_progress_.insert(in_progress_.end(), Exchange{url, std::chrono::steady_clock::now()});
  }
  auto response = EnvWrapper::HttpGet(url, max_body_bytes, std::move(stop));
  std::lock_guard lock(mutex_);
  in_progress_.erase(entry);
  return response;
}

std::vector<ExchangeWatch::Exchange> ExchangeWatch::InProgress() const {
  std::lock_guard lock(mutex_);
  return {in_progress_.begin(), in_progress_.end()};
}

}  // namespace kestrava::sim
