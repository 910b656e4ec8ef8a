// The local reference squawk service as the native program "squawk-service" beside the
// simulator, started through Wine (which runs programs of its host as well as Windows ones).
// Wine gives no handle to end such a program by, so the simulator keeps a watch connection open
// to it ("--exit-with-watcher"): closing it, or the simulator's end, ends the service.
// The sockets headers must come before windows.h.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
// clang-format on

#include <chrono>
#include <fstream>
#include <optional>
#include <thread>
#include <utility>

#include "tools/kestrava-sim/local_squawk_service.h"

namespace kestrava::sim {
namespace {

constexpr auto kStartLimit = std::chrono::seconds(10);
// Longer than the service keeps an idle connection open (1 s).
constexpr auto kKeptConnectionLimit = std::chrono::milliseconds(1500);

// The host path of a Windows path, through Wine's own conversion; nothing outside Wine.
std::optional<std::string> HostPath(const std::string& windows_path) {
  using Convert = char* (*)(const WCHAR*);
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  const auto convert = reinterpret_cast<Convert>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
  if (convert == nullptr) return std::nullopt;
  const std::wstring wide(windows_path.begin(), windows_path.end());
  char* host = convert(wide.c_str());
  if (host == nullptr) return std::nullopt;
  std::string path = host;
  HeapFree(GetProcessHeap(), 0, host);
  return path;
}

std::string ProgramDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string program = path;
  return program.substr(0, program.find_last_of('\\'));
}

// Opens "GET /watch" on the service and leaves it open; INVALID_SOCKET when it cannot.
SOCKET OpenWatch(int port) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return INVALID_SOCKET;
  const SOCKET watch = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (watch == INVALID_SOCKET) {
    WSACleanup();
    return INVALID_SOCKET;
  }
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  static constexpr char kRequest[] = "GET /watch HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
  if (connect(watch, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      send(watch, kRequest, sizeof kRequest - 1, 0) != static_cast<int>(sizeof kRequest - 1)) {
    closesocket(watch);
    WSACleanup();
    return INVALID_SOCKET;
  }
  return watch;
}

// Whether a connection to the port is refused (nothing listens there).
bool Refused(int port) {
  const SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (probe == INVALID_SOCKET) return false;
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool refused = connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0;
  closesocket(probe);
  return refused;
}

// Starts the program on `port` (0: any free port), by the rules in `rules_file` when one is
// named, and opens its watch; the port served, and the watch, or 0 with the reason in `error`.
int Spawn(int port, const std::string& rules_file, SOCKET& watch, std::string& error) {
  const std::string program = ProgramDirectory() + "\\squawk-service";
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string port_file =
      std::string(temp) + "kestrava-squawk-" + std::to_string(GetCurrentProcessId()) + ".port";
  DeleteFileA(port_file.c_str());
  const std::optional<std::string> host_port_file = HostPath(port_file);
  if (!host_port_file || GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
    error = "the reference squawk service runs only beside Wine, from " + program;
    return 0;
  }
  std::string command = "\"" + program + "\" --port " + std::to_string(port) +
                        " --db :memory: --rate 0 --access-log none --exit-with-watcher" +
                        " --port-file \"" + *host_port_file + "\"";
  if (!rules_file.empty()) {
    const std::optional<std::string> host_rules = HostPath(rules_file);
    if (!host_rules) {
      error = "the squawk rules " + rules_file + " have no host path";
      return 0;
    }
    command += " --rules \"" + *host_rules + "\"";
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                 &process);
  if (process.hProcess != nullptr) CloseHandle(process.hProcess);
  if (process.hThread != nullptr) CloseHandle(process.hThread);

  int served = 0;
  const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
  while (!(std::ifstream(port_file) >> served) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  DeleteFileA(port_file.c_str());
  watch = served > 0 ? OpenWatch(served) : INVALID_SOCKET;
  if (watch == INVALID_SOCKET) {
    error = "the reference squawk service did not start: " + program;
    return 0;
  }
  return served;
}

class SpawnedService final : public LocalSquawkService {
 public:
  SpawnedService(int port, std::string rules_file, SOCKET watch)
      : port_(port), rules_file_(std::move(rules_file)), watch_(watch) {}
  ~SpawnedService() override { EndWatch(); }
  std::string BaseUrl() const override {
    return "http://127.0.0.1:" + std::to_string(port_) + "/qex/";
  }
  bool SetServing(bool serving, std::string& error) override {
    if (serving == (watch_ != INVALID_SOCKET)) return true;
    if (serving) {
      if (Spawn(port_, rules_file_, watch_, error) != 0) return true;
      error = "cannot serve " + BaseUrl() + " again: " + error;
      return false;
    }
    EndWatch();
    // The program ends on its own once its watch is closed; wait until it no longer listens.
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return true;
    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    while (!Refused(port_) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    WSACleanup();
    // Connections the program kept open for more requests end with it, or after their idle
    // limit: the system's HTTP client must not find one of them still answering.
    std::this_thread::sleep_for(kKeptConnectionLimit);
    return true;
  }

 private:
  void EndWatch() {
    if (watch_ == INVALID_SOCKET) return;
    closesocket(watch_);  // the service ends
    WSACleanup();
    watch_ = INVALID_SOCKET;
  }

  int port_;
  std::string rules_file_;
  SOCKET watch_;  // INVALID_SOCKET while stopped
};

}  // namespace

std::unique_ptr<LocalSquawkService> LocalSquawkService::Start(const std::string& rules_file,
                                                              std::string& error) {
  SOCKET watch = INVALID_SOCKET;
  const int port = Spawn(0, rules_file, watch, error);
  if (port == 0) return nullptr;
  return std::make_unique<SpawnedService>(port, rules_file, watch);
}

}  // namespace kestrava::sim
