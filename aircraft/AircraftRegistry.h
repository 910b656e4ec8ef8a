// The records of every aircraft the plug-in has seen, in order of creation, keyed by callsign.
//
// Indexes are valid only until the next addition or removal; look them up right before use.
// Lookups by callsign go through a hash index, so a position update costs the same whether 10
// or 2,000 aircraft are tracked.
//
// Thread: the host's thread only; no lock.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "aircraft/CAircraftData.h"

namespace kestrava {

class AircraftRegistry {
 public:
  // The first index (in creation order) whose callsign equals `callsign` exactly, or -1.
  int FindAircraft(std::string_view callsign) const;
  // The record at `index`; throws std::invalid_argument outside 0 to count - 1.
  CAircraftData& GetAircraft(int index);
  const CAircraftData& GetAircraft(int index) const;
  // Appends a copy and returns its index (the count before the call).
  int AddAircraft(const CAircraftData& record);
  int AddAircraft(CAircraftData&& record);
  // Removes the record; later records move down by one. Throws std::invalid_argument for an
  // invalid index.
  void RemoveAircraft(int index);

  int Count() const { return static_cast<int>(records_.size()); }
  void Clear();
  auto begin() { return records_.begin(); }
  auto end() { return records_.end(); }
  auto begin() const { return records_.begin(); }
  auto end() const { return records_.end(); }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  void CheckIndex(int index) const;
  void IndexFrom(int first);

  std::vector<CAircraftData> records_;
  // Callsign to the first index holding it.
  std::unordered_map<std::string, int, Hash, std::equal_to<>> index_;
};

// The process-wide registry, alive until the library is unloaded.
AircraftRegistry& ProcessAircraftRegistry();

}  // namespace kestrava
