#include "squawk/service_health.h"

#include "plugin/user_message.h"
#include "squawk/service_location.h"

namespace kestrava {

std::string FailureReason(HttpFailure failure) {
  switch (failure) {
    case HttpFailure::kRefused: return "refused";
    case HttpFailure::kUnknownHost: return "unknown host";
    case HttpFailure::kTimedOut: return "timed out";
    case HttpFailure::kBroken: break;
  }
  return "connection failed";
}

std::string StatusReason(int status) { return "status " + std::to_string(status); }

std::string ServiceOutageMessage(const std::string& base_url, const std::string& reason) {
  return "No squawk codes: the squawk service at " + base_url + " failed (" + reason +
         "). Check the SERVERLOCATION setting.";
}

std::string ServiceRecoveryMessage(const std::string& base_url) {
  return "Squawk codes are coming again from the squawk service at " + base_url + ".";
}

std::string NoFreeCodeMessage(const std::string& base_url, const std::string& callsign,
                              const std::string& origin) {
  return "The squawk service at " + base_url + " has no free code for " + callsign + " (" + origin +
         ").";
}

void SquawkServiceHealth::ExchangeFailed(const std::string& reason) {
  if (!codes_on_) return;
  if (streak_.Failed()) {
    ShowUserMessage(host_, kServiceMessageSender, ServiceOutageMessage(ServiceBaseUrl, reason));
  }
}

void SquawkServiceHealth::ExchangeSucceeded(const std::string& callsign) {
  if (!callsign.empty()) told_no_free_code_.erase(callsign);
  if (streak_.Succeeded() && codes_on_) {
    ShowUserMessage(host_, kServiceMessageSender, ServiceRecoveryMessage(ServiceBaseUrl));
  }
}

void SquawkServiceHealth::NoFreeCode(const std::string& callsign, const std::string& origin) {
  const bool outage_ended = streak_.Succeeded();
  if (!codes_on_) return;
  if (told_no_free_code_.insert(callsign).second) {
    ShowUserMessage(host_, kServiceMessageSender,
                    NoFreeCodeMessage(ServiceBaseUrl, callsign, origin));
  } else if (outage_ended) {
    ShowUserMessage(host_, kServiceMessageSender, ServiceRecoveryMessage(ServiceBaseUrl));
  }
}

}  // namespace kestrava
