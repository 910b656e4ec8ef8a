// A program the tests run to its end (PostgreSQL's initdb and pg_ctl), with its output.
//
// Output (standard output and error together) goes to a temporary file, so the program never
// blocks on a full pipe. Thread: any. Failure to start throws std::runtime_error naming the
// program.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace squawk_service::test_support {

struct RunResult {
  int exit_code = -1;  // -1: ended by a signal
  std::string output;
};

// Runs `argv` (searched on PATH) in `directory` (empty: the current one) and waits for it.
RunResult RunProgram(const std::vector<std::string>& argv,
                     const std::filesystem::path& directory = {});

}  // namespace squawk_service::test_support
