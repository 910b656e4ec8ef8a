// The service's metrics in Prometheus' text exposition format (version 0.0.4): counters and
// gauges with labels, and histograms, registered by name and rendered on GET /metrics.
//
// A family (one metric name, its help and its label names) hands out one series per set of
// label values. Look a series up once and keep the reference (references stay valid for the
// registry's life): updating it is one atomic operation, no lock and no allocation. Looking a
// series up takes a shared lock, and the family's lock only the first time a series is made.
//
// Thread: any, for every member.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <variant>
#include <vector>

namespace squawk_service {

class Counter {
 public:
  void Add(std::uint64_t n = 1) { value_.fetch_add(n, std::memory_order_relaxed); }
  std::uint64_t Value() const { return value_.load(std::memory_order_relaxed); }

 private:
  std::atomic<std::uint64_t> value_{0};
};

class Gauge {
 public:
  void Set(double value) { value_.store(value, std::memory_order_relaxed); }
  double Value() const { return value_.load(std::memory_order_relaxed); }

 private:
  std::atomic<double> value_{0};
};

// Cumulative buckets by upper bound, as Prometheus reads them, plus the count and the sum.
class Histogram {
 public:
  explicit Histogram(std::vector<double> bounds);  // increasing upper bounds, +Inf implied
  void Observe(double value);

  struct Reading {
    std::vector<std::uint64_t> cumulative;  // one a bound, then +Inf (= count)
    double sum = 0;
  };
  Reading Read() const;
  const std::vector<double>& Bounds() const { return bounds_; }

 private:
  std::vector<double> bounds_;
  std::unique_ptr<std::atomic<std::uint64_t>[]> counts_;  // one a bound, then +Inf
  std::atomic<double> sum_{0};
};

// Bounds for request latencies in seconds: 0.5 ms to 10 s.
std::vector<double> LatencyBounds();

// One metric name with its series by label values. Label values may hold any text: rendering
// escapes them.
template <typename Series>
class Family {
 public:
  Family(std::string name, std::string help, std::vector<std::string> label_names,
         std::vector<double> bounds = {});
  // The series of these label values (as many as label names), made on first use.
  Series& With(const std::vector<std::string>& label_values);
  // Hides every series from the rendering until With asks for it again (for gauges whose label
  // values come and go, such as pools after a reload). A series is never destroyed: With gives
  // the same one again, and references stay valid as long as the registry.
  void Clear();

  const std::string& Name() const { return name_; }
  const std::string& Help() const { return help_; }
  const std::vector<std::string>& LabelNames() const { return label_names_; }
  // Calls `visit(label_values, series)` for each series, in label order.
  void ForEach(
      const std::function<void(const std::vector<std::string>&, const Series&)>& visit) const;

 private:
  std::string name_;
  std::string help_;
  std::vector<std::string> label_names_;
  std::vector<double> bounds_;  // histograms only
  struct Entry {
    std::unique_ptr<Series> series;
    bool shown = true;
  };
  mutable std::shared_mutex mutex_;
  std::map<std::vector<std::string>, Entry> series_;  // guarded by mutex_; never shrinks
};

class MetricsRegistry {
 public:
  // Registers a family; names follow Prometheus' rules ([a-zA-Z_:][a-zA-Z0-9_:]*), each once
  // (std::invalid_argument otherwise). The family lives as long as the registry.
  Family<Counter>& AddCounter(std::string name, std::string help,
                              std::vector<std::string> label_names = {});
  Family<Gauge>& AddGauge(std::string name, std::string help,
                          std::vector<std::string> label_names = {});
  Family<Histogram>& AddHistogram(std::string name, std::string help,
                                  std::vector<std::string> label_names = {},
                                  std::vector<double> bounds = LatencyBounds());

  // Every family in the order registered, as "text/plain; version=0.0.4".
  std::string Render() const;

 private:
  template <typename Series>
  Family<Series>& Add(std::string name, std::string help, std::vector<std::string> label_names,
                      std::vector<double> bounds);

  using AnyFamily = std::variant<std::unique_ptr<Family<Counter>>, std::unique_ptr<Family<Gauge>>,
                                 std::unique_ptr<Family<Histogram>>>;
  mutable std::mutex mutex_;
  std::vector<AnyFamily> families_;  // guarded by mutex_; in the order registered
};

}  // namespace squawk_service
