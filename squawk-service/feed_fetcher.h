// Fetches the network's feed over HTTP(S) every interval on a thread of its own and hands each
// snapshot to a FeedTraffic: streamed from the connection into the FeedReader, so the document
// is never held whole. A fetch that fails (connection, HTTP status other than 200, timeout, a
// document larger than `max_bytes`, or one the reader refuses) keeps the last good snapshot; the
// first failure of an outage and the recovery are logged, the failures between are not.
//
// Thread: Start and Stop (and the destructor, which stops) on the owner's thread; FetchOnce on
// any one thread at a time. `now` and `log` are called on the fetching thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "squawk-service/feed_traffic.h"

namespace squawk_service {

struct FeedFetcherOptions {
  std::string url;
  std::chrono::seconds interval{60};
  std::chrono::seconds timeout{30};    // for one whole fetch
  std::size_t max_bytes = 256u << 20;  // a larger document is refused
};

class FeedFetcher {
 public:
  // `now`: the clock of FeedTraffic's times (unix seconds). `log`: one line at a time.
  FeedFetcher(FeedFetcherOptions options, FeedTraffic& traffic, std::function<std::int64_t()> now,
              std::function<void(std::string_view)> log);
  ~FeedFetcher();
  FeedFetcher(const FeedFetcher&) = delete;
  FeedFetcher& operator=(const FeedFetcher&) = delete;

  // Fetches once now and hands the outcome to the FeedTraffic; true when the snapshot was good.
  bool FetchOnce();

  // Starts the thread: a fetch at once, then one every interval until Stop.
  void Start();
  // Ends the thread, cutting short a fetch in progress; returns once it has ended.
  void Stop();

 private:
  void Run();

  FeedFetcherOptions options_;
  FeedTraffic& traffic_;
  std::function<std::int64_t()> now_;
  std::function<void(std::string_view)> log_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::atomic<bool> stopping_{false};  // set under mutex_; a fetch in progress polls it
  std::thread thread_;
};

}  // namespace squawk_service
