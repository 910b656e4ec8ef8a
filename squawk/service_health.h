// Whether the squawk service gives codes, as the controller hears it.
//
// Every exchange with the service (the start-up announcement and each code request) ends in a
// success or a failure: no connection, a timeout, a status outside 2xx, or a reply that yields
// nothing (no code, or a start-up reply without its two fields). The first failure after a
// success, or after loading, starts an outage and shows one message naming the service's
// address, the reason and the setting to check; later failures of the same outage show nothing.
// The first success after an outage shows one message that codes are coming again.
//
// Only while squawk codes are on does the controller hear of outages: with them off nothing is
// shown, and the first failure after they are switched on starts an outage.
//
// A reply that deliberately carries no code (the service has no free code for the airport) is a
// success, not an outage: it ends an outage, and the controller is told once per aircraft which
// flight got none (instead of the recovery message, which it then implies).
//
// Owned by the plug-in; host's thread only (workers hand their outcome over first).
#pragma once

#include <set>
#include <string>

#include "platform/http_result.h"
#include "plugin/EuroScopePlugIn.h"
#include "plugin/failure_streak.h"

namespace kestrava {

inline constexpr char kServiceMessageSender[] = "Squawk service";
inline constexpr char kReasonUnreadableReply[] = "unreadable reply";

// The reason for an exchange without a reply: "refused", "unknown host", "timed out",
// "connection failed".
std::string FailureReason(HttpFailure failure);
// The reason for a reply with a status outside 2xx: "status N".
std::string StatusReason(int status);

std::string ServiceOutageMessage(const std::string& base_url, const std::string& reason);
std::string ServiceRecoveryMessage(const std::string& base_url);
std::string NoFreeCodeMessage(const std::string& base_url, const std::string& callsign,
                              const std::string& origin);

class SquawkServiceHealth {
 public:
  // `host` shows the messages and `codes_on` says whether squawk codes are on; both must outlive
  // this object.
  SquawkServiceHealth(EuroScopePlugIn::CPlugIn& host, const bool& codes_on)
      : host_(host), codes_on_(codes_on) {}

  // Squawk codes have just been switched on: the next failure starts an outage.
  void CodesSwitchedOn() { streak_ = {}; }

  // An exchange failed for `reason`.
  void ExchangeFailed(const std::string& reason);
  // An exchange succeeded; `callsign` is the aircraft that got a code ("" for the start-up).
  void ExchangeSucceeded(const std::string& callsign = {});
  // The service answered that it has no free code for the flight `callsign` from `origin`.
  void NoFreeCode(const std::string& callsign, const std::string& origin);

 private:
  EuroScopePlugIn::CPlugIn& host_;
  const bool& codes_on_;
  FailureStreak streak_;
  std::set<std::string> told_no_free_code_;  // until the aircraft gets a code
};

}  // namespace kestrava
