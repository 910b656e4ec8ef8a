#include "squawk-service/metrics.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace squawk_service {
namespace {

bool IsMetricName(std::string_view name) {
  if (name.empty()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
    if (!letter && !(i > 0 && c >= '0' && c <= '9')) return false;
  }
  return true;
}

std::string Number(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "+Inf" : "-Inf";
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

// Escapes a label value (backslash, quote, newline) or, with `quote` false, a help text
// (backslash, newline).
std::string Escaped(std::string_view text, bool quote) {
  std::string escaped;
  for (const char c : text) {
    if (c == '\\') {
      escaped += "\\\\";
    } else if (c == '\n') {
      escaped += "\\n";
    } else if (c == '"' && quote) {
      escaped += "\\\"";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

// "{a="x",b="y"}" (with `extra` as a last label already formatted), or "" without labels.
std::string Labels(const std::vector<std::string>& names, const std::vector<std::string>& values,
                   const std::string& extra = {}) {
  std::string labels;
  for (std::size_t i = 0; i < names.size(); ++i) {
    labels += (labels.empty() ? "" : ",") + names[i] + "=\"" + Escaped(values[i], true) + "\"";
  }
  if (!extra.empty()) labels += (labels.empty() ? "" : ",") + extra;
  return labels.empty() ? labels : "{" + labels + "}";
}

void Header(std::string& out, const std::string& name, const std::string& help, const char* type) {
  out += "# HELP " + name + " " + Escaped(help, false) + "\n# TYPE " + name + " " + type + "\n";
}

void Render(std::string& out, const Family<Counter>& family) {
  Header(out, family.Name(), family.Help(), "counter");
  family.ForEach([&](const std::vector<std::string>& values, const Counter& counter) {
    out += family.Name() + Labels(family.LabelNames(), values) + " " +
           std::to_string(counter.Value()) + "\n";
  });
}

void Render(std::string& out, const Family<Gauge>& family) {
  Header(out, family.Name(), family.Help(), "gauge");
  family.ForEach([&](const std::vector<std::string>& values, const Gauge& gauge) {
    out += family.Name() + Labels(family.LabelNames(), values) + " " + Number(gauge.Value()) + "\n";
  });
}

void Render(std::string& out, const Family<Histogram>& family) {
  Header(out, family.Name(), family.Help(), "histogram");
  family.ForEach([&](const std::vector<std::string>& values, const Histogram& histogram) {
    const Histogram::Reading reading = histogram.Read();
    const std::vector<double>& bounds = histogram.Bounds();
    for (std::size_t i = 0; i <= bounds.size(); ++i) {
      const std::string le =
          "le=\"" + (i < bounds.size() ? Number(bounds[i]) : std::string("+Inf")) + "\"";
      out += family.Name() + "_bucket" + Labels(family.LabelNames(), values, le) + " " +
             std::to_string(reading.cumulative[i]) + "\n";
    }
    const std::string labels = Labels(family.LabelNames(), values);
    out += family.Name() + "_sum" + labels + " " + Number(reading.sum) + "\n";
    out +=
        family.Name() + "_count" + labels + " " + std::to_string(reading.cumulative.back()) + "\n";
  });
}

}  // namespace

Histogram::Histogram(std::vector<double> bounds)
    : bounds_(std::move(bounds)),
      counts_(std::make_unique<std::atomic<std::uint64_t>[]>(bounds_.size() + 1)) {
  if (!std::is_sorted(bounds_.begin(), bounds_.end()) ||
      std::adjacent_find(bounds_.begin(), bounds_.end()) != bounds_.end()) {
    throw std::invalid_argument("histogram bounds must increase");
  }
}

void Histogram::Observe(double value) {
  const auto bucket = static_cast<std::size_t>(
      std::lower_bound(bounds_.begin(), bounds_.end(), value) - bounds_.begin());
  counts_[bucket].fetch_add(1, std::memory_order_relaxed);
  sum_.fetch_add(value, std::memory_order_relaxed);
}

Histogram::Reading Histogram::Read() const {
  Reading reading;
  std::uint64_t total = 0;
  for (std::size_t i = 0; i <= bounds_.size(); ++i) {
    total += counts_[i].load(std::memory_order_relaxed);
    reading.cumulative.push_back(total);
  }
  reading.sum = sum_.load(std::memory_order_relaxed);
  return reading;
}

std::vector<double> LatencyBounds() {
  return {0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10};
}

template <typename Series>
Family<Series>::Family(std::string name, std::string help, std::vector<std::string> label_names,
                       std::vector<double> bounds)
    : name_(std::move(name)),
      help_(std::move(help)),
      label_names_(std::move(label_names)),
      bounds_(std::move(bounds)) {}

template <typename Series>
Series& Family<Series>::With(const std::vector<std::string>& label_values) {
  if (label_values.size() != label_names_.size()) {
    throw std::invalid_argument(name_ + ": " + std::to_string(label_names_.size()) +
                                " label values expected");
  }
  {
    const std::shared_lock lock(mutex_);
    const auto it = series_.find(label_values);
    if (it != series_.end() && it->second.shown) return *it->second.series;
  }
  const std::unique_lock lock(mutex_);
  Entry& entry = series_[label_values];
  if (entry.series == nullptr) {
    if constexpr (std::is_same_v<Series, Histogram>) {
      entry.series = std::make_unique<Histogram>(bounds_);
    } else {
      entry.series = std::make_unique<Series>();
    }
  }
  entry.shown = true;
  return *entry.series;
}

template <typename Series>
void Family<Series>::Clear() {
  const std::unique_lock lock(mutex_);
  for (auto& [values, entry] : series_) entry.shown = false;
}

template <typename Series>
void Family<Series>::ForEach(
    const std::function<void(const std::vector<std::string>&, const Series&)>& visit) const {
  const std::shared_lock lock(mutex_);
  for (const auto& [values, entry] : series_) {
    if (entry.shown) visit(values, *entry.series);
  }
}

template class Family<Counter>;
template class Family<Gauge>;
template class Family<Histogram>;

template <typename Series>
Family<Series>& MetricsRegistry::Add(std::string name, std::string help,
                                     std::vector<std::string> label_names,
                                     std::vector<double> bounds) {
  if (!IsMetricName(name)) throw std::invalid_argument("not a metric name: " + name);
  for (const std::string& label : label_names) {
    if (!IsMetricName(label) || label.find(':') != std::string::npos || label == "le") {
      throw std::invalid_argument(name + ": not a label name: " + label);
    }
  }
  const std::lock_guard lock(mutex_);
  for (const AnyFamily& family : families_) {
    std::visit(
        [&](const auto& other) {
          if (other->Name() == name) throw std::invalid_argument(name + " registered twice");
        },
        family);
  }
  auto family = std::make_unique<Family<Series>>(std::move(name), std::move(help),
                                                 std::move(label_names), std::move(bounds));
  Family<Series>& added = *family;
  families_.emplace_back(std::move(family));
  return added;
}

Family<Counter>& MetricsRegistry::AddCounter(std::string name, std::string help,
                                             std::vector<std::string> label_names) {
  return Add<Counter>(std::move(name), std::move(help), std::move(label_names), {});
}

Family<Gauge>& MetricsRegistry::AddGauge(std::string name, std::string help,
                                         std::vector<std::string> label_names) {
  return Add<Gauge>(std::move(name), std::move(help), std::move(label_names), {});
}

Family<Histogram>& MetricsRegistry::AddHistogram(std::string name, std::string help,
                                                 std::vector<std::string> label_names,
                                                 std::vector<double> bounds) {
  Histogram check(bounds);  // refuses bounds that do not increase, before registering
  return Add<Histogram>(std::move(name), std::move(help), std::move(label_names),
                        std::move(bounds));
}

std::string MetricsRegistry::Render() const {
  std::string out;
  const std::lock_guard lock(mutex_);
  for (const AnyFamily& family : families_) {
    std::visit([&](const auto& f) { squawk_service::Render(out, *f); }, family);
  }
  return out;
}

}  // namespace squawk_service
