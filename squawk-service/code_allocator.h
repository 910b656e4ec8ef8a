// Hands out squawk codes from per-airport ranges, never one that is currently held.
//
// A callsign holds its code until it is replaced (override) or until the hold time has passed
// since it was last asked for. Asking again without override gives the code it holds; with
// override it gets a fresh code, never the one it held. Codes with a meaning of their own (0000,
// the recycle code 0200, 1200, 2000, 7000 and the emergency codes 7500, 7600, 7700) are never
// handed out. Thread: any; calls are serialised inside.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "squawk-service/code_ranges.h"

namespace squawk_service {

class CodeAllocator {
 public:
  using Clock = std::chrono::steady_clock;

  CodeAllocator(std::vector<CodeRange> ranges, std::chrono::seconds hold);

  // The code for `callsign` departing `airport` (upper case), or nothing when its ranges are
  // exhausted or no range covers the airport.
  std::optional<std::string> Assign(const std::string& airport, const std::string& callsign,
                                    bool override_code, Clock::time_point now = Clock::now());

  // Number of codes currently held.
  std::size_t Held();

 private:
  struct Hold {
    int code = 0;
    Clock::time_point since;
  };

  void ExpireLocked(Clock::time_point now);
  std::optional<int> PickLocked(const std::string& airport, int avoid);

  const std::vector<CodeRange> ranges_;
  const std::chrono::seconds hold_;
  std::mutex mutex_;
  std::map<std::string, Hold> holds_;  // by callsign
  std::set<int> held_codes_;
  std::map<std::size_t, int> cursor_;  // next code to try, by range index
};

}  // namespace squawk_service
