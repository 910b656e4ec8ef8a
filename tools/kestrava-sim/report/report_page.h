// The run report as one self-contained HTML page: no network, no external scripts, styles or
// fonts; pictures embedded as data: URIs. Sections: the header (scenario, period, aircraft,
// steps, exit status, messages), a row per aircraft (callsign, type, route, timeline, tag items
// in their colours), the activity chart, the pictures, the statistics logs.
//
// Its size is bounded whatever the run's length: the model keeps at most kMostAircraftShown
// aircraft (the page says how many more there were), at most kMostPictures pictures of at most
// kMostPictureBytes each are embedded, and each log shows at most kMostLogRows rows.
#pragma once

#include <cstddef>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "tools/kestrava-sim/report/report_model.h"

namespace kestrava::sim::report {

inline constexpr std::size_t kMostPictures = 24;
inline constexpr std::size_t kMostPictureBytes = 4 << 20;
inline constexpr std::size_t kMostLogRows = 500;

struct LogTable {
  std::string name;                            // the file's path as the plug-in gave it
  std::vector<std::vector<std::string>> rows;  // the first kMostLogRows
  std::size_t total_rows = 0;
};

struct PageInput {
  std::string scenario_file;
  std::string description;
  std::size_t steps = 0;
  std::string exit_status;
  std::vector<std::filesystem::path> pictures;  // PNG files, in the order shown
  std::vector<LogTable> logs;
};

void WritePage(std::ostream& out, const PageInput& input, const ReportModel& model);

}  // namespace kestrava::sim::report
