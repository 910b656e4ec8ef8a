#include "squawk-service/feed_airports.h"

#include <fstream>
#include <vector>

#include "squawk-service/ascii_upper.h"
#include "tools/json/json_number.h"

namespace squawk_service {
namespace {

bool IsIcao(std::string_view text) {
  if (text.size() < 2 || text.size() > 4) return false;
  for (const char c : text) {
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (!letter && !(c >= '0' && c <= '9')) return false;
  }
  return true;
}

// The blank-separated words of a line.
std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    const std::size_t start = at;
    while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
    if (at > start) words.push_back(line.substr(start, at - start));
  }
  return words;
}

}  // namespace

AirportPositions ReadAirports(std::istream& in, std::string_view name) {
  AirportPositions airports;
  std::string line;
  int number = 0;
  const auto fail = [&](const std::string& what) {
    throw AirportsFileError(std::string(name) + ":" + std::to_string(number) + ": " + what);
  };
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::vector<std::string_view> words = Words(line);
    if (words.empty() || words.front().front() == '#') continue;
    if (words.size() != 3) {
      fail("expected \"ICAO LAT LON\", found " + std::to_string(words.size()) + " words");
    }
    if (!IsIcao(words[0])) {
      fail("\"" + std::string(words[0]) + "\" is not an ICAO code of 2 to 4 letters or digits");
    }
    AirportPosition position;
    const struct {
      std::string_view word;
      const char* what;
      double bound;
      double* value;
    } numbers[] = {{words[1], "latitude", 90, &position.latitude},
                   {words[2], "longitude", 180, &position.longitude}};
    for (const auto& n : numbers) {
      // A leading '+' is common in hand-written positions; JSON's grammar has none.
      const std::string_view text = n.word.front() == '+' ? n.word.substr(1) : n.word;
      const auto value = kestrava::json::JsonNumberValue(text);
      if (!value || *value < -n.bound || *value > n.bound) {
        const std::string bound = std::to_string(static_cast<int>(n.bound));
        fail(std::string(n.what) + " \"" + std::string(n.word) + "\" is not a number between -" +
             bound + " and " + bound);
      }
      *n.value = *value;
    }
    if (!airports.emplace(AsciiUpper(words[0]), position).second) {
      fail("airport " + AsciiUpper(words[0]) + " is given twice");
    }
  }
  if (in.bad()) throw AirportsFileError(std::string(name) + ": cannot be read");
  return airports;
}

AirportPositions ReadAirportsFile(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw AirportsFileError(path + ": cannot be opened");
  return ReadAirports(in, path);
}

}  // namespace squawk_service
