// The local reference squawk service as the native program "squawk-service" beside the
// simulator, started through Wine (which runs programs of its host as well as Windows ones).
#include <windows.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <thread>

#include "tools/kestrava-sim/local_squawk_service.h"

namespace kestrava::sim {
namespace {

constexpr auto kStartLimit = std::chrono::seconds(10);

// The host path of a Windows path, through Wine's own conversion; nothing outside Wine.
std::optional<std::string> HostPath(const std::string& windows_path) {
  using Convert = char* (*)(const WCHAR*);
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  const auto convert = reinterpret_cast<Convert>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
  if (convert == nullptr) return std::nullopt;
  std::wstring wide(windows_path.begin(), windows_path.end());
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

class SpawnedService final : public LocalSquawkService {
 public:
  SpawnedService(int port, std::string port_file) : port_(port), port_file_(std::move(port_file)) {}
  ~SpawnedService() override { DeleteFileA(port_file_.c_str()); }
  std::string BaseUrl() const override {
    return "http://127.0.0.1:" + std::to_string(port_) + "/qex/";
  }

 private:
  int port_;
  std::string port_file_;
};

}  // namespace

std::unique_ptr<LocalSquawkService> LocalSquawkService::Start(std::string& error) {
  const std::string program = ProgramDirectory() + "\\squawk-service";
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string port_file =
      std::string(temp) + "kestrava-squawk-" + std::to_string(GetCurrentProcessId()) + ".port";
  DeleteFileA(port_file.c_str());
  const std::optional<std::string> host_port_file = HostPath(port_file);
  if (!host_port_file || GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
    error = "the reference squawk service runs only beside Wine, from " + program;
    return nullptr;
  }
  // The program ends with its parent; Wine gives no handle to end it by.
  std::string command =
      "\"" + program + "\" --port 0 --exit-with-parent --port-file \"" + *host_port_file + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                 &process);
  if (process.hProcess != nullptr) CloseHandle(process.hProcess);
  if (process.hThread != nullptr) CloseHandle(process.hThread);
  const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
  while (std::chrono::steady_clock::now() < deadline) {
    int port = 0;
    if (std::ifstream(port_file) >> port && port > 0) {
      return std::make_unique<SpawnedService>(port, port_file);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  error = "the reference squawk service did not start: " + program;
  return nullptr;
}

}  // namespace kestrava::sim
