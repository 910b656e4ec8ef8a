#include "squawk-service/code_ranges.h"

#include <cctype>

namespace squawk_service {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

int CodeNumber(std::string_view code) {
  if (code.size() != 4) return -1;
  int number = 0;
  for (const char c : code) {
    if (c < '0' || c > '7') return -1;
    number = number * 8 + (c - '0');
  }
  return number;
}

std::string CodeText(int number) {
  std::string text(4, '0');
  for (int i = 3; i >= 0; --i, number /= 8)
    text[static_cast<std::size_t>(i)] = static_cast<char>('0' + number % 8);
  return text;
}

RangeConfig ParseRangeConfig(std::string_view text) {
  RangeConfig config;
  int line_number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view raw = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++line_number;
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == '#') continue;

    const auto fail = [&](const std::string& reason) {
      config.ranges.clear();
      config.error = "line " + std::to_string(line_number) + ": " + reason;
      return config;
    };
    const std::size_t gap = line.find_first_of(" \t");
    if (gap == std::string_view::npos) return fail("expected \"ICAO FIRST-LAST\"");
    const std::string airport = Upper(line.substr(0, gap));
    const std::string_view span = Trim(line.substr(gap));
    const std::size_t dash = span.find('-');
    if (dash == std::string_view::npos) return fail("expected a range FIRST-LAST");
    const int first = CodeNumber(Trim(span.substr(0, dash)));
    const int last = CodeNumber(Trim(span.substr(dash + 1)));
    if (first < 0 || last < 0) return fail("codes are four octal digits (0000 to 7777)");
    if (first > last) return fail("the first code is above the last");
    config.ranges.push_back(CodeRange{airport, first, last});
  }
  return config;
}

std::vector<CodeRange> DefaultRanges() {
  return {CodeRange{"*", CodeNumber("4001"), CodeNumber("4777")}};
}

}  // namespace squawk_service
