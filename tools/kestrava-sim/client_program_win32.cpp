#include <windows.h>

#include <string>

#include "tools/kestrava-sim/client_module_file.h"
#include "tools/kestrava-sim/client_program.h"
#include "tools/kestrava-sim/simulator.h"

namespace kestrava::sim {
namespace {

constexpr char kClientProgram[] = "kestrava-sim-client.exe";

// One argument as the C runtime's command-line parser reads it back.
std::string Quoted(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
    return argument;
  }
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');  // before the closing quote
  return quoted + '"';
}

// This program's folder, with its final separator.
std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

// A copy of a standard handle that the companion inherits.
HANDLE Inheritable(DWORD which) {
  HANDLE copy = nullptr;
  const HANDLE process = GetCurrentProcess();
  if (!DuplicateHandle(process, GetStdHandle(which), process, &copy, 0, TRUE,
                       DUPLICATE_SAME_ACCESS)) {
    return nullptr;
  }
  return copy;
}

}  // namespace

std::optional<int> PlayInClientProgram(const std::string& module,
                                       const std::vector<std::string>& args, std::ostream& err) {
  if (!IsClientModuleFile(module)) return std::nullopt;
  const std::string program = ProgramFolder() + kClientProgram;
  std::string command_line = Quoted(program);
  for (const std::string& arg : args) command_line += ' ' + Quoted(arg);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = Inheritable(STD_INPUT_HANDLE);
  startup.hStdOutput = Inheritable(STD_OUTPUT_HANDLE);
  startup.hStdError = Inheritable(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                                      0, nullptr, nullptr, &startup, &process);
  const DWORD start_error = GetLastError();
  for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
    if (handle != nullptr) CloseHandle(handle);
  }
  if (!started) {
    err << "kestrava-sim: cannot start " << program << " to play the module for the real client '"
        << module << "' (Windows error " << start_error << ")\n";
    return kExitLoadFailed;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = kExitFailed;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

}  // namespace kestrava::sim
