// Tag items 85 to 89 through the client's ABI, under Windows: the module for the real client
// (Kestrava.dll) loaded beside the test double of the client's library, and asked as the client
// asks, OnGetTagItem with a flight plan and a radar target through the module's virtual table.
// The same aircraft, events and items as standin_tag_items.cpp, the baseline. The double is given
// the routes whole: it answers a point's name from them as the client from its own route, where a
// call back into this program for each point would add a cost the client does not have.
//
//   kestrava_client_tag_items RESULTS.json [TURNS]
//
// TURNS names the turns taken with the other path's program (tag_item_timing.h), run beside it.
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/client_abi/heap_calls.h"
#include "bench/client_abi/tag_item_timing.h"
#include "bench/client_abi/tag_item_traffic.h"
#include "host/client_double/client_double.h"

namespace {

using namespace kestrava::bench;

constexpr char kInitName[] = "?EuroScopePlugInInit@@YAXPAPAVCPlugIn@EuroScopePlugIn@@@Z";
constexpr char kExitName[] = "?EuroScopePlugInExit@@YAXXZ";
constexpr int kGroundStateData = 6;  // the assigned-data type of a ground state change

// One aircraft of the client: its flight plan and its radar target are both this object.
struct Flight {
  std::string callsign;
  const char* estimated_departure_time;
  int ground_speed = 0;
};

// The client's world as the double serves it to the module.
struct Client {
  std::vector<Flight> flights;
  std::vector<std::string> route;
  std::vector<const char*> route_names;   // route's texts
  KestravaDoubleRoute extracted_route{};  // every flight's, whole, as the client keeps a route
  std::map<std::string, std::string> settings;
  int controller = 0;
};

Client* Of(void* context) { return static_cast<Client*>(context); }
Flight* FlightOf(void* handle) { return static_cast<Flight*>(handle); }

KestravaDoubleHost HostFor(Client& client) {
  KestravaDoubleHost host{};
  host.context = &client;
  host.plugin_created = [](void* c, int, const char*, const char*, const char*,
                           const char*) -> void* { return c; };
  host.get_setting = [](void* c, void*, const char* key) -> const char* {
    auto found = Of(c)->settings.find(key);
    return found == Of(c)->settings.end() ? nullptr : found->second.c_str();
  };
  host.save_setting = [](void* c, void*, const char* key, const char*, const char* value) {
    Of(c)->settings[key] = value != nullptr ? value : "";
  };
  host.controller_myself = [](void* c) -> void* { return &Of(c)->controller; };
  host.controller_callsign = [](void*, void*) -> const char* { return "EGLL_TWR"; };
  host.controller_facility = [](void*, void*) { return 4; };
  host.flight_plan_text = [](void*, void* flight, KestravaDoubleText text) -> const char* {
    switch (text) {
      case KESTRAVA_DOUBLE_CALLSIGN: return FlightOf(flight)->callsign.c_str();
      case KESTRAVA_DOUBLE_DESTINATION: return kDestination;
      case KESTRAVA_DOUBLE_ESTIMATED_DEPARTURE_TIME:
        return FlightOf(flight)->estimated_departure_time;
      case KESTRAVA_DOUBLE_GROUND_STATE: return "PUSH";
      default: return "";
    }
  };
  host.flight_plan_radar_target = [](void*, void* flight) { return flight; };
  host.radar_target_flight_plan = [](void*, void* flight) { return flight; };
  host.radar_target_callsign = [](void*, void* flight) -> const char* {
    return FlightOf(flight)->callsign.c_str();
  };
  host.radar_target_position = [](void*, void* flight, double* latitude, double* longitude,
                                  int* ground_speed) {
    *latitude = 50.0;
    *longitude = 14.0;
    *ground_speed = FlightOf(flight)->ground_speed;
  };
  // The route whole: a name costs no call into this program, as the client reads its own.
  host.extracted_route = [](void* c, void*) -> const KestravaDoubleRoute* {
    return &Of(c)->extracted_route;
  };
  return host;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: kestrava_client_tag_items RESULTS.json [TURNS]\n");
    return 2;
  }
  Turns turns(argc == 3 ? argv[2] : nullptr, /*first=*/false);
  if (!turns.Take()) {
    std::fprintf(stderr, "the other program did not pass the turn\n");
    return 1;
  }
  Client client;
  for (const auto& [key, value] : kSettings) client.settings[key] = value;
  for (int point = 0; point < kRoutePoints; ++point) client.route.push_back(RoutePoint(point));
  for (const std::string& name : client.route) client.route_names.push_back(name.c_str());
  client.extracted_route = {client.route_names.data(), kRoutePoints, 0};
  for (int i = 0; i < kAircraft; ++i)
    client.flights.push_back({Callsign(i), EstimatedDepartureTime(i)});
  const KestravaDoubleHost host = HostFor(client);
  KestravaDoubleInstall(&host);

  HMODULE module = LoadLibraryA("Kestrava.dll");
  const auto init = reinterpret_cast<void (*)(void**)>(
      reinterpret_cast<void*>(GetProcAddress(module, kInitName)));
  const auto exit =
      reinterpret_cast<void (*)()>(reinterpret_cast<void*>(GetProcAddress(module, kExitName)));
  void* plugin = nullptr;
  if (init != nullptr) init(&plugin);
  if (plugin == nullptr || exit == nullptr) {
    std::fprintf(stderr, "cannot load the module for the real client\n");
    return 1;
  }
  for (Flight& flight : client.flights) {
    KestravaDoubleAssignedDataUpdate(plugin, &flight, kGroundStateData);
    for (int speed : kGroundSpeeds) {
      flight.ground_speed = speed;
      KestravaDoubleRadarTargetPositionUpdate(plugin, &flight);
    }
  }
  WatchHeapCalls(GetModuleHandleA(nullptr));
  WatchHeapCalls(GetModuleHandleA("EuroScopePlugInDll.dll"));
  WatchHeapCalls(module);

  char text[16];
  int colour_code = 0;
  unsigned long rgb = 0;
  double font_size = 0.0;
  TagItemFigures figures;
  const bool measured = MeasureTagItems(
      [&](int aircraft, int item) {
        Flight* flight = &client.flights[aircraft];
        KestravaDoubleGetTagItem(plugin, flight, flight, item, 0, text, &colour_code, &rgb,
                                 &font_size);
      },
      turns, figures);
  if (!measured) {
    std::fprintf(stderr, "the other program did not pass the turn\n");
    return 1;
  }
  exit();
  KestravaDoubleModuleExited();
  FreeLibrary(module);
  return ReportTagItems("BM_TagItemsClientAbi", "client's ABI", argv[1], figures);
}
