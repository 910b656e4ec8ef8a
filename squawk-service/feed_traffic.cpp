#include "squawk-service/feed_traffic.h"

#include <algorithm>
#include <limits>

#include "squawk-service/ascii_upper.h"
#include "squawk-service/feed_distance.h"

namespace squawk_service {

std::unordered_set<int> DefaultIgnoredFeedCodes() {
  return {00000, 00200, 01000, 01200, 02000, 02200, 07000, 07500, 07600, 07700};
}

// One good snapshot as the readers see it; never changed once published, but for the cache of
// codes near each airport.
struct FeedTraffic::View {
  struct Squawker {
    int code;
    double latitude;
    double longitude;
  };

  std::int64_t fetched = 0;  // when this snapshot was fetched
  std::int64_t first = 0;    // when the first good snapshot was fetched
  std::vector<Squawker> squawkers;
  std::shared_ptr<const CodeSet> all;
  // Upper-case callsign -> when last seen; those of this snapshot at `fetched`.
  std::unordered_map<std::string, std::int64_t> last_seen;

  mutable std::mutex near_mutex;
  mutable std::unordered_map<std::string, std::shared_ptr<const CodeSet>> near;  // near_mutex
};

FeedTraffic::FeedTraffic(FeedTrafficOptions options) : options_(std::move(options)) {}
FeedTraffic::~FeedTraffic() = default;

void FeedTraffic::Apply(const kestrava::network_feed::Snapshot& snapshot, std::int64_t now) {
  std::shared_ptr<const View> old;
  {
    const std::lock_guard lock(mutex_);
    old = view_;
  }
  auto view = std::make_shared<View>();
  view->fetched = now;
  view->first = old ? old->first : now;
  if (old) {
    // Callsigns absent for longer than release_after would be released anyway, sighting or not.
    for (const auto& [callsign, seen] : old->last_seen) {
      if (now - seen <= options_.release_after) view->last_seen.emplace(callsign, seen);
    }
  }
  auto all = std::make_shared<CodeSet>();
  for (const auto& pilot : snapshot.pilots) {
    view->last_seen[AsciiUpper(pilot.callsign)] = now;
    const auto code = kestrava::network_feed::TransponderCode(pilot.transponder);
    if (!code || options_.ignored_codes.contains(*code)) continue;
    view->squawkers.push_back({*code, pilot.latitude, pilot.longitude});
    all->insert(*code);
  }
  view->all = std::move(all);
  const std::lock_guard lock(mutex_);
  view_ = std::move(view);
  status_.has_snapshot = true;
  status_.last_good = now;
  status_.failing = false;
  status_.pilots = snapshot.pilots.size();
}

bool FeedTraffic::Fail(std::string reason, std::int64_t) {
  const std::lock_guard lock(mutex_);
  const bool first = !status_.failing;
  status_.failing = true;
  status_.last_error = std::move(reason);
  ++status_.failures;
  return first;
}

std::shared_ptr<const FeedTraffic::CodeSet> FeedTraffic::SquawkedFor(
    std::string_view departure) const {
  std::shared_ptr<const View> view;
  {
    const std::lock_guard lock(mutex_);
    view = view_;
  }
  if (!view) {
    static const auto kNone = std::make_shared<const CodeSet>();
    return kNone;
  }
  const std::string airport = AsciiUpper(departure);
  const auto position = options_.airports.find(airport);
  if (position == options_.airports.end()) return view->all;
  const std::lock_guard lock(view->near_mutex);
  std::shared_ptr<const CodeSet>& near = view->near[airport];
  if (!near) {
    auto codes = std::make_shared<CodeSet>();
    for (const View::Squawker& squawker : view->squawkers) {
      if (WithinNm(position->second.latitude, position->second.longitude, squawker.latitude,
                   squawker.longitude, options_.radius_nm)) {
        codes->insert(squawker.code);
      }
    }
    near = std::move(codes);
  }
  return near;
}

std::vector<std::string> FeedTraffic::ToRelease(const std::vector<HeldCallsign>& holds) const {
  std::shared_ptr<const View> view;
  {
    const std::lock_guard lock(mutex_);
    view = view_;
  }
  std::vector<std::string> release;
  if (!view) return release;
  for (const HeldCallsign& hold : holds) {
    const auto seen = view->last_seen.find(AsciiUpper(hold.callsign));
    if (seen != view->last_seen.end() && seen->second == view->fetched) continue;  // online
    const std::int64_t absent_since = std::max(
        {hold.since, view->first,
         seen == view->last_seen.end() ? std::numeric_limits<std::int64_t>::min() : seen->second});
    if (view->fetched - absent_since >= options_.release_after) {
      release.push_back(hold.callsign);
    }
  }
  return release;
}

FeedStatus FeedTraffic::Status(std::int64_t now) const {
  const std::lock_guard lock(mutex_);
  FeedStatus status = status_;
  if (status.has_snapshot) status.age = now - status.last_good;
  return status;
}

}  // namespace squawk_service
