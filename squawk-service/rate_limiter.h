// Token buckets keyed by a text (a client address, a macid): each key may make `burst` requests
// at once and `rate` a second after that. The clock is the caller's: every call passes the time,
// in seconds of any steady clock.
//
// Memory stays bounded: a bucket that has filled up again (idle for burst/rate seconds) is the
// same as no bucket and is evicted by the sweeps that run as buckets are made; when `max_keys`
// buckets are all in use, new keys share one overflow bucket, so a flood of new keys cannot
// grow the table nor get more than one bucket's share.
//
// Thread: any; calls are serialised by a mutex held for one hash lookup.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace squawk_service {

struct RateLimit {
  double rate = 5;    // tokens a second
  double burst = 30;  // bucket size
  std::size_t max_keys = 100000;
};

class RateLimiter {
 public:
  explicit RateLimiter(RateLimit limit = {});

  // Takes a token from `key`'s bucket at time `now`; false when it is empty (answer 429).
  // With a rate or burst of zero or less, every request is allowed (no limit).
  bool Allow(std::string_view key, double now);

  std::size_t Buckets() const;  // buckets held now, the overflow bucket aside

 private:
  struct Bucket {
    double tokens;
    double updated;  // when `tokens` was last brought up to date
  };
  double Refilled(const Bucket& bucket, double now) const;
  void Sweep(double now);  // evicts full buckets; mutex_ held

  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>()(text);
    }
  };

  RateLimit limit_;
  mutable std::mutex mutex_;
  std::unordered_map<std::string, Bucket, TextHash, std::equal_to<>> buckets_;  // mutex_
  Bucket overflow_;                                                             // guarded by mutex_
  std::size_t next_sweep_;    // guarded by mutex_; sweep when the table reaches this size
  double last_sweep_ = -1e9;  // guarded by mutex_
};

}  // namespace squawk_service
