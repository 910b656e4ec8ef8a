// The module for the real client, loaded and driven as the client does, through the client's ABI:
// the test double of the client's library serves a small client (flight plans with and without
// radar targets, settings, a display), records what the module asks of it, and delivers the
// callbacks through the module's virtual tables.
// winsock2.h before windows.h, which psapi.h needs first.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <psapi.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "client/settings_value_text.h"
#include "gtest/gtest.h"
#include "host/client_double/client_double.h"
#include "resources/dialog_ids.h"

extern "C" int KestravaProbeTable(int table, const char** expected, const char** got);
extern "C" int KestravaProbeHandles(void);
extern "C" void KestravaProbeSaveSetting(void* plugin, const char* key, const char* description,
                                         const char* value);

namespace {

constexpr char kInitName[] = "?EuroScopePlugInInit@@YAXPAPAVCPlugIn@EuroScopePlugIn@@@Z";
constexpr char kExitName[] = "?EuroScopePlugInExit@@YAXXZ";

// A flight plan of the small client and, when `has_target`, its correlated radar target (the
// handle `&target`).
struct Flight {
  std::string callsign{};
  std::string origin{};
  std::string destination{};
  std::string sid{};
  std::string estimated_departure{};
  std::string squawk{};
  bool has_target = true;
  double latitude = 51.47;
  double longitude = -0.45;
  int ground_speed = 0;
  int target = 0;
  std::vector<std::string> route{};  // the extracted route's point names
  int calculated_index = 0;
  std::vector<const char*> route_names{};  // route whole, when the double asks for it so
  KestravaDoubleRoute whole_route{};
};

// What the small client knows and what the module told it.
struct SmallClient {
  int created = 0;
  int deleted = 0;
  int compatibility = 0;
  std::string name, version;
  std::vector<std::pair<std::string, int>> tag_items, tag_functions;
  std::map<std::string, std::string> settings{
      {"SERVERLOCATION", "http://127.0.0.1:1/"}};  // a closed port: the start-up call fails at once
  std::map<std::string, std::string> display_settings;
  int screen_objects = 0;
  int last_button_type = 0;  // the last screen object's type and area
  RECT last_button_area{};
  std::deque<Flight> flights{{.callsign = "BAW1", .origin = "EGLL", .destination = "EGKK"}};
  int controller = 1;                                            // the user's controller
  std::vector<std::pair<std::string, std::string>> squawks_set;  // callsign, code
  std::vector<std::pair<std::string, int>> altitudes_set;        // callsign, feet
  std::vector<std::string> broken_rules;                         // "call(key): rule"

