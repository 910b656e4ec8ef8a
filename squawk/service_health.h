// Whether the squawk service gives codes, as the controller hears it.
//
// Every exchange with the service (the start-up announcement and each code request) ends in a
// success or a failure: no connection, a timeout, a status outside 2xx, or a reply that yields
// nothing (no code, or a start-up reply without its two fields). The first failure after a
// success, or after loading, starts an outage and shows one message naming the service's
// address, the reason and the setting to check; later failures of the same outage show nothing.
// The first success after an outage shows one message that codes are coming again.
//
// Owned by the plug-in; host's thread only (workers hand their outcome over first).
#pragma once

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

class SquawkServiceHealth {
 public:
  // `host` shows the messages; it must outlive this object.
  explicit SquawkServiceHealth(EuroScopePlugIn::CPlugIn& host) : host_(host) {}

  // An exchange failed for `reason`.
  void ExchangeFailed(const std::string& reason);
  void ExchangeSucceeded();

 private:
  EuroScopePlugIn::CPlugIn& host_;
  FailureStreak streak_;
};

}  // namespace kestrava
