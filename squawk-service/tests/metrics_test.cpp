#include "squawk-service/metrics.h"

#include <gtest/gtest.h>

#include <thread>

namespace squawk_service {
namespace {

TEST(MetricsTest, RendersPrometheusTextWithEscapedLabels) {
  MetricsRegistry registry;
  auto& requests = registry.AddCounter("squawk_requests_total", "Requests by kind and status.",
                                       {"kind", "status"});
  auto& holds = registry.AddGauge("squawk_holds", "Codes held,\nby pool.", {"pool"});
  auto& latency = registry.AddHistogram("squawk_request_seconds", "Latency.", {}, {0.25, 1});
  requests.With({"assign", "200"}).Add(3);
  requests.With({"startup", "429"}).Add();
  holds.With({"EG\"L\\L\n"}).Set(2.5);
  holds.With({"gone"}).Set(1);
  for (const double seconds : {0.125, 0.25, 0.5, 3.0}) latency.With({}).Observe(seconds);
  holds.Clear();
  holds.With({"EG\"L\\L\n"}).Set(4);
  EXPECT_EQ(registry.Render(),
            "# HELP squawk_requests_total Requests by kind and status.\n"
            "# TYPE squawk_requests_total counter\n"
            "squawk_requests_total{kind=\"assign\",status=\"200\"} 3\n"
            "squawk_requests_total{kind=\"startup\",status=\"429\"} 1\n"
            "# HELP squawk_holds Codes held,\\nby pool.\n"
            "# TYPE squawk_holds gauge\n"
            "squawk_holds{pool=\"EG\\\"L\\\\L\\n\"} 4\n"
            "# HELP squawk_request_seconds Latency.\n"
            "# TYPE squawk_request_seconds histogram\n"
            "squawk_request_seconds_bucket{le=\"0.25\"} 2\n"
            "squawk_request_seconds_bucket{le=\"1\"} 3\n"
            "squawk_request_seconds_bucket{le=\"+Inf\"} 4\n"
            "squawk_request_seconds_sum 3.875\n"
            "squawk_request_seconds_count 4\n");
}

TEST(MetricsTest, RefusesBadNamesAndLabels) {
  MetricsRegistry registry;
  registry.AddCounter("a_total", "");
  EXPECT_THROW(registry.AddGauge("a_total", ""), std::invalid_argument);
  EXPECT_THROW(registry.AddGauge("1a", ""), std::invalid_argument);
  EXPECT_THROW(registry.AddGauge("b", "", {"le"}), std::invalid_argument);
  EXPECT_THROW(registry.AddGauge("c", "", {"a-b"}), std::invalid_argument);
  EXPECT_THROW(registry.AddHistogram("d", "", {}, {1, 1}), std::invalid_argument);
  auto& family = registry.AddCounter("e_total", "", {"kind"});
  EXPECT_THROW(family.With({}), std::invalid_argument);
}

TEST(MetricsTest, ConcurrentUpdatesAreAllCounted) {
  MetricsRegistry registry;
  auto& requests = registry.AddCounter("r_total", "", {"kind"});
  auto& latency = registry.AddHistogram("l_seconds", "", {"kind"});
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      const std::string kind = t % 2 == 0 ? "assign" : "startup";
      for (int i = 0; i < 1000; ++i) {
        requests.With({kind}).Add();
        latency.With({kind}).Observe(0.001);
        if (i % 100 == 0) (void)registry.Render();
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(requests.With({"assign"}).Value(), 2000u);
  EXPECT_EQ(latency.With({"startup"}).Read().cumulative.back(), 2000u);
}

}  // namespace
}  // namespace squawk_service
