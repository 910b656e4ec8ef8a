// Which aircraft need a squawk code from the service, and setting the code that comes back.
#include <string>
#include <string_view>
#include <utility>

#include "plugin/QEXPlugin.h"
#include "plugin/text_rules.h"
#include "squawk/service_location.h"
#include "squawk/service_workers.h"
#include "squawk/squawk_request.h"

namespace kestrava {
namespace {

std::string_view Text(const char* text) { return text == nullptr ? std::string_view() : text; }

}  // namespace

void QEXPlugin::RequestSquawk(EuroScopePlugIn::CAircraft aircraft) {
  EuroScopePlugIn::CController me = ControllerMyself();
  const std::string_view my_callsign = Text(me.GetCallsign());
  if (my_callsign.find("OBS") != std::string_view::npos) return;
  if (!m_SquawkEnabled) return;
  if (me.GetFacility() == 0) return;

  const EuroScopePlugIn::CAircraftFlightPlan plan = aircraft.GetFlightPlan();
  std::string origin = AsciiUpper(Text(plan.GetOrigin()));
  std::string destination = AsciiUpper(Text(plan.GetDestination()));
  if (origin == destination) return;

  const std::string_view code = Text(aircraft.GetControllerAssignedData().GetSquawk());
  const bool recycle = code == kRecycleSquawkCode;
  const int ground_speed = aircraft.GetPosition().GetReportedGS();
  const bool on_ground = ground_speed < kGroundSpeedThresholdKnots;

  bool wanted = false;
  for (const CICAOEntry& entry : m_SquawkAirports) {
    const bool departure =
        entry.m_Icao == origin && entry.m_Enabled && on_ground && (code.empty() || recycle);
    const bool airborne_recycle = !on_ground && recycle;
    if (departure || airborne_recycle) {
      wanted = true;
      break;
    }
  }
  if (!wanted) return;

  SquawkRequest request;
  request.aircraft_callsign = Text(aircraft.GetCallsign());
  request.pilot_name = Text(aircraft.GetPilotName());
  request.controller_callsign = my_callsign;
  request.controller_name = Text(me.GetFullName());
  request.origin = std::move(origin);
  request.destination = std::move(destination);
  request.completion = &OnSquawkAssigned;
  request.plugin = this;
  request.override_code = recycle;
  request.ground = on_ground;
  workers().Start([&env = env(), &workers = workers(), &health = service_health(),
                   url_template = AssignUrlTemplate,
                   request = std::move(request)](std::stop_token stop) {
    SquawkAssignWorker(env, workers, health, url_template, request, stop);
  });
}

void OnSquawkAssigned(const std::string& callsign, const std::string& code, QEXPlugin& plugin) {
  EuroScopePlugIn::CAircraft aircraft = plugin.AircraftSelect(callsign.c_str());
  if (!aircraft.IsValid()) return;
  aircraft.GetControllerAssignedData().SetSquawk(code.c_str());
}

}  // namespace kestrava
