#include "aircraft/statistics_log_health.h"

#include "plugin/user_message.h"

namespace kestrava {

std::string LogFailureMessage(const std::string& path, const std::string& reason) {
  return "The statistics log cannot be written to " + path + " (" + reason +
         "). Take-offs and landings are not logged until it can be written again.";
}

void StatisticsLogHealth::LineLost(const std::string& path, const std::string& reason) {
  if (streak_.Failed()) ShowUserMessage(host_, kLogMessageSender, LogFailureMessage(path, reason));
}

}  // namespace kestrava