  Flight& Add(Flight flight) { return flights.emplace_back(std::move(flight)); }
  Flight* Find(const char* callsign) {
    for (Flight& f : flights) {
      if (f.callsign == callsign) return &f;
    }
    return nullptr;
  }
  Flight* OfTarget(void* target) {
    for (Flight& f : flights) {
      if (&f.target == target) return &f;
    }
    return nullptr;
  }
  void* Plan(std::size_t i) { return &flights[i]; }
  void* Target(std::size_t i) { return flights[i].has_target ? &flights[i].target : nullptr; }
};

SmallClient* Client(void* context) { return static_cast<SmallClient*>(context); }
Flight& FlightOf(void* flight_plan) { return *static_cast<Flight*>(flight_plan); }

KestravaDoubleHost HostFor(SmallClient& client) {
  KestravaDoubleHost host{};
  host.context = &client;
  host.plugin_created = [](void* c, int compatibility, const char* name, const char* version,
                           const char*, const char*) -> void* {
    ++Client(c)->created;
    Client(c)->compatibility = compatibility;
    Client(c)->name = name;
    Client(c)->version = version;
    return c;
  };
  host.plugin_deleted = [](void* c, void*) { ++Client(c)->deleted; };
  host.register_tag_item = [](void* c, void*, const char* name, int code) {
    Client(c)->tag_items.emplace_back(name, code);
  };
  host.register_tag_function = [](void* c, void*, const char* name, int code) {
    Client(c)->tag_functions.emplace_back(name, code);
  };
  host.get_setting = [](void* c, void*, const char* key) -> const char* {
    auto found = Client(c)->settings.find(key);
    return found == Client(c)->settings.end() ? nullptr : found->second.c_str();
  };
  host.save_setting = [](void* c, void*, const char* key, const char*, const char* value) {
    Client(c)->settings[key] = value;
  };
  host.controller_myself = [](void* c) -> void* { return &Client(c)->controller; };
  host.controller_callsign = [](void*, void*) -> const char* { return "EGLL_TWR"; };
  host.controller_facility = [](void*, void*) { return 4; };
  host.flight_plan_select = [](void* c, const char* callsign) -> void* {
    return Client(c)->Find(callsign);
  };
  host.radar_target_select = [](void* c, const char* callsign) -> void* {
    Flight* flight = Client(c)->Find(callsign);
    return flight != nullptr && flight->has_target ? &flight->target : nullptr;
  };
  host.flight_plan_text = [](void*, void* plan, KestravaDoubleText text) -> const char* {
    const Flight& flight = FlightOf(plan);
    switch (text) {
      case KESTRAVA_DOUBLE_CALLSIGN: return flight.callsign.c_str();
      case KESTRAVA_DOUBLE_ORIGIN: return flight.origin.c_str();
      case KESTRAVA_DOUBLE_DESTINATION: return flight.destination.c_str();
      case KESTRAVA_DOUBLE_SID_NAME: return flight.sid.c_str();
      case KESTRAVA_DOUBLE_ESTIMATED_DEPARTURE_TIME: return flight.estimated_departure.c_str();
      case KESTRAVA_DOUBLE_SQUAWK: return flight.squawk.c_str();
      default: return "";
    }
  };
  host.flight_plan_radar_target = [](void*, void* plan) -> void* {
    return FlightOf(plan).has_target ? &FlightOf(plan).target : nullptr;
  };
  host.set_squawk = [](void* c, void* plan, const char* squawk) {
    Client(c)->squawks_set.emplace_back(FlightOf(plan).callsign, squawk);
    FlightOf(plan).squawk = squawk;
    return true;
  };
  host.set_cleared_altitude = [](void* c, void* plan, int feet) {
    Client(c)->altitudes_set.emplace_back(FlightOf(plan).callsign, feet);
    return true;
  };
  host.radar_target_flight_plan = [](void* c, void* target) -> void* {
    return Client(c)->OfTarget(target);
  };
  host.radar_target_callsign = [](void* c, void* target) -> const char* {
    return Client(c)->OfTarget(target)->callsign.c_str();
  };
  host.radar_target_position = [](void* c, void* target, double* latitude, double* longitude,
                                  int* ground_speed) {
    const Flight& flight = *Client(c)->OfTarget(target);
    *latitude = flight.latitude;
    *longitude = flight.longitude;
    *ground_speed = flight.ground_speed;
  };
  host.route_point_count = [](void*, void* plan) {
    return static_cast<int>(FlightOf(plan).route.size());
  };
  host.route_point_name = [](void*, void* plan, int index) -> const char* {
    const std::vector<std::string>& route = FlightOf(plan).route;
    return index >= 0 && static_cast<std::size_t>(index) < route.size()
               ? route[static_cast<std::size_t>(index)].c_str()
               : nullptr;
  };
  host.route_calculated_index = [](void*, void* plan) { return FlightOf(plan).calculated_index; };
  host.rule_broken = [](void* c, const char* operation, const char* key, const char* rule) {
    Client(c)->broken_rules.push_back(std::string(operation) + "(" + key + "): " + rule);
  };
  host.get_display_setting = [](void* c, void*, const char* key) -> const char* {
    auto found = Client(c)->display_settings.find(key);
    return found == Client(c)->display_settings.end() ? nullptr : found->second.c_str();
  };
  host.save_display_setting = [](void* c, void*, const char* key, const char*, const char* value) {
    Client(c)->display_settings[key] = value;
  };
  host.add_screen_object = [](void* c, void*, int type, const char*, int left, int top, int right,
                              int bottom, bool, const char*) {
    ++Client(c)->screen_objects;
    Client(c)->last_button_type = type;
    Client(c)->last_button_area = {left, top, right, bottom};
  };
  return host;
}

// The module, loaded as the client loads it: the decorated entry found and called.
class LoadedModule {
 public:
  LoadedModule() {
    module_ = LoadLibraryA("Kestrava.dll");
    if (module_ == nullptr) return;
    init_ = reinterpret_cast<void (*)(void**)>(
        reinterpret_cast<void*>(GetProcAddress(module_, kInitName)));
    exit_ =
        reinterpret_cast<void (*)()>(reinterpret_cast<void*>(GetProcAddress(module_, kExitName)));
    if (init_ != nullptr) init_(&plugin_);
  }
  ~LoadedModule() {
    if (exit_ != nullptr) {
      exit_();
      KestravaDoubleModuleExited();  // from here on, a call between module and client is late
    }
    if (module_ != nullptr) FreeLibrary(module_);
  }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  HMODULE module() const { return module_; }
  void* plugin() const { return plugin_; }

