// "position": {"callsign", "lat", "lon", "gs"} gives the aircraft (created when new) a radar
// position with the reported ground speed in whole knots and reports it. The most played kind:
// the usual report is read without StepArgs' bookkeeping, and its action finds the aircraft's
// summary row once and addresses the cells by column index.
#include <string>
#include <utility>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {
namespace {

// `reports` is the place of the summary's "Reports" column; "GS" follows it.
StepAction Report(Summary::Column reports, std::string callsign,
                  EuroScopePlugIn::CPosition position, int gs) {
  return [reports, callsign = std::move(callsign), position, gs](Simulation& sim) {
    Summary::Cells& row = sim.summary().Row(callsign);
    row.Count(reports);
    row.SetNumber(reports + 1, gs);
    sim.world().ReportPosition(callsign, position, gs);
  };
}

// Ground speeds are 0 or more; both reading paths take the same range.
constexpr int kFastestKnots = 1000000;

bool InRange(double value, double limit) { return value >= -limit && value <= limit; }

// The usual report, four good fields and nothing else, without StepArgs' bookkeeping.
StepAction QuickParse(Summary::Column reports, const FieldList& body) {
  if (body.size() != 4) return {};
  const std::size_t callsign = body.Find("callsign"), lat = body.Find("lat"),
                    lon = body.Find("lon"), gs = body.Find("gs");
  if (callsign == FieldList::npos || lat == FieldList::npos || lon == FieldList::npos ||
      gs == FieldList::npos) {
    return {};
  }
  const FieldValue& speed = body.value(gs);
  if (body.value(callsign).type != FieldValue::Type::kText || !body.value(lat).IsNumber() ||
      !body.value(lon).IsNumber() || speed.type != FieldValue::Type::kUnsigned ||
      speed.unsigned_integer > kFastestKnots) {
    return {};
  }
  const EuroScopePlugIn::CPosition position{body.value(lat).Number(), body.value(lon).Number()};
  if (!InRange(position.m_Latitude, 90) || !InRange(position.m_Longitude, 180)) return {};
  return Report(reports, body.value(callsign).text, position,
                static_cast<int>(speed.unsigned_integer));
}

}  // namespace

void RegisterPositionStep(Extensions& extensions) {
  const Summary::Column reports = extensions.summary_columns.size();
  extensions.summary_columns.insert(extensions.summary_columns.end(), {"Reports", "GS"});
  extensions.steps.AddQuick("position",
                            [reports](const FieldList& body) { return QuickParse(reports, body); });
  extensions.steps.Add("position", [reports](StepArgs& args) -> StepAction {
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
    if (gs < 0 || gs > kFastestKnots) {
      args.Fail("gs", "must be 0 to " + std::to_string(kFastestKnots) + " knots");
    }
    return Report(reports, callsign, position, gs);
  });
}

}  // namespace kestrava::sim
