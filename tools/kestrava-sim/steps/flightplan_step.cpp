// "flightplan": {"callsign", "pilot", "origin", "destination", "sid", "star", "dep_rwy",
// "arr_rwy", "type", "etd", "atd", "route": [...], "route_index"} creates the aircraft when new,
// sets the fields given (the others stay as they were) and reports a flight-plan update.
#include <optional>
#include <string>
#include <vector>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {
namespace {

struct FlightPlanChange {
  std::string callsign;
  std::optional<std::string> pilot, origin, destination, sid, star, dep_rwy, arr_rwy, type, etd,
      atd;
  std::optional<std::vector<std::string>> route;
  std::optional<int> route_index;
};

template <class T>
void SetWhenGiven(T& field, const std::optional<T>& value) {
  if (value) field = *value;
}

void Apply(Simulation& sim, const FlightPlanChange& change) {
  standin::Aircraft& aircraft = sim.world().AddOrGetAircraft(change.callsign);
  standin::FlightPlan& plan = aircraft.flight_plan;
  SetWhenGiven(aircraft.pilot_name, change.pilot);
  SetWhenGiven(plan.origin, change.origin);
  SetWhenGiven(plan.destination, change.destination);
  SetWhenGiven(plan.sid, change.sid);
  SetWhenGiven(plan.star, change.star);
  SetWhenGiven(plan.departure_rwy, change.dep_rwy);
  SetWhenGiven(plan.arrival_rwy, change.arr_rwy);
  SetWhenGiven(plan.aircraft_type, change.type);
  SetWhenGiven(plan.estimated_departure_time, change.etd);
  SetWhenGiven(plan.actual_departure_time, change.atd);
  SetWhenGiven(aircraft.route, change.route);
  SetWhenGiven(aircraft.route_calculated_index, change.route_index);
  Summary& summary = sim.summary();
  summary.Set(change.callsign, "Type", plan.aircraft_type);
  summary.Set(change.callsign, "From", plan.origin);
  summary.Set(change.callsign, "To", plan.destination);
  sim.world().ReportFlightPlanUpdate(change.callsign);
}

}  // namespace

void RegisterFlightPlanStep(Extensions& extensions) {
  extensions.summary_columns.insert(extensions.summary_columns.end(), {"Type", "From", "To"});
  extensions.steps.Add("flightplan", [](StepArgs& args) -> StepAction {
    FlightPlanChange change;
    change.callsign = args.Text("callsign");
    change.pilot = args.OptionalText("pilot");
    change.origin = args.OptionalText("origin");
    change.destination = args.OptionalText("destination");
    change.sid = args.OptionalText("sid");
    change.star = args.OptionalText("star");
    change.dep_rwy = args.OptionalText("dep_rwy");
    change.arr_rwy = args.OptionalText("arr_rwy");
    change.type = args.OptionalText("type");
    change.etd = args.OptionalText("etd");
    change.atd = args.OptionalText("atd");
    change.route = args.OptionalTextList("route");
    change.route_index = args.OptionalInteger("route_index");
    return [change](Simulation& sim) { Apply(sim, change); };
  });
}

}  // namespace kestrava::sim
