#include "tags/intention_code.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

#include "plugin/text_rules.h"

namespace kestrava {
namespace {

enum class Condition : std::uint8_t {
  kNone,
  kSouthWestFranceDestination,  // LFBL, LFBU, LFBX, LFLX, LFPM or LFO...
  kRouteHasWal,                 // WAL anywhere on the route
};

struct CodeRow {
  const char* point;
  Condition condition;
  const char* code;
};

// The route points that give a code, in the order they are tested: for a point named in more
// than one row, the first row whose condition holds gives the code.
constexpr CodeRow kCodeTable[] = {
    {"LOLOX", Condition::kNone, "A"},
    {"GAPLI", Condition::kNone, "A"},
    {"RATKA", Condition::kNone, "A"},
    {"TAKAS", Condition::kNone, "A"},
    {"MOSIS", Condition::kNone, "A"},
    {"CAMBO", Condition::kNone, "A"},
    {"LIZAD", Condition::kNone, "A"},
    {"UIR05", Condition::kNone, "A"},
    {"SKESO", Condition::kNone, "B"},
    {"MANIG", Condition::kNone, "B2"},
    {"SALCO", Condition::kNone, "B3"},
    {"ANNET", Condition::kNone, "B4"},
    {"SOMVA", Condition::kNone, "C1"},
    {"REDFA", Condition::kNone, "C2"},
    {"SUMUM", Condition::kNone, "C3"},
    {"VABIK", Condition::kNone, "D1"},
    {"KONAN", Condition::kNone, "D2"},
    {"RINTI", Condition::kNone, "D3"},
    {"MOTOX", Condition::kNone, "D3"},
    {"DVR", Condition::kNone, "D"},
    {"SITET", Condition::kSouthWestFranceDestination, "E2"},
    {"SITET", Condition::kNone, "E"},
    {"LAMSO", Condition::kNone, "F"},
    {"MOLIX", Condition::kNone, "F"},
    {"TOPPA", Condition::kNone, "F"},
    {"LONAM", Condition::kNone, "F"},
    {"ORTAC", Condition::kNone, "H"},
    {"DIN", Condition::kNone, "H2"},
    {"BASIK", Condition::kNone, "H3"},
    {"LORKU", Condition::kNone, "H4"},
    {"GOBUR", Condition::kNone, "H4"},
    {"GIVPO", Condition::kNone, "K3"},
    {"LIFFY", Condition::kNone, "L"},
    {"BAGSO", Condition::kNone, "L"},
    {"LESLU", Condition::kNone, "M"},
    {"EVRIN", Condition::kNone, "M"},
    {"MOPAT", Condition::kNone, "M"},
    {"LEDGO", Condition::kNone, "M"},
    {"XIDIL", Condition::kNone, "P"},
    {"RATSU", Condition::kNone, "R"},
    {"LIRKI", Condition::kNone, "R1"},
    {"GONUT", Condition::kNone, "R2"},
    {"OLKER", Condition::kNone, "R3"},
    {"MATIK", Condition::kNone, "R4"},
    {"ERAKA", Condition::kNone, "R6"},
    {"BALIX", Condition::kNone, "R6"},
    {"ATSIX", Condition::kNone, "R6"},
    {"VATRY", Condition::kNone, "S4"},
    {"BAKUR", Condition::kNone, "S3"},
    {"SLANY", Condition::kNone, "S2"},
    {"BANBA", Condition::kNone, "S"},
    {"LIPGO", Condition::kNone, "T"},
    {"NEVIL", Condition::kNone, "W"},
    {"NIBOG", Condition::kNone, "U5"},
    {"KUGUR", Condition::kNone, "U5"},
    {"MIMKU", Condition::kNone, "U6"},
    {"IBROD", Condition::kNone, "U6"},
    {"GOMUP", Condition::kRouteHasWal, "U7"},
    {"XAMAB", Condition::kNone, "V"},
    {"ORVIK", Condition::kNone, "Z1"},
    {"RIGUV", Condition::kNone, "Z2"},
    {"KLONN", Condition::kNone, "Z3"},
    {"ALOTI", Condition::kNone, "Z4"},
    {"NIVUN", Condition::kNone, "Z5"},
};
constexpr std::size_t kCodeRows = std::size(kCodeTable);
static_assert(kCodeRows == 64);

// A point name of up to 8 characters packed into one integer, so a route point is looked up
// with a few integer compares instead of a string compare per table row. One-to-one for texts
// without zero bytes, which a host text never holds.
constexpr std::size_t kMaxPackedName = 8;

constexpr std::uint64_t PackName(std::string_view name) {
  std::uint64_t key = 0;
  for (const char c : name) key = (key << 8) | static_cast<unsigned char>(c);
  return key;
}

constexpr std::size_t NameLength(const char* name) {
  std::size_t length = 0;
  while (name[length] != '\0') ++length;
  return length;
}

struct IndexEntry {
  std::uint64_t key;
  std::uint8_t row;
};

// The table's rows ordered by packed name, rows of one name kept in table order.
constexpr std::array<IndexEntry, kCodeRows> BuildIndex() {
  std::array<IndexEntry, kCodeRows> index{};
  for (std::size_t row = 0; row < kCodeRows; ++row) {
    index[row] = {
        PackName(std::string_view(kCodeTable[row].point, NameLength(kCodeTable[row].point))),
        static_cast<std::uint8_t>(row)};
  }
  std::sort(index.begin(), index.end(), [](const IndexEntry& a, const IndexEntry& b) {
    return a.key != b.key ? a.key < b.key : a.row < b.row;
  });
  return index;
}

constexpr std::array<IndexEntry, kCodeRows> kIndex = BuildIndex();

constexpr bool NamesFitPacking() {
  for (const CodeRow& row : kCodeTable) {
    const std::size_t length = NameLength(row.point);
    if (length == 0 || length > kMaxPackedName) return false;
  }
  return true;
}
static_assert(NamesFitPacking(), "table point names must be 1 to 8 characters");

bool IsSouthWestFranceDestination(std::string_view upper_destination) {
  return upper_destination == "LFBL" || upper_destination == "LFBU" ||
         upper_destination == "LFBX" || upper_destination == "LFLX" ||
         upper_destination == "LFPM" || upper_destination.starts_with("LFO");
}

// The code of the first row named `point` whose condition holds, if any.
std::optional<std::string_view> CodeForPoint(
    std::string_view point, std::string_view upper_destination,
    const EuroScopePlugIn::CAircraftExtractedRoute& route) {
  if (point.empty() || point.size() > kMaxPackedName) return std::nullopt;
  const std::uint64_t key = PackName(point);
  auto entry = std::lower_bound(kIndex.begin(), kIndex.end(), key,
                                [](const IndexEntry& e, std::uint64_t k) { return e.key < k; });
  for (; entry != kIndex.end() && entry->key == key; ++entry) {
    const CodeRow& row = kCodeTable[entry->row];
    switch (row.condition) {
      case Condition::kNone: return row.code;
      case Condition::kSouthWestFranceDestination:
        if (IsSouthWestFranceDestination(upper_destination)) return row.code;
        break;
      case Condition::kRouteHasWal:
        if (RouteContainsPoint(route, "WAL")) return row.code;
        break;
    }
  }
  return std::nullopt;
}

std::string_view PointName(const EuroScopePlugIn::CAircraftExtractedRoute& route, int index) {
  const char* name = route.GetPointName(index);
  return name == nullptr ? std::string_view() : std::string_view(name);
}

}  // namespace

bool RouteContainsPoint(const EuroScopePlugIn::CAircraftExtractedRoute& route,
                        std::string_view name) {
  if (!route.IsValid()) return false;
  const int count = route.GetPointsNumber();
  for (int index = 0; index < count; ++index) {
    if (PointName(route, index) == name) return true;
  }
  return false;
}

std::string IntentionCode(std::string_view destination,
                          const EuroScopePlugIn::CAircraftExtractedRoute& route) {
  const std::string upper = AsciiUpper(destination);
  const std::string_view dest = upper;
  if (dest.starts_with("EG")) return std::string(dest.substr(dest.size() - 2));
  if (dest.starts_with("EB")) return "EB";
  if (dest.starts_with("EIDW")) return "DW";
  if (dest.starts_with("EH")) {
    if (RouteContainsPoint(route, "CLN")) return "AM";
    if (RouteContainsPoint(route, "DVR")) return "AS";
  }
  if (route.IsValid()) {
    const int lowest = std::max(route.GetPointsCalculatedIndex(), 0);
    for (int index = route.GetPointsNumber() - 1; index >= lowest; --index) {
      if (const auto code = CodeForPoint(PointName(route, index), dest, route)) {
        return std::string(*code);
      }
    }
  }
  return std::string(destination.substr(0, 4));
}

}  // namespace kestrava
