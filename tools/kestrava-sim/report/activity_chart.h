// The report's chart, drawn as inline SVG: the aircraft on frequency (a line: the most at once in
// each interval) and the squawk codes the plug-in set (bars per interval) over the run's period,
// with the times of day below.
#pragma once

#include <ostream>

#include "tools/kestrava-sim/report/report_model.h"

namespace kestrava::sim::report {

void WriteActivityChart(std::ostream& out, const ReportModel& model);

}  // namespace kestrava::sim::report