 private:
  HMODULE module_ = nullptr;
  void (*init_)(void**) = nullptr;
  void (*exit_)() = nullptr;
  void* plugin_ = nullptr;
};

class ClientModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = HostFor(client_);
    KestravaDoubleInstall(&host_);
  }
  void TearDown() override {
    EXPECT_EQ(KestravaDoubleLateCalls(), 0) << "a call between module and client after its exit";
    EXPECT_EQ(client_.broken_rules, std::vector<std::string>{}) << "the client's rules broken";
    KestravaDoubleInstall(nullptr);
  }

  struct TagItemAnswer {
    std::string text;
    int colour = 0;
    unsigned long rgb = 0;
  };
  // Asks the module for tag item `code` of a flight plan, as the client does.
  TagItemAnswer TagItem(void* plugin, int code, std::size_t flight = 0) {
    char text[16] = {};
    TagItemAnswer answer;
    double size = 0;
    KestravaDoubleGetTagItem(plugin, client_.Plan(flight), client_.Target(flight), code, 0, text,
                             &answer.colour, &answer.rgb, &size);
    answer.text = text;
    return answer;
  }

  SmallClient client_;
  KestravaDoubleHost host_{};
};

TEST(ClientHeader, VirtualTablesHaveTheClientsOrderAndHandlesItsLayout) {
  for (int table = 0; table < 2; ++table) {
    const char* expected = "";
    const char* got = "";
    EXPECT_EQ(KestravaProbeTable(table, &expected, &got), -1)
        << "table " << table << ": expected " << expected << ", answered by " << got;
  }
  EXPECT_EQ(KestravaProbeHandles(), 1);
}

TEST_F(ClientModuleTest, LoadsThroughTheDecoratedEntryAndRegistersItself) {
  LoadedModule module;
  ASSERT_NE(module.module(), nullptr);
  EXPECT_EQ(GetProcAddress(module.module(), "EuroScopePlugInInit"), nullptr);
  ASSERT_NE(module.plugin(), nullptr);
  EXPECT_EQ(client_.compatibility, 16);
  EXPECT_EQ(client_.name, "Kestrava");
  EXPECT_EQ(client_.version, "1.0");
  std::vector<int> item_codes, function_codes;
  for (const auto& item : client_.tag_items) item_codes.push_back(item.second);
  for (const auto& function : client_.tag_functions) function_codes.push_back(function.second);
  EXPECT_EQ(item_codes, (std::vector<int>{85, 86, 87, 88, 89}));
  std::sort(function_codes.begin(), function_codes.end());
  EXPECT_EQ(function_codes, (std::vector<int>{36, 37, 38, 39, 41}));
}

TEST_F(ClientModuleTest, AnswersTagItemsAndDeclinesOthersCommands) {
  LoadedModule module;
  ASSERT_NE(module.plugin(), nullptr);
  EXPECT_EQ(TagItem(module.plugin(), 85).text, "KK");
  EXPECT_FALSE(KestravaDoubleCompileCommand(module.plugin(), ".notours 1"));
}

