// Programs the tests start: run one to its end, or keep one running and end it on purpose.
//
// Output (standard output and error) goes to a file, so a child never blocks on a full pipe.
// Thread: any; one object is used by one thread at a time. Failure to start throws
// std::runtime_error naming the program.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace squawk_service::testing {

struct RunResult {
  int exit_code = -1;  // -1: ended by a signal
  std::string output;  // standard output and error together
};

// Runs `argv` (searched on PATH) in `directory` (empty: the current one) and waits for it.
RunResult RunProgram(const std::vector<std::string>& argv,
                     const std::filesystem::path& directory = {});

class ChildProcess {
 public:
  // Starts `argv`; its output is written to `log`.
  ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& log);
  ~ChildProcess();  // SIGKILL and wait, when still running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  bool Running();
  // Sends `signal` and waits for the end; returns the exit code (-1: ended by a signal).
  int Kill(int signal);
  std::string Output() const;

 private:
  pid_t pid_ = -1;
  std::filesystem::path log_;
};

}  // namespace squawk_service::testing
