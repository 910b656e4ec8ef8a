// "tags": {"callsign"} or {"callsigns": [...]} asks the plug-in for tag items 85 to 89 of each
// aircraft, as the host does when it draws a tag, and writes one event per aircraft:
//   {"t", "event": "tags", "callsign", "items": {"85": {"text"}, "86": {"text", "rgb"}, ...}}
// "text" is what the plug-in wrote ("" when nothing); "rgb" is there only when the plug-in set
// colour code 1. An aircraft the host does not know has no tag: its event has empty "items".
// The summary shows the last texts in the columns Intention (the intention code), EDT, AOBT, ATOT
// and ALDT; they stay in the row of an aircraft that has left.
#include <string>
#include <utility>
#include <vector>

#include "plugin/EuroScopePlugIn.h"
#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {
namespace {

struct TagItemColumn {
  int code;
  const char* column;
};
constexpr TagItemColumn kTagItems[] = {
    {85, "Intention"}, {86, "EDT"}, {87, "AOBT"}, {88, "ATOT"}, {89, "ALDT"}};

void AskForTags(Simulation& sim, const std::string& callsign) {
  Json items = Json::object();
  if (sim.world().FindAircraft(callsign) != nullptr) {
    for (const TagItemColumn& item : kTagItems) {
      const standin::TagItemAnswer answer = sim.world().GetTagItem(callsign, item.code);
      Json fields{{"text", answer.text}};
      if (answer.color_code == EuroScopePlugIn::TAG_COLOR_RGB_DEFINED) fields["rgb"] = answer.rgb;
      items[std::to_string(item.code)] = std::move(fields);
      sim.summary().Set(callsign, item.column, answer.text);
    }
  }
  sim.Event("tags", Json{{"callsign", callsign}, {"items", std::move(items)}});
}

}  // namespace

void RegisterTagsStep(Extensions& extensions) {
  for (const TagItemColumn& item : kTagItems) extensions.summary_columns.push_back(item.column);
  extensions.steps.Add("tags", [](StepArgs& args) -> StepAction {
    const auto callsign = args.OptionalText("callsign");
    auto callsigns = args.OptionalTextList("callsigns");
    if (callsign && callsigns) args.Fail("", "give either \"callsign\" or \"callsigns\", not both");
    if (!callsign && !callsigns) args.Fail("callsign", "missing (a text is required)");
    if (callsigns && callsigns->empty()) args.Fail("callsigns", "must name at least one aircraft");
    std::vector<std::string> asked = callsign ? std::vector<std::string>{*callsign} : *callsigns;
    return [asked = std::move(asked)](Simulation& sim) {
      for (const std::string& name : asked) AskForTags(sim, name);
    };
  });
}

}  // namespace kestrava::sim