// Each aircraft's intention code from its own route, however many routes were walked before it:
// the table point read among a route's first 128 names or after them, or passed already.
TEST_F(ClientModuleTest, TheIntentionCodeComesFromEachAircraftsOwnRoute) {
  const auto route = [](int length, int at, const char* table_point) {
    std::vector<std::string> points;
    for (int i = 0; i < length; ++i)
      points.push_back(i == at ? table_point : "WP" + std::to_string(i));
    return points;
  };
  const std::pair<Flight, std::string> cases[] = {
      {{.callsign = "CSA1", .destination = "LKPR", .route = route(40, 0, "ORTAC")}, "H"},
      {{.callsign = "CSA2", .destination = "LKPR", .route = route(40, 39, "DVR")}, "D"},
      {{.callsign = "CSA3", .destination = "LKPR", .route = route(200, 150, "LAMSO")}, "F"},
      {{.callsign = "CSA4", .destination = "LKPR", .route = route(200, 20, "SITET")}, "E"},
      {{.callsign = "CSA5",
        .destination = "LZIBX",
        .route = route(40, 5, "ORTAC"),
        .calculated_index = 6},
       "LZIB"},
      {{.callsign = "CSA6", .destination = "LOWW"}, "LOWW"},
  };
  client_.flights.clear();
  for (const auto& [flight, code] : cases) client_.Add(flight);
  // The routes served a point at a time, then whole, as the client keeps its own.
  for (const bool whole : {false, true}) {
    if (whole) {
      host_.extracted_route = [](void*, void* plan) -> const KestravaDoubleRoute* {
        Flight& flight = FlightOf(plan);
        flight.route_names.clear();
        for (const std::string& name : flight.route) flight.route_names.push_back(name.c_str());
        flight.whole_route = {flight.route_names.data(), static_cast<int>(flight.route.size()),
                              flight.calculated_index};
        return &flight.whole_route;
      };
      KestravaDoubleInstall(&host_);
    }
    LoadedModule module;
    ASSERT_NE(module.plugin(), nullptr);
    for (int round = 0; round < 12; ++round) {  // more routes than the module keeps handles for
      for (std::size_t flight = 0; flight < std::size(cases); ++flight) {
        EXPECT_EQ(TagItem(module.plugin(), 85, flight).text, cases[flight].second)
            << cases[flight].first.callsign << ", round " << round << (whole ? ", whole" : "");
      }
    }
  }
}

TEST_F(ClientModuleTest, ATagItemComesWithItsColour) {
  client_.settings["EARLYCOL"] = "255";
  client_.flights[0].estimated_departure = "2359";  // never passed: the early colour
  LoadedModule module;
  ASSERT_NE(module.plugin(), nullptr);
  const TagItemAnswer answer = TagItem(module.plugin(), 86);
  EXPECT_EQ(answer.text, "23:59");
  EXPECT_EQ(answer.colour, 1);  // the colour given in rgb
  EXPECT_EQ(answer.rgb, 255u);
}

TEST_F(ClientModuleTest, FlightPlanUpdatesReachTheLogicWithAndWithoutARadarTarget) {
  client_.settings["ALT1"] = "EGLL:BPK7F:6000:1";
  client_.flights = {
      {.callsign = "BAW1", .origin = "EGLL", .destination = "EGKK", .sid = "BPK7F"},
      {.callsign = "BAW2",
       .origin = "EGLL",
       .destination = "EGKK",
       .sid = "BPK7F",
       .has_target = false},
      {.callsign = "BAW3",
       .origin = "EGLL",
       .destination = "EGKK",
       .sid = "BPK7F",
       .ground_speed = 250},  // airborne: no initial altitude
  };
  LoadedModule module;
  ASSERT_NE(module.plugin(), nullptr);
  for (std::size_t i = 0; i < client_.flights.size(); ++i) {
    KestravaDoubleFlightPlanDataUpdate(module.plugin(), client_.Plan(i));
  }
  EXPECT_EQ(client_.altitudes_set,
            (std::vector<std::pair<std::string, int>>{{"BAW1", 6000}, {"BAW2", 6000}}));
}

