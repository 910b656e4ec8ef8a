// The module for the real client, loaded and driven as the client does, through the client's ABI:
// the test double of the client's library serves a small client (one flight plan, settings, a
// display) and delivers the callbacks through the module's virtual tables.
#include <windows.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "host/client_double/client_double.h"

extern "C" int KestravaProbeTable(int table, const char** expected, const char** got);
extern "C" int KestravaProbeHandles(void);

namespace {

constexpr char kInitName[] = "?EuroScopePlugInInit@@YAXPAPAVCPlugIn@EuroScopePlugIn@@@Z";
constexpr char kExitName[] = "?EuroScopePlugInExit@@YAXXZ";

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
  int flight_plan = 1;  // the one flight plan's and radar target's identity
};

SmallClient* Client(void* context) { return static_cast<SmallClient*>(context); }

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
    Client(c)->settings[key] = value != nullptr ? value : "";
  };
  host.controller_myself = [](void*) -> void* { return nullptr; };
  host.flight_plan_text = [](void*, void*, KestravaDoubleText text) -> const char* {
    switch (text) {
      case KESTRAVA_DOUBLE_CALLSIGN: return "BAW1";
      case KESTRAVA_DOUBLE_ORIGIN: return "EGLL";
      case KESTRAVA_DOUBLE_DESTINATION: return "EGKK";
      default: return "";
    }
  };
  host.flight_plan_radar_target = [](void* c, void*) -> void* { return &Client(c)->flight_plan; };
  host.radar_target_flight_plan = [](void* c, void*) -> void* { return &Client(c)->flight_plan; };
  host.radar_target_callsign = [](void*, void*) -> const char* { return "BAW1"; };
  host.get_display_setting = [](void* c, void*, const char* key) -> const char* {
    auto found = Client(c)->display_settings.find(key);
    return found == Client(c)->display_settings.end() ? nullptr : found->second.c_str();
  };
  host.save_display_setting = [](void* c, void*, const char* key, const char*, const char* value) {
    Client(c)->display_settings[key] = value != nullptr ? value : "";
  };
  host.add_screen_object = [](void* c, void*, int, const char*, int, int, int, int, bool,
                              const char*) { ++Client(c)->screen_objects; };
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
    if (exit_ != nullptr) exit_();
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
  void TearDown() override { KestravaDoubleInstall(nullptr); }

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
  char text[16] = {};
  int colour = 0;
  unsigned long rgb = 0;
  double size = 0;
  KestravaDoubleGetTagItem(module.plugin(), &client_.flight_plan, &client_.flight_plan, 85, 0, text,
                           &colour, &rgb, &size);
  EXPECT_STREQ(text, "KK");
  EXPECT_FALSE(KestravaDoubleCompileCommand(module.plugin(), ".notours 1"));
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

}  // namespace
