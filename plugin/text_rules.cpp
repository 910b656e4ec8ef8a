#include "plugin/text_rules.h"

namespace kestrava {

std::int32_t LeadingInteger(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

std::int32_t LeadingInteger(const char* text) {
  return text == nullptr ? 0 : LeadingInteger(std::string_view(text));
}

std::int32_t LeadingIntegerAfterBlanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  return LeadingInteger(text.substr(i));
}

std::int32_t LeadingIntegerAfterBlanks(const char* text) {
  return text == nullptr ? 0 : LeadingIntegerAfterBlanks(std::string_view(text));
}

bool IsFlagOn(std::string_view text) { return text == "1"; }

std::vector<std::string_view> SplitFields(std::string_view text) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ':') ++i;
    if (i == text.size()) break;
    const std::size_t end = text.find(':', i);
    const std::size_t stop = end == std::string_view::npos ? text.size() : end;
    fields.push_back(text.substr(i, stop - i));
    i = stop;
  }
  return fields;
}

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string UnsignedText(std::uint32_t value) { return std::to_string(value); }

}  // namespace kestrava
