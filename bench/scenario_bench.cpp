// Generated traffic end to end: the simulator (the release build's kestrava-sim beside this
// program) reads and plays a scenario as a child process; wall time, steps per second and the
// child's peak memory (getrusage's maximum resident set); steps per second of the child's CPU time
// too, for a loaded machine. "Check" only reads and checks the file.
// The scenarios come from scripts/bench-scenarios, in the folder named by
// KESTRAVA_BENCH_SCENARIOS: traffic-1h.json and traffic-24h.json (2,000 aircraft reporting every
// 5 s), and traffic-1h-one-line.json (the hour without line breaks). The targets, in
// scripts/bench-scenarios: the 24-hour one plays with at most 200 MB, the one-hour one within
// 10 % of that, and the one-hour one in a bounded multiple of the processor time its check takes,
// reading included; the hour on one line is checked within 10 % of the memory the hour with line
// breaks takes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct ChildRun {
  bool ok = false;
  double seconds = 0;
  double cpu_seconds = 0;  // the child's, user and system
  double peak_mb = 0;
  double steps = 0;
};

// Runs kestrava-sim with `args`, its standard output in `out_file`.
ChildRun RunSimulator(const std::vector<std::string>& args, const fs::path& out_file) {
  const fs::path program = fs::read_symlink("/proc/self/exe").parent_path() / "kestrava-sim";
  std::vector<std::string> all{program.string()};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  ChildRun run;
  const auto begin = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  const auto seconds_of = [](const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
  };
  run.cpu_seconds = seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime);
  run.peak_mb = static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  // "Scenario <file>: <n> steps, ..." heads the report.
  std::ifstream report(out_file);
  std::string line;
  std::getline(report, line);
  const auto colon = line.rfind(": ");
  if (colon != std::string::npos) run.steps = std::atof(line.c_str() + colon + 2);
  return run;
}

void BM_Scenario(benchmark::State& state, const char* name, bool check_only) {
  const char* folder = std::getenv("KESTRAVA_BENCH_SCENARIOS");
  const fs::path scenario = fs::path(folder != nullptr ? folder : "") / name;
  if (folder == nullptr || !fs::exists(scenario)) {
    state.SkipWithError("no scenario: run scripts/bench-scenarios");
    return;
  }
  const fs::path out = fs::temp_directory_path() / "kestrava-bench-out";
  ChildRun run;
  for (auto _ : state) {
    fs::remove_all(out);
    std::vector<std::string> args{scenario.string(), "--out", out.string()};
    if (check_only) args.push_back("--check");
    run = RunSimulator(args, out.string() + ".txt");
    if (!run.ok) {
      state.SkipWithError("kestrava-sim failed");
      break;
    }
    state.SetIterationTime(run.seconds);
  }
  fs::remove_all(out);
  fs::remove(out.string() + ".txt");
  state.counters["steps"] = run.steps;
  state.counters["steps_per_s"] = run.seconds > 0 ? run.steps / run.seconds : 0;
  state.counters["steps_per_cpu_s"] = run.cpu_seconds > 0 ? run.steps / run.cpu_seconds : 0;
  state.counters["peak_MB"] = run.peak_mb;
}

BENCHMARK_CAPTURE(BM_Scenario, Check1h, "traffic-1h.json", true)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Scenario, Check1hOneLine, "traffic-1h-one-line.json", true)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Scenario, Play1h, "traffic-1h.json", false)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Scenario, Play24h, "traffic-24h.json", false)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
