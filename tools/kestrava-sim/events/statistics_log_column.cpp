// The summary's "Log" column: the statistics-log lines the plug-in appended for each aircraft,
// as "D 14:03:09" (take-off) and "A 14:41:30" (landing).
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tools/kestrava-sim/csv_fields.h"
#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {
namespace {

// Runs on the host's thread: the plug-in writes the log from its position callback.
class StatisticsLogColumn final : public SimEnv::Listener {
 public:
  explicit StatisticsLogColumn(Simulation& sim) : sim_(sim) {}
  void LineAppended(const std::string& /*path*/, std::string_view line, bool appended) override {
    const std::vector<std::string> fields = CsvFields(line);
    if (!appended || fields.size() != 11) return;
    const std::string& callsign = fields[0];
    const std::string& time = fields[10];
    const std::string entry = fields[9] + " " + time.substr(time.find(' ') + 1);
    const std::string before = sim_.summary().Get(callsign, "Log");
    sim_.summary().Set(callsign, "Log", before.empty() ? entry : before + ", " + entry);
  }

 private:
  Simulation& sim_;
};

}  // namespace

void RegisterStatisticsLogColumn(Extensions& extensions) {
  extensions.summary_columns.push_back("Log");
  extensions.event_sources.push_back(
      [](Simulation& sim) { sim.AddListener(std::make_unique<StatisticsLogColumn>(sim)); });
}

}  // namespace kestrava::sim
