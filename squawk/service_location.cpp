#include "squawk/service_location.h"

namespace kestrava {

void SetServiceLocation(const char* location) {
  ServiceBaseUrl = location == nullptr || *location == '\0' ? kDefaultServiceBaseUrl : location;
  StartupUrlTemplate = {ServiceBaseUrl + kStartupRequestText, ServiceBaseUrl.size()};
  AssignUrlTemplate = {ServiceBaseUrl + kAssignRequestText, ServiceBaseUrl.size()};
}

}  // namespace kestrava