TEST_F(ClientModuleTest, TheDoubleRefusesValuesThatBreakTheClientsRules) {
  LoadedModule module;
  ASSERT_NE(module.plugin(), nullptr);
  const struct {
    const char* description;
    const char* value;
  } planted[] = {{"K", "EGLL:1"}, {"K", "a\r\nb"}, {"K", "\x01"},
                 {"K", "Z\xfc"},  {nullptr, "1"},  {"K", nullptr}};
  for (const auto& plant : planted) {
    KestravaProbeSaveSetting(module.plugin(), "PLANTED", plant.description, plant.value);
  }
  EXPECT_EQ(client_.broken_rules,
            (std::vector<std::string>{
                "SaveDataToSettings(PLANTED): the value holds ':'",
                "SaveDataToSettings(PLANTED): the value holds CR or LF",
                "SaveDataToSettings(PLANTED): the value holds a character that is not printable",
                "SaveDataToSettings(PLANTED): the value holds a character that is not printable",
                "SaveDataToSettings(PLANTED): the description is a null pointer",
                "SaveDataToSettings(PLANTED): the value is a null pointer",
            }));
  EXPECT_EQ(client_.settings.count("PLANTED"), 0u);
  client_.broken_rules.clear();  // planted here, not broken by the module
}

// Confirms the dialogs the test's thread opens, as a person pressing buttons would: as each is
// made, the clicks of `clicks` (button ids) are posted to it, then a Cancel, which only a dialog
// still open after them (a refused OK) receives.
class DialogPresser {
 public:
  DialogPresser() {
    current_ = this;
    hook_ = SetWindowsHookExA(WH_CBT, &OnCbt, nullptr, GetCurrentThreadId());
  }
  ~DialogPresser() {
    UnhookWindowsHookEx(hook_);
    current_ = nullptr;
  }
  DialogPresser(const DialogPresser&) = delete;
  DialogPresser& operator=(const DialogPresser&) = delete;

  std::vector<int> clicks{IDOK};
  int dialogs = 0;

