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

void SquawkServiceHealth::ExchangeFailed(const std::string& reason) {
  if (streak_.Failed()) {
    ShowUserMessage(host_, kServiceMessageSender, ServiceOutageMessage(ServiceBaseUrl, reason));
  }
}

void SquawkServiceHealth::ExchangeSucceeded() {
  if (streak_.Succeeded()) {
    ShowUserMessage(host_, kServiceMessageSender, ServiceRecoveryMessage(ServiceBaseUrl));
  }
}

}  // namespace kestrava
