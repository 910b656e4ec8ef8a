// The plug-in's typed commands.
//
// A line is taken apart by position: the command word is the three characters after the first,
// the argument everything from the sixth character on; the first and fifth characters are not
// looked at. Words and arguments compare exactly, case-sensitively.
#include <string>
#include <string_view>

#include "plugin/QEXPlugin.h"
#include "plugin/callback_guard.h"
#include "plugin/clearance_text.h"

namespace kestrava {
namespace {

constexpr std::size_t kShortestCommand = 5;

}  // namespace

bool QEXPlugin::OnCompileCommand(const char* commandLine) {
  return NoThrowOr(false, [&] {
    if (commandLine == nullptr) return false;
    const std::string_view line(commandLine);
    if (line.size() < kShortestCommand) return false;
    const std::string_view word = line.substr(1, 3);
    const std::string argument(line.substr(5));

    if (word == "qex" || word == "zyt") return RunSettingsCommand(argument);
    if (word != "pdc" || argument.empty()) return false;

    // An aircraft the host does not know has no flight plan to clear: the line is declined
    // rather than answered with a clearance of empty fields.
    EuroScopePlugIn::CAircraft aircraft = AircraftSelect(argument.c_str());
    if (!aircraft.IsValid()) return false;
    const EuroScopePlugIn::CAircraftFlightPlan plan = aircraft.GetFlightPlan();
    const ClearanceFields fields{
        .callsign = argument,
        .origin = plan.GetOrigin(),
        .destination = plan.GetDestination(),
        .departure_runway = plan.GetDepartureRwy(),
        .sid = plan.GetSidName(),
        .squawk = aircraft.GetControllerAssignedData().GetSquawk(),
        .estimated_departure_time = plan.GetEstimatedDepartureTime(),
        .actual_departure_time = plan.GetActualDepartureTime(),
    };
    // A clipboard that cannot be had leaves it as it was; the command still counts as handled.
    env().SetClipboardText(ComposeClearanceText(fields, env().NowUtc()));
    return true;
  });
}

}  // namespace kestrava
