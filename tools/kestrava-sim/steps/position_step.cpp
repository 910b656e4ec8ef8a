// "position": {"callsign", "lat", "lon", "gs"} gives the aircraft (created when new) a radar
// position with the reported ground speed in whole knots and reports it. The most played kind: its
// action finds the aircraft's summary row once and addresses the cells by column index.
#include <string>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {

void RegisterPositionStep(Extensions& extensions) {
  const Summary::Column reports = extensions.summary_columns.size();
  const Summary::Column speed = reports + 1;
  extensions.summary_columns.insert(extensions.summary_columns.end(), {"Reports", "GS"});
  extensions.steps.Add("position", [reports, speed](StepArgs& args) -> StepAction {
    const std::string callsign = args.Text("callsign");
    EuroScopePlugIn::CPosition position;
    position.m_Latitude = args.Number("lat");
    position.m_Longitude = args.Number("lon");
    if (position.m_Latitude < -90 || position.m_Latitude > 90) {
      args.Fail("lat", "must lie between -90 and 90 degrees");
    }
    if (position.m_Longitude < -180 || position.m_Longitude > 180) {
      args.Fail("lon", "must lie between -180 and 180 degrees");
    }
    const int gs = args.Integer("gs");
    return [callsign, position, gs, reports, speed](Simulation& sim) {
      Summary::Cells& row = sim.summary().Row(callsign);
      row.Count(reports);
      row.SetNumber(speed, gs);
      sim.world().ReportPosition(callsign, position, gs);
    };
  });
}

}  // namespace kestrava::sim
