#include "tools/kestrava-sim/simulator.h"

#include <cstdio>
#include <exception>
#include <optional>
#include <system_error>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/feed_import/feed_import.h"
#include "tools/kestrava-sim/report/run_report.h"
#include "tools/kestrava-sim/scenario.h"
#include "tools/kestrava-sim/simulation.h"
#include "tools/kestrava-sim/step_feed.h"
#include "tools/kestrava-sim/traffic_generator.h"

namespace kestrava::sim {
namespace {

constexpr char kUsage[] =
    "usage: kestrava-sim SCENARIO.json [--out DIR] [--module PATH] [--check] [--report]\n"
    "       kestrava-sim generate FILE [--aircraft N] [--hours H] [--seed S] [--airports A,B,...] "
    "[--squawks] [--start TIME]\n"
    "       kestrava-sim import-feed SNAPSHOT.json [SNAPSHOT.json ...] --out SCENARIO.json "
    "[--airport ICAO ...]";
constexpr char kDefaultOutput[] = "kestrava-out";

struct Options {
  std::string scenario;
  std::string output = kDefaultOutput;
  std::optional<std::string> module;
  bool help = false;
  bool check_only = false;
  bool report = false;
};

// Returns an error message, or "" when the arguments are good.
std::string ParseArguments(const std::vector<std::string>& args, Options& options) {
  bool have_scenario = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg == "--check") {
      options.check_only = true;
    } else if (arg == "--report") {
      options.report = true;
    } else if (arg == "--out" || arg == "--module") {
      // An empty module path would load the program itself.
      if (i + 1 == args.size() || args[i + 1].empty()) {
        return arg + (arg == "--out" ? " needs a folder" : " needs a module file");
      }
      (arg == "--out" ? options.output : options.module.emplace()) = args[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      return "unknown option " + arg;
    } else if (have_scenario) {
      return "more than one scenario given ('" + options.scenario + "', '" + arg + "')";
    } else {
      options.scenario = arg;
      have_scenario = true;
    }
  }
  if (!have_scenario && !options.help) return "no scenario file given";
  return "";
}

std::string DefaultModule(const std::filesystem::path& program) {
  return (program.parent_path() / KESTRAVA_MODULE_FILE_NAME).string();
}

std::string UtcText(std::int64_t unix_millis) {
  const SystemTime t = SystemTimeFromUnixMillis(unix_millis);
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{t.wYear},
                unsigned{t.wMonth}, unsigned{t.wDay}, unsigned{t.wHour}, unsigned{t.wMinute},
                unsigned{t.wSecond});
  return text;
}

void DescribeScenario(const Scenario& scenario, std::ostream& out) {
  out << "Scenario " << scenario.file << ": " << scenario.step_count << " steps, "
      << UtcText(scenario.start_unix_millis) << " to "
      << UtcText(scenario.start_unix_millis + scenario.end_millis) << " UTC\n";
}

void Report(const Scenario& scenario, Simulation& sim, std::ostream& out) {
  DescribeScenario(scenario, out);
  out << '\n';
  sim.summary().Print(out);
  const std::int64_t events = sim.events().lines_written();
  out << "\nEvents: " << sim.events_path() << " (" << events
      << (events == 1 ? " line)\n" : " lines)\n");
  for (const auto& [path, file] : sim.written_files()) {
    out << "File written by the plug-in: " << file.resolved_path << " (" << file.lines
        << (file.lines == 1 ? " line)\n" : " lines)\n");
  }
}

// Writes report.html beside the event log; false, saying why on `err`, when it cannot.
bool WriteReport(const Scenario& scenario, Simulation& sim, const std::string& output,
                 const std::string& exit_status, std::ostream& err) {
  report::RunRecords records;
  records.scenario = &scenario;
  records.output_folder = output;
  records.events = sim.events_path();
  for (const auto& [path, file] : sim.written_files()) {
    records.logs.emplace_back(path, file.resolved_path);
  }
  records.exit_status = exit_status;
  std::string error;
  if (report::WriteRunReport(records, error)) return true;
  err << "kestrava-sim: cannot write the report: " << error << '\n';
  return false;
}

}  // namespace

int RunSimulator(const std::vector<std::string>& args, const std::filesystem::path& program,
                 std::ostream& out, std::ostream& err, const ModuleLoading& loading) {
  if (!args.empty() && args.front() == "generate") {
    return RunGenerate({args.begin() + 1, args.end()}, out, err);
  }
  if (!args.empty() && args.front() == "import-feed") {
    return RunImportFeed({args.begin() + 1, args.end()}, out, err);
  }
  Options options;
  if (const std::string problem = ParseArguments(args, options); !problem.empty()) {
    err << "kestrava-sim: " << problem << '\n' << kUsage << '\n';
    return kExitBadScenario;
  }
  if (options.help) {
    out << kUsage << '\n';
    return kExitDone;
  }
  if (options.module && loading.play_elsewhere) {
    if (const std::optional<int> code = loading.play_elsewhere(*options.module, args, err)) {
      return *code;
    }
  }
  try {
    const Extensions extensions = BuiltInExtensions();
    Scenario scenario;
    try {
      scenario = CheckScenario(options.scenario, extensions.steps);
    } catch (const ScenarioError& error) {
      err << "kestrava-sim: " << error.what() << '\n';
      return kExitBadScenario;
    }
    if (options.check_only) {
      DescribeScenario(scenario, out);
      return kExitDone;
    }
    std::error_code ec;
    std::filesystem::create_directories(options.output, ec);
    if (ec) {
      err << "kestrava-sim: cannot create the output folder '" << options.output
          << "': " << ec.message() << '\n';
      return kExitFailed;
    }
    Simulation sim(scenario, extensions, options.output, err);
    if (!sim.events_ok()) {
      err << "kestrava-sim: cannot write '" << sim.events_path() << "': " << sim.events().error()
          << '\n';
      return kExitFailed;
    }
    const std::string module = options.module ? *options.module : DefaultModule(program);
    std::string error;
    if (!sim.Load(module, error, loading.open)) {
      err << "kestrava-sim: cannot load the plug-in: " << error << '\n';
      return kExitLoadFailed;
    }
    bool events_written = false;
    try {
      {
        StepFeed steps(scenario, extensions.steps);
        sim.Play(steps);
      }
      events_written = sim.Finish();
    } catch (const ScenarioError& bad_step) {
      // A step asked for what cannot be done (a dialog's control it does not have).
      err << "kestrava-sim: " << bad_step.what() << '\n';
      return kExitBadScenario;
    }
    Report(scenario, sim, out);
    if (!events_written) {
      const EventLog& events = sim.events();
      err << "kestrava-sim: cannot write '" << sim.events_path() << "': " << events.error() << " ("
          << events.lines_written() << " of " << events.lines_given()
          << " events written; the run stopped there)\n";
      if (options.report) {
        WriteReport(scenario, sim, options.output, "1: the event log could not be written", err);
      }
      return kExitFailed;
    }
    if (options.report && !WriteReport(scenario, sim, options.output, "0: done", err)) {
      return kExitFailed;
    }
    out.flush();
    if (!out) {
      err << "kestrava-sim: cannot write the summary\n";
      return kExitFailed;
    }
    return kExitDone;
  } catch (const std::exception& error) {
    err << "kestrava-sim: " << error.what() << '\n';
    return kExitFailed;
  }
}

}  // namespace kestrava::sim
