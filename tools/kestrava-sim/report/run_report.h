// kestrava-sim --report: writes report.html into the output folder once a run has ended, from
// what the run left: the scenario file (read again, streaming), the event log, the statistics
// logs the plug-in wrote and the pictures (PNG files) in the output folder. See report_page.h
// for what the page shows and how its size stays bounded, report_model.h for what is kept while
// reading (bounded by the aircraft, not by the steps or events).
//
// Thread: the simulator's thread, after the run.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/kestrava-sim/scenario.h"

namespace kestrava::sim::report {

struct RunRecords {
  const Scenario* scenario = nullptr;
  std::filesystem::path output_folder;
  std::filesystem::path events;  // the event log
  // The logs the plug-in wrote: the path it gave, and where the file is.
  std::vector<std::pair<std::string, std::filesystem::path>> logs;
  std::string exit_status;  // said in the page's header
};

// Writes `records.output_folder`/report.html; false with the reason in `error` when a record
// cannot be read or the page cannot be written.
bool WriteRunReport(const RunRecords& records, std::string& error);

}  // namespace kestrava::sim::report