 private:
  static LRESULT CALLBACK OnCbt(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_CREATEWND && current_ != nullptr) {
      const auto window = reinterpret_cast<HWND>(wparam);
      char name[16] = {};
      GetClassNameA(window, name, sizeof name);
      if (std::string(name) == "#32770") {  // a dialog
        ++current_->dialogs;
        for (const int id : current_->clicks) {
          PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        }
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
  }

  static inline DialogPresser* current_ = nullptr;
  HHOOK hook_ = nullptr;
};

std::string Read(const std::string& stored) {
  std::string buffer;
  const char* value = kestrava::client::ReadSettingText(stored.c_str(), buffer);
  return value != nullptr ? value : "<absent>";
}

// Loads the module, confirms each of its dialogs with OK, saves and closes a display, unloads.
void ConfirmEveryDialog(SmallClient& client) {
  LoadedModule module;
  ASSERT_NE(module.plugin(), nullptr);
  DialogPresser presser;
  for (const char* command : {".qex s", ".qex i", ".qex t", ".qex l"}) {
    EXPECT_TRUE(KestravaDoubleCompileCommand(module.plugin(), command)) << command;
  }
  int view = 0;
  void* screen = KestravaDoubleCreateScreen(module.plugin(), &view, "Display 1");
  ASSERT_NE(screen, nullptr);
  KestravaDoubleScreenContentLoaded(screen, true);
  EXPECT_TRUE(KestravaDoubleScreenCompileCommand(screen, ".qex h"));
  KestravaDoubleScreenContentToBeSaved(screen);
  KestravaDoubleScreenClosed(screen);
  EXPECT_EQ(presser.dialogs, 5);
  EXPECT_EQ(client.broken_rules, std::vector<std::string>{});
}

TEST_F(ClientModuleTest, EveryDialogConfirmedKeepsItsSettingsAcrossAReload) {
  // As a settings file of an earlier version holds them: in plain form.
  const std::map<std::string, std::string> plain = {{"SQK", "1"},
                                                    {"SQK1", "EGLL:1"},
                                                    {"SQK2", "EGKK:0"},
                                                    {"ALT", "0"},
                                                    {"ALT1", "EGLL:BPK7F:6000:1"},
                                                    {"ALT2", "EGKK:LAM1X:5000:0"},
                                                    {"TIMESEP", "0"},
                                                    {"ADTTYPE", "2"},
                                                    {"EARLYCOL", "255"},
                                                    {"SAVELOG", "1"},
                                                    {"SAVELOGFILE", "C:\\Logs\\50%\\stats.csv"}};
  for (const auto& [key, value] : plain) client_.settings[key] = value;
  client_.display_settings = {{"MAXTRAIL", "9"}, {"TRAILCOLOUR", "65280"}, {"CDXPOS", "40"}};

  ConfirmEveryDialog(client_);
  for (const auto& [key, value] : plain) EXPECT_EQ(Read(client_.settings[key]), value) << key;
  EXPECT_EQ(client_.settings["SQK1"], "%%EGLL%3A1");
  EXPECT_EQ(client_.settings["SAVELOGFILE"], "%%C%3A\\Logs\\50%25\\stats.csv");
  EXPECT_EQ(client_.display_settings["MAXTRAIL"], "9");
  EXPECT_EQ(client_.display_settings.size(), 10u);

  const std::map<std::string, std::string> settings = client_.settings;
  const std::map<std::string, std::string> display_settings = client_.display_settings;
  ConfirmEveryDialog(client_);
  EXPECT_EQ(client_.settings, settings);
  EXPECT_EQ(client_.display_settings, display_settings);
}

TEST_F(ClientModuleTest, AListEmptiedInItsDialogStaysEmptyAfterAReload) {
  client_.settings["SQK1"] = "EGLL:1";
  client_.settings["SQK2"] = "EGKK:0";
  for (const bool remove_all : {true, false}) {
    LoadedModule module;
    ASSERT_NE(module.plugin(), nullptr);
    DialogPresser presser;
    if (remove_all) presser.clicks = {IDC_SQK_REMOVE_ALL, IDOK};
    EXPECT_TRUE(KestravaDoubleCompileCommand(module.plugin(), ".qex s"));
    // Both keys cleared; after the reload the list read is empty, so nothing is written again.
    EXPECT_EQ(client_.settings["SQK1"], "");
    EXPECT_EQ(client_.settings["SQK2"], "");
  }
}

TEST_F(ClientModuleTest, AFaultInsideACallbackStaysInsideAndTheNextIsAnswered) {
  LoadedModule module;
  ASSERT_NE(module.plugin(), nullptr);
  auto inject = reinterpret_cast<void (*)(int)>(
      reinterpret_cast<void*>(GetProcAddress(module.module(), "KestravaInjectCallbackFaults")));
  ASSERT_NE(inject, nullptr);
  const auto tag_item = [&] { return TagItem(module.plugin(), 85).text; };
  inject(2);
  EXPECT_EQ(tag_item(), "");  // failed inside: nothing written, nothing thrown at the client
  EXPECT_FALSE(KestravaDoubleCompileCommand(module.plugin(), ".qex t"));  // failed: declined
  EXPECT_EQ(tag_item(), "KK");
}

TEST_F(ClientModuleTest, ScreenDrawsIntoADeviceContextAndEndsItself) {
  LoadedModule module;
  ASSERT_NE(module.plugin(), nullptr);
  int view = 0;
  void* screen = KestravaDoubleCreateScreen(module.plugin(), &view, "Display 1");
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(KestravaDoubleScreenPlugIn(screen), module.plugin());

  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = 400;
  info.bmiHeader.biHeight = -300;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  HGDIOBJ previous = SelectObject(dc, bitmap);

  KestravaDoubleScreenContentLoaded(screen, true);
  for (int phase = 0; phase <= 3; ++phase) KestravaDoubleScreenRefresh(screen, dc, phase);
  EXPECT_GT(client_.screen_objects, 0);  // the countdown clock's objects
  KestravaDoubleScreenContentToBeSaved(screen);
  EXPECT_EQ(client_.display_settings.count("CDSHOW"), 1u);
  KestravaDoubleScreenClosed(screen);

  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

TEST_F(ClientModuleTest, LoadsAndUnloadsTwentyTimes) {
  for (int load = 1; load <= 20; ++load) {
    LoadedModule module;
    ASSERT_NE(module.plugin(), nullptr);
    EXPECT_EQ(client_.created, load);
  }
  EXPECT_EQ(client_.deleted, 20);
}

// A local squawk service on a loopback port: each exchange gets `reply` of its request's text.
// A slow one answers each exchange only after the next one has arrived or a tenth of a second has
// passed, so the plug-in's exchanges are in progress when it unloads, and each ends soon after.
class LocalService {
 public:
  using Reply = std::string (*)(const std::string& request);

  LocalService(Reply reply, bool slow) : reply_(reply), slow_(slow) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bind(socket_, reinterpret_cast<sockaddr*>(&address), length);
    listen(socket_, SOMAXCONN);
    getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    url_ = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";
    thread_ = CreateThread(nullptr, 0, &Serve, this, 0, nullptr);
  }
  ~LocalService() {
    stop_ = true;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    closesocket(socket_);
    WSACleanup();
  }
  const std::string& url() const { return url_; }

 private:
  void Answer(SOCKET exchange) const {
    std::string request;
    char chunk[1024];
    while (!slow_ && request.find("\r\n\r\n") == std::string::npos) {
      const int got = recv(exchange, chunk, sizeof chunk, 0);
      if (got <= 0) break;
      request.append(chunk, static_cast<std::size_t>(got));
    }
    const std::string reply = reply_(request);
    send(exchange, reply.data(), static_cast<int>(reply.size()), 0);
    closesocket(exchange);
  }

  static DWORD WINAPI Serve(void* self) {
    auto& service = *static_cast<LocalService*>(self);
    SOCKET waiting = INVALID_SOCKET;  // the exchange not yet answered
    while (!service.stop_) {
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(service.socket_, &readable);
      timeval tenth{0, 100000};
      const bool arrived = select(0, &readable, nullptr, nullptr, &tenth) == 1;
      if (waiting != INVALID_SOCKET) {
        service.Answer(waiting);
        waiting = INVALID_SOCKET;
      }
      if (arrived) waiting = accept(service.socket_, nullptr, nullptr);
      if (!service.slow_ && waiting != INVALID_SOCKET) {
        service.Answer(waiting);
        waiting = INVALID_SOCKET;
      }
    }
    if (waiting != INVALID_SOCKET) closesocket(waiting);
    return 0;
  }

  Reply reply_;
  bool slow_;
  SOCKET socket_;
  std::string url_;
  HANDLE thread_ = nullptr;
  volatile bool stop_ = false;
};

std::string ServerError(const std::string&) {
  return "HTTP/1.0 500 Busy\r\nContent-Length: 0\r\n\r\n";
}

// Start id 7, no update; every code request gets 1a2b (the code 1530).
std::string CodeForEveryone(const std::string& request) {
  const std::string body = request.find("sqk_assign.php") != std::string::npos ? "1a2b" : "7:1";
  return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

struct ProcessUse {
  DWORD handles = 0;
  SIZE_T private_bytes = 0;
};

// The process's handles and private memory. Wine reports neither the handle count nor
// PrivateUsage (both 0): there the handles are counted by asking after each handle value, and the
// private memory is the page-file usage, which Windows reports as the same figure.
ProcessUse MeasureProcess() {
  ProcessUse use;
  GetProcessHandleCount(GetCurrentProcess(), &use.handles);
  if (use.handles == 0) {
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
      DWORD flags = 0;
      if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++use.handles;
    }
  }
  PROCESS_MEMORY_COUNTERS_EX memory{};
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                       sizeof memory);
  use.private_bytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
  return use;
}

