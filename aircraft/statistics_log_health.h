// Whether the statistics log can be written, as the controller hears it.
//
// A line that cannot be written shows one message naming the log's path and the system's reason;
// further failures show nothing until a line has been written again. Nothing is said when the
// writing works again.
//
// Owned by the plug-in; host's thread only.
#pragma once

#include <string>

#include "plugin/EuroScopePlugIn.h"
#include "plugin/failure_streak.h"

namespace kestrava {

inline constexpr char kLogMessageSender[] = "Statistics log";

std::string LogFailureMessage(const std::string& path, const std::string& reason);

class StatisticsLogHealth {
 public:
  // `host` shows the messages; it must outlive this object.
  explicit StatisticsLogHealth(EuroScopePlugIn::CPlugIn& host) : host_(host) {}

  void LineWritten() { streak_.Succeeded(); }
  void LineLost(const std::string& path, const std::string& reason);

 private:
  EuroScopePlugIn::CPlugIn& host_;
  FailureStreak streak_;
};

}  // namespace kestrava
