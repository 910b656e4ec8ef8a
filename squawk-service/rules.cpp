#include "squawk-service/rules.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "squawk-service/code_ranges.h"

namespace squawk_service {
namespace {

constexpr std::int64_t kMaxHoldMinutes = 7 * 24 * 60;

bool LooksLikeToml(std::string_view text) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    line.remove_prefix(std::min(line.size(), line.find_first_not_of(" \t")));
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[' || line.find('=') != std::string_view::npos) return true;
  }
  return false;
}

std::string Digest(std::string_view text) {
  const std::size_t hash = std::hash<std::string_view>{}(text);
  char out[17];
  std::snprintf(out, sizeof out, "%016zx", hash);
  return out;
}

bool IsIcaoPrefix(std::string_view text, std::size_t min_size) {
  return text.size() >= min_size && text.size() <= 4 &&
         std::all_of(text.begin(), text.end(),
                     [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

// Reads one TOML document into rules, noting every error with its line.
class TomlReader {
 public:
  explicit TomlReader(std::vector<std::string>& errors) : errors_(errors) {}

  void Read(const toml::table& root, Rules& rules) {
    for (auto&& [key, node] : root) {
      const std::string_view name = key.str();
      if (name == "hold_minutes") {
        if (auto minutes = Integer(node, 1, kMaxHoldMinutes)) rules.hold_seconds = *minutes * 60;
      } else if (name == "max_codes_per_macid") {
        if (auto cap = Integer(node, 1, 4096)) rules.max_per_macid = static_cast<int>(*cap);
      } else if (name == "requests_per_second") {
        const std::optional<double> rate = node.value<double>();
        if (!rate || !(*rate == 0 || (*rate >= 0.01 && *rate <= 100000))) {
          Error(node, "requests_per_second is 0 (no limit) or a number from 0.01 to 100000");
        } else {
          rules.requests_per_second = *rate;
        }
      } else if (name == "request_burst") {
        if (auto burst = Integer(node, 1, 100000)) rules.request_burst = static_cast<int>(*burst);
      } else if (name == "reserved") {
        for (const CodeSpan& span : Spans(node, "")) {
          for (int code = span.first; code <= span.last; ++code) rules.reserved.insert(code);
        }
      } else if (name == "general") {
        rules.general = Spans(node, "*");
      } else if (name == "airports") {
        ReadPools(node, 2, rules.airports);
      } else if (name == "regions") {
        ReadPools(node, 1, rules.regions);
      } else if (name == "pairs") {
        ReadPairs(node, rules.pairs);
      } else {
        Error(node, "unknown setting \"" + std::string(name) + "\"");
      }
    }
  }

 private:
  void Error(const toml::node& node, const std::string& reason) {
    errors_.push_back("line " + std::to_string(node.source().begin.line) + ": " + reason);
  }

  std::optional<std::int64_t> Integer(const toml::node& node, std::int64_t min, std::int64_t max) {
    const std::optional<std::int64_t> value = node.value_exact<std::int64_t>();
    if (!value || *value < min || *value > max) {
      Error(node,
            "expected a whole number from " + std::to_string(min) + " to " + std::to_string(max));
      return std::nullopt;
    }
    return value;
  }

  // ["2301-2377", "4001"]: ranges or single codes, in order.
  std::vector<CodeSpan> Spans(const toml::node& node, const std::string& pool) {
    std::vector<CodeSpan> spans;
    const toml::array* array = node.as_array();
    if (array == nullptr) {
      Error(node, "expected a list of codes such as [\"2301-2377\"]");
      return spans;
    }
    for (const toml::node& item : *array) {
      const std::optional<std::string_view> text = item.value<std::string_view>();
      const std::size_t dash = text ? text->find('-') : std::string_view::npos;
      const int first = text ? CodeNumber(text->substr(0, dash)) : -1;
      const int last = dash == std::string_view::npos ? first : CodeNumber(text->substr(dash + 1));
      if (first < 0 || last < 0) {
        Error(item, "expected \"FIRST-LAST\" or \"CODE\" with codes of four octal digits");
      } else if (first > last) {
        Error(item, "the first code is above the last");
      } else {
        spans.push_back(CodeSpan{first, last, pool});
      }
    }
    return spans;
  }

  void ReadPools(const toml::node& node, std::size_t min_size,
                 std::map<std::string, std::vector<CodeSpan>>& pools) {
    const toml::table* table = node.as_table();
    if (table == nullptr) {
      Error(node, "expected a table of ICAO codes and their ranges");
      return;
    }
    for (auto&& [key, value] : *table) {
      const std::string icao(key.str());
      if (!IsIcaoPrefix(icao, min_size)) {
        Error(value, "\"" + icao + "\" is not " + (min_size == 1 ? "1" : "2") +
                         " to 4 upper-case ICAO letters or digits");
        continue;
      }
      pools[icao] = Spans(value, icao);
    }
  }

  void ReadPairs(const toml::node& node, std::vector<PairRule>& pairs) {
    const toml::array* array = node.as_array();
    if (array == nullptr || !array->is_array_of_tables()) {
      Error(node, "expected [[pairs]] tables with from, to and codes");
      return;
    }
    for (const toml::node& item : *array) {
      const toml::table& table = *item.as_table();
      PairRule pair;
      bool has_codes = false;
      for (auto&& [key, value] : table) {
        const std::string_view name = key.str();
        if (name == "from" || name == "to") {
          const std::string text(value.value<std::string_view>().value_or(""));
          if (!IsIcaoPrefix(text, 1)) {
            Error(value, std::string(name) + " is 1 to 4 upper-case ICAO letters or digits");
          }
          (name == "from" ? pair.from : pair.to) = text;
        } else if (name == "codes") {
          has_codes = true;
          pair.spans = Spans(value, "");
        } else {
          Error(value, "unknown pair setting \"" + std::string(name) + "\"");
        }
      }
      if (pair.from.empty() || pair.to.empty() || !has_codes) {
        Error(item, "a pair needs from, to and codes");
        continue;
      }
      for (CodeSpan& span : pair.spans) span.pool = pair.from + ">" + pair.to;
      pairs.push_back(std::move(pair));
    }
  }

  std::vector<std::string>& errors_;
};

}  // namespace

const std::unordered_set<int>& DefaultReservedCodes() {
  static const std::unordered_set<int> kReserved = [] {
    std::unordered_set<int> codes;
    for (const char* code :
         {"0000", "0200", "1000", "1200", "2000", "2200", "7000", "7500", "7600", "7700"}) {
      codes.insert(CodeNumber(code));
    }
    return codes;
  }();
  return kReserved;
}

std::vector<CodeSpan> Rules::Candidates(std::string_view origin,
                                        std::string_view destination) const {
  std::vector<CodeSpan> spans;
  const auto add = [&spans](const std::vector<CodeSpan>& more) {
    spans.insert(spans.end(), more.begin(), more.end());
  };
  const auto starts = [](std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
  };
  if (!destination.empty()) {
    for (const PairRule& pair : pairs) {
      if (starts(origin, pair.from) && starts(destination, pair.to)) add(pair.spans);
    }
  }
  if (const auto own = airports.find(std::string(origin)); own != airports.end()) add(own->second);
  for (std::size_t size = std::min<std::size_t>(origin.size(), 4); size > 0; --size) {
    if (const auto region = regions.find(std::string(origin.substr(0, size)));
        region != regions.end()) {
      add(region->second);
    }
  }
  add(general);
  return spans;
}

std::vector<CodeSpan> Rules::AllSpans() const {
  std::vector<CodeSpan> spans;
  for (const PairRule& pair : pairs)
    spans.insert(spans.end(), pair.spans.begin(), pair.spans.end());
  for (const auto& [icao, own] : airports) spans.insert(spans.end(), own.begin(), own.end());
  for (const auto& [prefix, pool] : regions) spans.insert(spans.end(), pool.begin(), pool.end());
  spans.insert(spans.end(), general.begin(), general.end());
  return spans;
}

Rules DefaultRules() {
  Rules rules;
  for (const CodeRange& range : DefaultRanges()) {
    rules.general.push_back(CodeSpan{range.first, range.last, "*"});
  }
  rules.version = "default";
  return rules;
}

RulesReading ReadRules(std::string_view text) {
  RulesReading reading;
  Rules rules;
  if (LooksLikeToml(text)) {
    try {
      const toml::table root = toml::parse(text);
      TomlReader(reading.errors).Read(root, rules);
    } catch (const toml::parse_error& error) {
      reading.errors.push_back("line " + std::to_string(error.source().begin.line) + ": " +
                               std::string(error.description()));
    }
  } else {
    const RangeConfig config = ParseRangeConfig(text);
    if (!config.error.empty()) reading.errors.push_back(config.error);
    for (const CodeRange& range : config.ranges) {
      CodeSpan span{range.first, range.last, range.airport};
      (range.airport == "*" ? rules.general : rules.airports[range.airport]).push_back(span);
    }
  }
  if (!reading.errors.empty()) return reading;
  rules.version = Digest(text);
  reading.rules = std::move(rules);
  return reading;
}

}  // namespace squawk_service
