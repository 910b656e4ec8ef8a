#include "squawk/service_replies.h"

#include <vector>

#include "plugin/text_rules.h"

namespace kestrava {
namespace {

std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The first kAssignReplyLimit bytes (up to a NUL byte) as a signed hexadecimal number; nothing
// when no digit follows the white space, sign and prefix.
std::optional<std::int32_t> ReadHexNumber(std::string_view body) {
  const std::string_view text = UpToNul(body.substr(0, kAssignReplyLimit));
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // "0x" is a prefix only when a hex digit follows it; otherwise the "0" is the number.
  if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
      HexDigitValue(text[i + 2]) >= 0) {
    i += 2;
  }
  if (i >= text.size() || HexDigitValue(text[i]) < 0) return std::nullopt;
  std::int32_t value = 0;  // at most four digits: no overflow
  for (; i < text.size() && HexDigitValue(text[i]) >= 0; ++i) {
    value = value * 16 + HexDigitValue(text[i]);
  }
  return negative ? -value : value;
}

}  // namespace

std::optional<StartupReply> ParseStartupReply(std::string_view body) {
  const std::vector<std::string_view> fields = SplitFields(UpToNul(body));
  if (fields.size() < 2) return std::nullopt;
  return StartupReply{LeadingIntegerAfterBlanks(fields[0]), LeadingIntegerAfterBlanks(fields[1])};
}

std::optional<std::int32_t> ReadAssignReplyValue(std::string_view body) {
  const std::optional<std::int32_t> value = ReadHexNumber(body);
  if (!value || *value <= 0) return std::nullopt;
  return value;
}

bool IsNoCodeReply(std::string_view body) { return ReadHexNumber(body) == 0; }

std::string DecodeSquawk(std::int32_t value) {
  const auto digit = [value](int shift) { return static_cast<char>('0' + ((value >> shift) & 7)); };
  return {digit(5), digit(9), digit(0), digit(13)};
}

}  // namespace kestrava
