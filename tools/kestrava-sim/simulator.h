// kestrava-sim: plays a scenario against the plug-in module and reports what it did.
//
//   kestrava-sim SCENARIO.json [--out DIR] [--module PATH] [--check] [--report]
//   kestrava-sim generate FILE [options]     (see traffic_generator.h)
//   kestrava-sim import-feed SNAPSHOT.json ... --out SCENARIO.json [--airport ICAO ...]
//                                            (see feed_import/feed_import.h)
//
// Writes DIR/events.jsonl (default DIR "kestrava-out", created when missing) and prints a summary
// table on `out`. Relative file paths the plug-in uses (the statistics log's) are taken inside
// DIR. The module defaults to the one built beside the program. With --check the scenario is only
// read and checked. With --report DIR/report.html is written after the run (report/run_report.h);
// a report that cannot be written makes the exit code 1.
//
// Exit codes: 0 done; 1 the output (the event log, a settings file, the summary) could not be
// written or the run failed; 2 a bad command line or a bad scenario, also one whose step asks for
// what cannot be done when it is played (the message names the file, the step's index and the
// field); 3 the plug-in module cannot be loaded.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "host/module_loader.h"

namespace kestrava::sim {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitBadScenario = 2;
inline constexpr int kExitLoadFailed = 3;

// How a program of the simulator plays a module; both empty: the stand-in's way, here.
struct ModuleLoading {
  // Given the --module path and the arguments before anything else is done: the exit code when
  // another program played the run, nothing to play it here.
  std::function<std::optional<int>(const std::string& module, const std::vector<std::string>& args,
                                   std::ostream& err)>
      play_elsewhere;
  // Opens the module in the World (empty: standin::PlugInModule::Open).
  standin::ModuleOpener open;
};

// `args` are the arguments after the program's name; `program` is the program's own path (the
// default module is looked for beside it).
int RunSimulator(const std::vector<std::string>& args, const std::filesystem::path& program,
                 std::ostream& out, std::ostream& err, const ModuleLoading& loading = {});

}  // namespace kestrava::sim
