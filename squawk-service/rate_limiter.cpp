#include "squawk-service/rate_limiter.h"

#include <algorithm>

namespace squawk_service {
namespace {

constexpr std::size_t kFirstSweep = 1024;

}  // namespace

RateLimiter::RateLimiter(RateLimit limit)
    : limit_(limit),
      overflow_{limit.burst, 0},
      next_sweep_(std::min(kFirstSweep, std::max<std::size_t>(limit.max_keys, 1))) {}

double RateLimiter::Refilled(const Bucket& bucket, double now) const {
  // A clock that steps back refills nothing.
  const double elapsed = std::max(0.0, now - bucket.updated);
  return std::min(limit_.burst, bucket.tokens + elapsed * limit_.rate);
}

void RateLimiter::Sweep(double now) {
  last_sweep_ = now;
  std::erase_if(buckets_,
                [&](const auto& entry) { return Refilled(entry.second, now) >= limit_.burst; });
  // The next sweep waits until the table has doubled, so sweeping costs O(1) a new bucket.
  next_sweep_ = std::min(std::max(kFirstSweep, buckets_.size() * 2),
                         std::max<std::size_t>(limit_.max_keys, 1));
}

bool RateLimiter::Allow(std::string_view key, double now) {
  if (limit_.rate <= 0 || limit_.burst <= 0) return true;
  const std::lock_guard lock(mutex_);
  auto it = buckets_.find(key);
  if (it == buckets_.end()) {
    // A full table of buckets in use is swept at most once a second, so that a flood of new
    // keys does not sweep it on every request.
    if (buckets_.size() >= next_sweep_ &&
        (buckets_.size() < limit_.max_keys || now - last_sweep_ >= 1.0)) {
      Sweep(now);
    }
    if (buckets_.size() >= limit_.max_keys) {
      overflow_.tokens = Refilled(overflow_, now);
      overflow_.updated = std::max(overflow_.updated, now);
      if (overflow_.tokens < 1) return false;
      overflow_.tokens -= 1;
      return true;
    }
    it = buckets_.emplace(std::string(key), Bucket{limit_.burst, now}).first;
  }
  Bucket& bucket = it->second;
  bucket.tokens = Refilled(bucket, now);
  bucket.updated = std::max(bucket.updated, now);
  if (bucket.tokens < 1) return false;
  bucket.tokens -= 1;
  return true;
}

std::size_t RateLimiter::Buckets() const {
  const std::lock_guard lock(mutex_);
  return buckets_.size();
}

}  // namespace squawk_service
