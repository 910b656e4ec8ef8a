#include "squawk-service/rate_limiter.h"

#include <gtest/gtest.h>

namespace squawk_service {
namespace {

// How many of `count` requests at `now` the key is allowed.
int Allowed(RateLimiter& limiter, const std::string& key, double now, int count) {
  int allowed = 0;
  for (int i = 0; i < count; ++i) allowed += limiter.Allow(key, now) ? 1 : 0;
  return allowed;
}

TEST(RateLimiterTest, ABurstThenTheRatePerKey) {
  RateLimiter limiter({.rate = 5, .burst = 30});
  const struct {
    const char* key;
    double now;
    int asked;
    int allowed;
  } steps[] = {
      {"10.0.0.1", 100, 40, 30},   // the burst
      {"10.0.0.2", 100, 5, 5},     // another key has its own bucket
      {"10.0.0.1", 100.5, 10, 2},  // half a second: 2.5 tokens
      {"10.0.0.1", 101, 10, 3},    // 0.5 left + 2.5
      {"10.0.0.1", 99, 10, 0},     // the clock stepping back refills nothing
      {"10.0.0.1", 1000, 40, 30},  // long idle: full again, never more than the burst
  };
  for (const auto& step : steps) {
    EXPECT_EQ(Allowed(limiter, step.key, step.now, step.asked), step.allowed)
        << step.key << " at " << step.now;
  }
}

TEST(RateLimiterTest, IdleBucketsAreEvictedAndNewKeysBeyondTheBoundShareOne) {
  RateLimiter limiter({.rate = 1, .burst = 2, .max_keys = 2000});
  for (int i = 0; i < 2000; ++i) limiter.Allow("a" + std::to_string(i), 0);
  EXPECT_EQ(limiter.Buckets(), 2000u);
  // Every bucket in use (each took a token at 0): new keys share the overflow bucket.
  EXPECT_EQ(Allowed(limiter, "new1", 0.5, 1) + Allowed(limiter, "new2", 0.5, 2), 2);
  EXPECT_EQ(limiter.Buckets(), 2000u);
  // Two seconds on every bucket is full again: the next new key sweeps them all out.
  EXPECT_TRUE(limiter.Allow("later", 2.5));
  EXPECT_EQ(limiter.Buckets(), 1u);
}

TEST(RateLimiterTest, ZeroRateMeansNoLimit) {
  RateLimiter limiter({.rate = 0, .burst = 30});
  EXPECT_EQ(Allowed(limiter, "k", 0, 1000), 1000);
  EXPECT_EQ(limiter.Buckets(), 0u);
}

}  // namespace
}  // namespace squawk_service
