// The Windows backend's squawk services under Wine: the WinINet exchange against the reference
// squawk service (the native program of the build, started beside the test on 127.0.0.1), and
// the update notice box closed by a stop request.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/world.h"
#include "platform/env.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/wininet_http.h"
#include "plugin/QEXPlugin.h"
#include "squawk/service_location.h"
#include "tests/support/world_recorder.h"

namespace kestrava {
namespace {

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string ProgramDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir = path;
  return dir.substr(0, dir.find_last_of('\\'));
}

// Wine shows the host's root directory as drive Z:.
std::string UnixPath(const std::string& windows_path) {
  std::string unix_path = windows_path.substr(2);
  for (char& c : unix_path) {
    if (c == '\\') c = '/';
  }
  return unix_path;
}

bool WaitFor(const std::function<bool()>& ready,
             std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!ready()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Sleep(5);
  }
  return true;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The reference service, run for this test: it ends by itself after its lifetime (Wine gives no
// handle to a native process), and writes its port and the requests it gets to files.
class ReferenceService {
 public:
  explicit ReferenceService(const std::string& options) {
    static int count = 0;
    const std::string stem = ProgramDirectory() + "\\squawk-service-" +
                             std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
    port_file_ = stem + ".port";
    log_file_ = stem + ".log";
    std::string command =
        ProgramDirectory() +
        "\\squawk-service --port 0 --db :memory: --rate 0 --access-log none --lifetime 30" +
        " --port-file " + UnixPath(port_file_) + " --request-log " + UnixPath(log_file_) + " " +
        options;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                   &process);
    WaitFor([&] {
      std::ifstream in(port_file_);
      return static_cast<bool>(in >> port_);
    });
  }
  ~ReferenceService() {
    DeleteFileA(port_file_.c_str());
    DeleteFileA(log_file_.c_str());
  }

  bool serving() const { return port_ > 0; }
  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_) + "/qex/"; }
  std::vector<std::string> Requests() { return ReadLines(log_file_); }

 private:
  std::string port_file_;
  std::string log_file_;
  int port_ = 0;
};

class WinInetExchange : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RunningUnderWine())
      GTEST_SKIP() << "the reference service is a native program of Wine's host";
  }
  static HttpResult Get(const std::string& url, std::size_t limit = 1023) {
    const std::stop_source stop;
    return WinInetHttpGet(url, limit, stop.get_token());
  }
};

TEST_F(WinInetExchange, RequestLinesAndReplies) {
  ReferenceService service("--first-start-id 7 --latest 1.1 --rules /dev/null");
  ASSERT_TRUE(service.serving());
  const std::string startup =
      "sqk_startup.php?macid=1234ABCD&name=Anna%20Bell%20%26%20Co&version=1.0";
  const HttpResult announced = Get(service.BaseUrl() + startup);
  ASSERT_TRUE(announced);
  EXPECT_EQ(announced->status, 200);
  EXPECT_EQ(announced->body, "7:2");
  const std::string assign =
      "sqk_assign.php?depicao=EGLL&arricao=LFPG&ctrlcs=EGLL_TWR&ctrlname=Anna%20Bell"
      "&acftcs=BAW1&acftname=" +
      std::string(1500, 'p') + "&macid=1234ABCD&ovr=0&gnd=1&startid=7";
  const HttpResult code = Get(service.BaseUrl() + assign, 4);
  ASSERT_TRUE(code);
  EXPECT_EQ(code->body, "0");  // an empty range file: no code
  EXPECT_EQ(service.Requests(),
            (std::vector<std::string>{"GET /qex/" + startup, "GET /qex/" + assign}));
}

