#include "tools/kestrava-sim/feed_import/filed_route.h"

#include <cctype>
#include <cstddef>

namespace kestrava::sim {
namespace {

bool IsLetter(char c) { return std::isupper(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Letters from `at`; returns where they end.
std::size_t Letters(std::string_view token, std::size_t at) {
  while (at < token.size() && IsLetter(token[at])) ++at;
  return at;
}
std::size_t Digits(std::string_view token, std::size_t at) {
  while (at < token.size() && IsDigit(token[at])) ++at;
  return at;
}

// "N0450F350", "M082F370", "K0830S1010", "N0450VFR": speed then level.
bool IsSpeedAndLevel(std::string_view token) {
  if (token.size() < 5 || (token[0] != 'N' && token[0] != 'M' && token[0] != 'K')) return false;
  const std::size_t speed_end = Digits(token, 1);
  if (speed_end - 1 < 3 || speed_end - 1 > 4) return false;
  const std::string_view level = token.substr(speed_end);
  if (level == "VFR") return true;
  if (level.empty() || (level[0] != 'F' && level[0] != 'S' && level[0] != 'A' && level[0] != 'M')) {
    return false;
  }
  const std::size_t level_end = Digits(level, 1);
  return level_end == level.size() && (level_end - 1 == 3 || level_end - 1 == 4);
}

// Letters, then digits, and nothing else: "UL9", "L620".
bool IsAirway(std::string_view token) {
  const std::size_t letters = Letters(token, 0);
  if (letters == 0 || letters > 3 || letters == token.size()) return false;
  return Digits(token, letters) == token.size();
}

// Letters, a digit, a letter: "CPT3G".
bool LooksLikeProcedure(std::string_view token) {
  const std::size_t letters = Letters(token, 0);
  return letters >= 2 && letters + 2 == token.size() && IsDigit(token[letters]) &&
         IsLetter(token[letters + 1]);
}

bool IsAlphanumeric(std::string_view token) {
  for (const char c : token) {
    if (!IsLetter(c) && !IsDigit(c)) return false;
  }
  return !token.empty();
}

}  // namespace

FiledRoute ReadFiledRoute(std::string_view route, std::string_view departure,
                          std::string_view arrival) {
  std::vector<std::string> tokens;
  std::size_t at = 0;
  while (at < route.size()) {
    const std::size_t start = route.find_first_not_of(" \t\r\n", at);
    if (start == std::string_view::npos) break;
    std::size_t end = route.find_first_of(" \t\r\n", start);
    if (end == std::string_view::npos) end = route.size();
    at = end;
    std::string upper(route.substr(start, end - start));
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string_view token = upper;
    token = token.substr(0, token.find('/'));  // "LAM/N0450F350" is LAM
    if (token == "DCT" || token == departure || token == arrival || !IsAlphanumeric(token) ||
        IsSpeedAndLevel(token) || IsAirway(token)) {
      continue;
    }
    tokens.emplace_back(token);
  }
  FiledRoute filed;
  std::size_t first = 0, last = tokens.size();
  if (last > first && LooksLikeProcedure(tokens[first])) filed.sid = tokens[first++];
  if (last > first && last > 1 && LooksLikeProcedure(tokens[last - 1])) {
    filed.star = tokens[--last];
  }
  filed.points.assign(tokens.begin() + static_cast<std::ptrdiff_t>(first),
                      tokens.begin() + static_cast<std::ptrdiff_t>(last));
  return filed;
}

}  // namespace kestrava::sim
