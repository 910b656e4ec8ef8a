#include "tools/json/json_number.h"

#include <charconv>
#include <system_error>

namespace kestrava::json {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// JSON's grammar: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
bool IsJsonNumber(std::string_view text) {
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t start = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    return i > start;
  };
  if (i < text.size() && text[i] == '-') ++i;
  if (i < text.size() && text[i] == '0') {
    ++i;
  } else if (!digits()) {
    return false;
  }
  if (i < text.size() && text[i] == '.') {
    ++i;
    if (!digits()) return false;
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (!digits()) return false;
  }
  return i == text.size();
}

// Whether every digit of the number's significand is a zero: its value is zero whatever the
// exponent says.
bool IsZero(std::string_view text) {
  for (const char c : text) {
    if (c == 'e' || c == 'E') break;
    if (IsDigit(c) && c != '0') return false;
  }
  return true;
}

}  // namespace

std::optional<double> JsonNumberValue(std::string_view text) {
  if (!IsJsonNumber(text)) return std::nullopt;
  const bool negative = text.front() == '-';
  if (IsZero(text)) return negative ? -0.0 : 0.0;
  double value = 0;
  // from_chars takes no leading '+', and reads the '-' itself.
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (end != text.data() + text.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range) {
    // Too small for a double reads as zero; too large has no value.
    const std::size_t exponent = text.find_first_of("eE");
    if (exponent != std::string_view::npos && text[exponent + 1] == '-') {
      return negative ? -0.0 : 0.0;
    }
    return std::nullopt;
  }
  if (error != std::errc()) return std::nullopt;
  return value;
}

}  // namespace kestrava::json