// An exchange the plug-in gave up on at unload ends on its own thread, which keeps the module
// loaded until then (here until the slow service answers). Waits, at most 30 s, until the
// module is no longer loaded; false when it stays.
bool ModuleLeftTheProcess() {
  for (int wait = 0; wait < 600; ++wait) {
    if (GetModuleHandleA("Kestrava.dll") == nullptr) return true;
    Sleep(50);
  }
  return false;
}

// One life of the module as the client gives it: loaded, a departure asking the silent service
// for squawk codes, a display whose countdown is started, then the display closed and the module
// unloaded while the exchanges and the countdown are still running.
void LiveOnce(SmallClient& client) {
  LoadedModule module;
  ASSERT_NE(module.plugin(), nullptr);
  for (int i = 0; i < 3; ++i) KestravaDoubleFlightPlanDataUpdate(module.plugin(), client.Plan(0));
  int view = 0;
  void* screen = KestravaDoubleCreateScreen(module.plugin(), &view, "Display 1");
  ASSERT_NE(screen, nullptr);
  KestravaDoubleScreenContentLoaded(screen, true);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 400, 300);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  for (int phase = 0; phase <= 3; ++phase) KestravaDoubleScreenRefresh(screen, dc, phase);
  const RECT& area = client.last_button_area;  // the last button drawn starts a countdown
  KestravaDoubleScreenClickObject(screen, client.last_button_type, "", area.left + 1, area.top + 1,
                                  area.left, area.top, area.right, area.bottom, 1);
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
  KestravaDoubleScreenClosed(screen);
}

