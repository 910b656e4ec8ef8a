// kestrava-sim and kestrava-sim-client: the stand-in host driven by a scenario file (see
// simulator.h), each program with its way of playing modules (program_loading.h).
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "tools/kestrava-sim/program_loading.h"
#include "tools/kestrava-sim/simulator.h"

namespace {

// The program's own path: argv[0] when it names a folder, else the running executable's link
// (Linux, when started through PATH).
std::filesystem::path ProgramPath(const char* argv0) {
  const std::filesystem::path given = argv0 != nullptr ? argv0 : "";
  if (given.has_parent_path()) return given;
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? given : self;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const int code =
      kestrava::sim::RunSimulator(args, ProgramPath(argc > 0 ? argv[0] : nullptr), std::cout,
                                  std::cerr, kestrava::sim::ProgramModuleLoading());
  // What went to standard output must have reached it.
  std::cout.flush();
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0 || !std::cout) {
    std::cerr << "kestrava-sim: cannot write to standard output\n";
    return code == kestrava::sim::kExitDone ? kestrava::sim::kExitFailed : code;
  }
  return code;
}
