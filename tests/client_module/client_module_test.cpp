// The module for the real client, loaded and driven as the client does, through the client's ABI:
// the test double of the client's library serves a small client (one flight plan, settings, a
// display) and delivers the callbacks through the module's virtual tables.
// winsock2.h before windows.h, which psapi.h needs first.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <psapi.h>
// clang-format on

#include <algorithm>
#include <cstdio>
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
  int last_button_type = 0;  // the last screen object's type and area
  RECT last_button_area{};
  int flight_plan = 1;  // the one flight plan's and radar target's identity
  int controller = 1;   // the user's controller
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
  host.controller_myself = [](void* c) -> void* { return &Client(c)->controller; };
  host.controller_callsign = [](void*, void*) -> const char* { return "EGLL_TWR"; };
  host.controller_facility = [](void*, void*) { return 4; };
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
    KestravaDoubleInstall(nullptr);
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
  char text[16] = {};
  int colour = 0;
  unsigned long rgb = 0;
  double size = 0;
  KestravaDoubleGetTagItem(module.plugin(), &client_.flight_plan, &client_.flight_plan, 85, 0, text,
                           &colour, &rgb, &size);
  EXPECT_STREQ(text, "KK");
  EXPECT_FALSE(KestravaDoubleCompileCommand(module.plugin(), ".notours 1"));
}

TEST_F(ClientModuleTest, AFaultInsideACallbackStaysInsideAndTheNextIsAnswered) {
  LoadedModule module;
  ASSERT_NE(module.plugin(), nullptr);
  auto inject = reinterpret_cast<void (*)(int)>(
      reinterpret_cast<void*>(GetProcAddress(module.module(), "KestravaInjectCallbackFaults")));
  ASSERT_NE(inject, nullptr);
  const auto tag_item = [&] {
    char text[16] = {};
    int colour = 0;
    unsigned long rgb = 0;
    double size = 0;
    KestravaDoubleGetTagItem(module.plugin(), &client_.flight_plan, &client_.flight_plan, 85, 0,
                             text, &colour, &rgb, &size);
    return std::string(text);
  };
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

// A local squawk service that is slow: it answers each exchange (with a server error, which
// changes nothing) only after the next one has arrived or a tenth of a second has passed, so the
// plug-in's exchanges are in progress when it unloads, and each ends soon after.
class SlowService {
 public:
  SlowService() {
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
  ~SlowService() {
    stop_ = true;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    closesocket(socket_);
    WSACleanup();
  }
  const std::string& url() const { return url_; }

 private:
  static DWORD WINAPI Serve(void* self) {
    auto& service = *static_cast<SlowService*>(self);
    SOCKET waiting = INVALID_SOCKET;  // the exchange not yet answered
    while (!service.stop_) {
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(service.socket_, &readable);
      timeval tenth{0, 100000};
      const bool arrived = select(0, &readable, nullptr, nullptr, &tenth) == 1;
      if (waiting != INVALID_SOCKET) {
        constexpr char kReply[] = "HTTP/1.0 500 Busy\r\nContent-Length: 0\r\n\r\n";
        send(waiting, kReply, sizeof kReply - 1, 0);
        closesocket(waiting);
        waiting = INVALID_SOCKET;
      }
      if (arrived) waiting = accept(service.socket_, nullptr, nullptr);
    }
    if (waiting != INVALID_SOCKET) closesocket(waiting);
    return 0;
  }

  SOCKET socket_;
  std::string url_;
  HANDLE thread_ = nullptr;
  volatile bool stop_ = false;
};

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
  for (int i = 0; i < 3; ++i)
    KestravaDoubleFlightPlanDataUpdate(module.plugin(), &client.flight_plan);
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

TEST_F(ClientModuleTest, LoadsAndUnloadsAHundredTimesWithExchangesAndCountdownsRunning) {
  SlowService service;
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
