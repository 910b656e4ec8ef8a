// What the network's feed says about traffic, as the squawk service needs it: the codes online
// aircraft squawk (not to be handed to another callsign) and when each callsign was last seen
// online (holds of callsigns gone for a while are released).
//
// Apply() takes each good snapshot, Fail() each fetch or read that went wrong; the last good
// snapshot stays in force through any number of failures. Times are unix seconds of the
// service's (injected) clock at the fetch, never the feed's own timestamps.
//
// Codes that count: a transponder text of four octal digits, other than the ignored codes (by
// default the conspicuity and emergency codes many aircraft share: 0000, 1000, 1200, 2000, 2200,
// 7000, 7500, 7600, 7700, and 0200). With airport positions, for a departure airport listed
// there only aircraft within `radius_nm` of it count; for an airport not listed, and without
// positions, every online aircraft counts.
//
// Thread: Apply and Fail from one thread (the fetcher's); every other member from any thread.
// Readers never wait for a snapshot being applied: Apply builds the new state before it takes
// the lock to publish it.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "squawk-service/feed_airports.h"
#include "tools/network-feed/feed_snapshot.h"

namespace squawk_service {

// The codes (0..4095) ignored in the feed unless the operator says otherwise.
std::unordered_set<int> DefaultIgnoredFeedCodes();

struct FeedTrafficOptions {
  AirportPositions airports;  // empty: every online aircraft counts for every airport
  double radius_nm = 300;
  std::int64_t release_after = 600;  // seconds a held callsign may be absent before release
  std::unordered_set<int> ignored_codes = DefaultIgnoredFeedCodes();
};

// A hold as far as release decisions go.
struct HeldCallsign {
  std::string callsign;
  std::int64_t since = 0;  // unix seconds the code was handed out
};

struct FeedStatus {
  bool has_snapshot = false;        // a good snapshot has been applied
  std::int64_t last_good = 0;       // when the last good snapshot was fetched (if any)
  std::optional<std::int64_t> age;  // now - last_good; nothing before the first good snapshot
  bool failing = false;             // the last fetch failed
  std::string last_error;           // the last failure's reason (kept after recovery)
  std::int64_t failures = 0;        // failed fetches since the start
  std::size_t pilots = 0;           // pilots in the last good snapshot
};

class FeedTraffic {
 public:
  using CodeSet = std::unordered_set<int>;

  explicit FeedTraffic(FeedTrafficOptions options = {});
  ~FeedTraffic();

  // Takes a good snapshot fetched at `now`.
  void Apply(const kestrava::network_feed::Snapshot& snapshot, std::int64_t now);
  // A fetch or read at `now` failed for `reason`. True on the first failure of an outage (since
  // the last good snapshot, or since the start), so that the caller logs each outage once.
  bool Fail(std::string reason, std::int64_t now);

  // The codes squawked by online aircraft that count for a departure from `departure` (an ICAO
  // code, any case), never null. The set stays valid as long as the pointer is held, whatever
  // snapshots follow.
  std::shared_ptr<const CodeSet> SquawkedFor(std::string_view departure) const;

  // Of `holds`, the callsigns to release: absent from the last good snapshot and from every
  // snapshot since at least `release_after` seconds before it (absence counted from the later
  // of the callsign's last sighting, the hold's start and the first good snapshot). Nothing
  // before the first good snapshot; an outage never releases a hold, since only a fetched
  // snapshot shows an absence.
  std::vector<std::string> ToRelease(const std::vector<HeldCallsign>& holds) const;

  FeedStatus Status(std::int64_t now) const;

 private:
  struct View;
  FeedTrafficOptions options_;
  mutable std::mutex mutex_;
  std::shared_ptr<const View> view_;  // guarded by mutex_; replaced whole by each Apply
  FeedStatus status_;                 // guarded by mutex_
};

}  // namespace squawk_service
