#include "squawk-service/request_params.h"

#include <algorithm>

namespace squawk_service {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> Decode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '+') {
      c = ' ';
    } else if (c == '%') {
      const int high = i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
      const int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
      if (low < 0) return std::nullopt;
      c = static_cast<char>(high * 16 + low);
      i += 2;
    }
    if (c == '\0') return std::nullopt;
    out.push_back(c);
  }
  return out;
}

bool IsPrintable(char c) { return c > ' ' && c < 0x7f; }

}  // namespace

std::optional<Target> ReadTarget(std::string_view target) {
  const std::size_t question = target.find('?');
  Target read;
  std::optional<std::string> path = Decode(target.substr(0, question));
  if (!path) return std::nullopt;
  read.path = std::move(*path);
  std::string_view query =
      question == std::string_view::npos ? std::string_view() : target.substr(question + 1);
  while (!query.empty()) {
    const std::size_t amp = query.find('&');
    const std::string_view pair = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    if (pair.empty()) continue;
    const std::size_t equals = pair.find('=');
    std::optional<std::string> name = Decode(pair.substr(0, equals));
    std::optional<std::string> value =
        Decode(equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1));
    if (!name || !value) return std::nullopt;
    read.params[std::move(*name)] = std::move(*value);
  }
  return read;
}

bool IsCallsign(std::string_view text) {
  return !text.empty() && text.size() <= 16 && std::all_of(text.begin(), text.end(), IsPrintable);
}

std::optional<std::string> IcaoCode(std::string_view text) {
  if (text.size() < 2 || text.size() > 4) return std::nullopt;
  std::string code;
  for (const char c : text) {
    const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    const bool letter = upper >= 'A' && upper <= 'Z';
    if (!letter && !(upper >= '0' && upper <= '9' && !code.empty())) return std::nullopt;
    code.push_back(upper);
  }
  return code;
}

bool IsShortText(std::string_view text) {
  return text.size() <= 64 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c < 0x7f; });
}

}  // namespace squawk_service
