#include "aircraft/AircraftRegistry.h"

#include <stdexcept>

namespace kestrava {

int AircraftRegistry::FindAircraft(std::string_view callsign) const {
  if (records_.empty()) return -1;
  const auto it = index_.find(callsign);
  return it == index_.end() ? -1 : it->second;
}

void AircraftRegistry::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) {
    throw std::invalid_argument("aircraft index " + std::to_string(index) + " outside 0 to " +
                                std::to_string(Count() - 1));
  }
}

CAircraftData& AircraftRegistry::GetAircraft(int index) {
  CheckIndex(index);
  return records_[static_cast<std::size_t>(index)];
}

const CAircraftData& AircraftRegistry::GetAircraft(int index) const {
  CheckIndex(index);
  return records_[static_cast<std::size_t>(index)];
}

int AircraftRegistry::AddAircraft(const CAircraftData& record) {
  return AddAircraft(CAircraftData(record));
}

int AircraftRegistry::AddAircraft(CAircraftData&& record) {
  const int index = Count();
  index_.try_emplace(record.m_Callsign, index);  // an earlier record keeps the callsign
  records_.push_back(std::move(record));
  return index;
}

void AircraftRegistry::RemoveAircraft(int index) {
  CheckIndex(index);
  records_.erase(records_.begin() + index);
  IndexFrom(index);
}

void AircraftRegistry::Clear() {
  records_.clear();
  index_.clear();
}

// Rebuilds the index after a removal at `first`: entries below it are unchanged.
void AircraftRegistry::IndexFrom(int first) {
  for (auto it = index_.begin(); it != index_.end();) {
    if (it->second >= first) {
      it = index_.erase(it);
    } else {
      ++it;
    }
  }
  for (int i = first; i < Count(); ++i) {
    index_.try_emplace(records_[static_cast<std::size_t>(i)].m_Callsign, i);
  }
}

AircraftRegistry& ProcessAircraftRegistry() {
  static AircraftRegistry registry;
  return registry;
}

}  // namespace kestrava