TEST_F(WinInetExchange, FaultsAndTheBodyLimit) {
  ReferenceService error("--fault error");
  ReferenceService garbage("--fault garbage");
  ReferenceService drop("--fault drop");
  ASSERT_TRUE(error.serving() && garbage.serving() && drop.serving());
  const HttpResult page = Get(error.BaseUrl() + "sqk_startup.php");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 500);
  EXPECT_NE(page->body.find("Internal Server Error"), std::string::npos);
  const HttpResult cut = Get(garbage.BaseUrl() + "sqk_assign.php", 4);
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->body.size(), 4u);
  EXPECT_FALSE(Get(drop.BaseUrl() + "sqk_assign.php"));
  EXPECT_FALSE(Get("http://127.0.0.1:1/qex/sqk_assign.php"));  // refused
  EXPECT_FALSE(Get("file:///C:/windows/win.ini"));             // not the web's schemes
}

TEST_F(WinInetExchange, UnloadStopAbortsAHangingExchange) {
  ReferenceService hanging("--fault delay --delay-ms 60000");
  ASSERT_TRUE(hanging.serving());
  std::stop_source stop;
  auto exchange = std::async(std::launch::async, [&] {
    return WinInetHttpGet(hanging.BaseUrl() + "sqk_assign.php", 4, stop.get_token());
  });
  ASSERT_TRUE(WaitFor([&] { return !hanging.Requests().empty(); }));
  stop.request_stop();
  ASSERT_EQ(exchange.wait_for(std::chrono::seconds(3)), std::future_status::ready);
  EXPECT_FALSE(exchange.get());
}

// The whole chain on the Windows backend: the code comes back through the message-only window
// on this (the host's) thread.
TEST_F(WinInetExchange, WorkerCodeArrivesOnTheHostThread) {
  ReferenceService service("--first-start-id 3");  // the default range: codes from 4001
  ASSERT_TRUE(service.serving());
  Env& env = Env::Default();
  StartId.store(0);
  AircraftRegistry registry;
  standin::World world;
  testing::WorldRecorder recorder;
  world.SetObserver(&recorder);
  world.settings().Preset("SERVERLOCATION", service.BaseUrl());
  world.settings().Preset("SQK1", "EGLL:1");
  auto plugin = std::make_unique<QEXPlugin>(env, registry);
  world.AttachPlugIn(plugin.get());
  standin::Aircraft& a = world.AddOrGetAircraft("BAW1");
  a.flight_plan.origin = "EGLL";
  a.flight_plan.destination = "LFPG";
  plugin->RequestSquawk(plugin->AircraftSelect("BAW1"));
  EXPECT_TRUE(WaitFor([&] {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    return !recorder.squawks.empty() && plugin->workers().Running() == 0;
  }));
  EXPECT_EQ(recorder.squawks, (std::vector<std::pair<std::string, std::string>>{{"BAW1", "4001"}}));
  EXPECT_EQ(StartId.load(), 3);
  plugin.reset();
}

TEST(Win32Notice, UnloadClosesTheOpenNotice) {
  const std::string caption = "Kestrava notice " + std::to_string(GetCurrentProcessId());
  std::stop_source stop;
  auto notice = std::async(std::launch::async, [&] {
    ShowSystemModalNotice(caption, "New update available.", stop.get_token());
  });
  ASSERT_TRUE(WaitFor([&] { return FindWindowA(nullptr, caption.c_str()) != nullptr; }));
  stop.request_stop();
  EXPECT_EQ(notice.wait_for(std::chrono::seconds(3)), std::future_status::ready);
}

TEST(Win32Notice, UnloadBeforeTheNoticeAppears) {
  std::stop_source before;
  before.request_stop();
  ShowSystemModalNotice("Kestrava", "never shown", before.get_token());  // returns at once

  // A stop that comes while the box is being made still closes it.
  for (int i = 0; i < 5; ++i) {
    std::stop_source stop;
    auto notice = std::async(std::launch::async, [&] {
      ShowSystemModalNotice("Kestrava race", "closed as it appears", stop.get_token());
    });
    stop.request_stop();
    EXPECT_EQ(notice.wait_for(std::chrono::seconds(3)), std::future_status::ready);
  }
}

}  // namespace
}  // namespace kestrava
