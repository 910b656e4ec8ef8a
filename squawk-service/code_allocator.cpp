#include "squawk-service/code_allocator.h"

#include <algorithm>
#include <array>

namespace squawk_service {
namespace {

bool IsReserved(int code) {
  static const std::array<int, 8> kReserved = {
      CodeNumber("0000"), CodeNumber("0200"), CodeNumber("1200"), CodeNumber("2000"),
      CodeNumber("7000"), CodeNumber("7500"), CodeNumber("7600"), CodeNumber("7700")};
  return std::find(kReserved.begin(), kReserved.end(), code) != kReserved.end();
}

}  // namespace

CodeAllocator::CodeAllocator(std::vector<CodeRange> ranges, std::chrono::seconds hold)
    : ranges_(std::move(ranges)), hold_(hold) {}

std::optional<std::string> CodeAllocator::Assign(const std::string& airport,
                                                 const std::string& callsign, bool override_code,
                                                 Clock::time_point now) {
  std::lock_guard lock(mutex_);
  ExpireLocked(now);
  int avoid = -1;
  if (const auto held = holds_.find(callsign); held != holds_.end()) {
    if (!override_code) {
      held->second.since = now;
      return CodeText(held->second.code);
    }
    avoid = held->second.code;
    held_codes_.erase(avoid);
    holds_.erase(held);
  }
  const std::optional<int> code = PickLocked(airport, avoid);
  if (!code) return std::nullopt;
  holds_[callsign] = Hold{*code, now};
  held_codes_.insert(*code);
  return CodeText(*code);
}

std::size_t CodeAllocator::Held() {
  std::lock_guard lock(mutex_);
  return held_codes_.size();
}

void CodeAllocator::ExpireLocked(Clock::time_point now) {
  for (auto it = holds_.begin(); it != holds_.end();) {
    if (now - it->second.since >= hold_) {
      held_codes_.erase(it->second.code);
      it = holds_.erase(it);
    } else {
      ++it;
    }
  }
}

std::optional<int> CodeAllocator::PickLocked(const std::string& airport, int avoid) {
  const bool has_own = std::any_of(ranges_.begin(), ranges_.end(),
                                   [&](const CodeRange& r) { return r.airport == airport; });
  const std::string& wanted = has_own ? airport : std::string("*");
  for (std::size_t index = 0; index < ranges_.size(); ++index) {
    const CodeRange& range = ranges_[index];
    if (range.airport != wanted) continue;
    // Walk the range once from its cursor, so that codes go round rather than being reused at
    // once when they are released.
    const int size = range.last - range.first + 1;
    int& cursor = cursor_.try_emplace(index, range.first).first->second;
    for (int step = 0; step < size; ++step) {
      const int code = range.first + (cursor - range.first + step) % size;
      if (code == avoid || IsReserved(code) || held_codes_.count(code) != 0) continue;
      cursor = range.first + (code - range.first + 1) % size;
      return code;
    }
  }
  return std::nullopt;
}

}  // namespace squawk_service
