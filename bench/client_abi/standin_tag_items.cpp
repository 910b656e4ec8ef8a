// Tag items 85 to 89 on the stand-in path, under Windows: the stand-in module (Kestrava.dll)
// loaded by the stand-in host's library beside this program, asked through the host's interface
// with the aircraft handles the plug-in selects, as bench/tag_items_bench.cpp asks. The baseline
// of client_tag_items.cpp, which asks the same through the client's ABI.
//
//   kestrava_standin_tag_items RESULTS.json [TURNS]
//
// TURNS names the turns taken with the other path's program (tag_item_timing.h), run beside it.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/client_abi/heap_calls.h"
#include "bench/client_abi/tag_item_timing.h"
#include "bench/client_abi/tag_item_traffic.h"
#include "host/world.h"

int main(int argc, char** argv) {
  using namespace kestrava::bench;
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: kestrava_standin_tag_items RESULTS.json [TURNS]\n");
    return 2;
  }
  Turns turns(argc == 3 ? argv[2] : nullptr, /*first=*/true);
  if (!turns.Take()) {
    std::fprintf(stderr, "the other program did not pass the turn\n");
    return 1;
  }
  standin::World world;
  for (const auto& [key, value] : kSettings) world.settings().Preset(key, value);
  std::string error;
  if (!world.LoadPlugIn("Kestrava.dll", error)) {
    std::fprintf(stderr, "cannot load the stand-in module: %s\n", error.c_str());
    return 1;
  }
  std::vector<std::string> route;
  for (int point = 0; point < kRoutePoints; ++point) route.push_back(RoutePoint(point));
  std::vector<EuroScopePlugIn::CAircraft> handles;
  for (int i = 0; i < kAircraft; ++i) {
    const std::string callsign = Callsign(i);
    standin::Aircraft& aircraft = world.AddOrGetAircraft(callsign);
    aircraft.flight_plan.destination = kDestination;
    aircraft.flight_plan.estimated_departure_time = EstimatedDepartureTime(i);
    aircraft.route = route;
    world.SetGroundState(callsign, "PUSH");
    for (int speed : kGroundSpeeds) world.ReportPosition(callsign, {50.0, 14.0}, speed);
    handles.push_back(world.plugin()->AircraftSelect(callsign.c_str()));
  }
  WatchHeapCalls(GetModuleHandleA(nullptr));
  WatchHeapCalls(GetModuleHandleA("EuroScopePlugInDll.dll"));
  WatchHeapCalls(GetModuleHandleA("Kestrava.dll"));

  EuroScopePlugIn::CPlugIn* plugin = world.plugin();
  char text[EuroScopePlugIn::TAG_ITEM_TEXT_SIZE];
  int colour_code = 0;
  EuroScopePlugIn::ColorRef rgb = 0;
  double font_size = 0.0;
  TagItemFigures figures;
  const bool measured = MeasureTagItems(
      [&](int aircraft, int item) {
        plugin->OnGetTagItem(handles[aircraft], item, 0, text, &colour_code, &rgb, &font_size);
      },
      turns, figures);
  if (!measured) {
    std::fprintf(stderr, "the other program did not pass the turn\n");
    return 1;
  }
  world.UnloadPlugIn();
  return ReportTagItems("BM_TagItemsStandIn", "stand-in path", argv[1], figures);
}