// System libraries that the module's own bring in and that, under Wine, keep handles each time
// they are unloaded: msacm32 (with winmm) its registry keys, winspool (with comdlg32) its mutex.
// Loaded here for good, as a client's process keeps them in use, so that the handles counted are
// the module's own.
void KeepLeakyLibrariesLoaded() {
  for (const char* library : {"msacm32.dll", "winspool.drv"}) LoadLibraryA(library);
}

// Runs what the module's workers handed to the client's thread (they post it as window
// messages) until `done`, for at most 10 s; false when `done` never came.
template <class Done>
bool PumpMessagesUntil(Done done) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > 10000) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  return true;
}

TEST_F(ClientModuleTest, ACodeFromTheServiceIsSetOnTheClientsFlightPlan) {
  LocalService service(&CodeForEveryone, /*slow=*/false);
  client_.settings["SERVERLOCATION"] = service.url();
  client_.settings["SQK1"] = "EGLL:1";
  LoadedModule module;
  ASSERT_NE(module.plugin(), nullptr);
  KestravaDoubleFlightPlanDataUpdate(module.plugin(), client_.Plan(0));
  ASSERT_TRUE(PumpMessagesUntil([&] { return !client_.squawks_set.empty(); }));
  EXPECT_EQ(client_.squawks_set,
            (std::vector<std::pair<std::string, std::string>>{{"BAW1", "1530"}}));
}

// Unloaded right after it was loaded, the module ends its workers while they are themselves
// still ending; each time it leaves the process, nothing of it stays behind.
TEST_F(ClientModuleTest, LeavesNoHandleWhenUnloadedAsSoonAsLoaded) {
  client_.settings["SERVERLOCATION"] = "unusable";  // no exchange thread outlives the module
  KeepLeakyLibrariesLoaded();
  for (int load = 0; load < 3; ++load) LoadedModule warm_up;
  ASSERT_TRUE(ModuleLeftTheProcess());
  const DWORD before = MeasureProcess().handles;
  for (int load = 0; load < 12; ++load) {
    { LoadedModule module; }
    ASSERT_TRUE(ModuleLeftTheProcess());
  }
  // Room for the odd handle that comes and goes meanwhile.
  EXPECT_LE(MeasureProcess().handles, before + 2);
}

TEST_F(ClientModuleTest, LoadsAndUnloadsAHundredTimesWithExchangesAndCountdownsRunning) {
  LocalService service(&ServerError, /*slow=*/true);
  client_.settings["SERVERLOCATION"] = service.url();
  client_.settings["SQK1"] = "EGLL:1";
  KeepLeakyLibrariesLoaded();
  for (int load = 0; load < 10; ++load) LiveOnce(client_);  // warm-up: caches, Wine's own state
  ASSERT_TRUE(ModuleLeftTheProcess());
  const ProcessUse before = MeasureProcess();
  for (int load = 0; load < 100; ++load) LiveOnce(client_);
  ASSERT_TRUE(ModuleLeftTheProcess());
  const ProcessUse after = MeasureProcess();
  std::printf("after 100 loads: %lu handles (%lu before), %lu KiB private (%lu KiB before)\n",
              after.handles, before.handles, static_cast<unsigned long>(after.private_bytes / 1024),
              static_cast<unsigned long>(before.private_bytes / 1024));
  EXPECT_EQ(client_.created, 110);
  EXPECT_EQ(client_.deleted, 110);
  // Room for the odd handle that comes and goes meanwhile.
  EXPECT_LE(after.handles, before.handles + 4);
  EXPECT_LE(after.private_bytes, before.private_bytes + 4 * 1024 * 1024);
}

}  // namespace
