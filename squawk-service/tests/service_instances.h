// Several squawk-service programs (ServiceProcess) on one database, for tests and benchmarks:
// a rules file whose general pool holds more than 3,000 codes, no rate limit worth the name.
//
// Thread: the owner's. Failure to start throws std::runtime_error with the program's errors.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "squawk-service/tests/service_process.h"

namespace squawk_service::test_support {

class ServiceInstances {
 public:
  // Starts `count` programs on `database` with at most `connections` database connections each.
  ServiceInstances(const std::string& database, int count, int connections);
  ~ServiceInstances();  // kills every instance still running, removes their folder

  int count() const { return static_cast<int>(processes_.size()); }
  int port(int instance) const { return processes_[static_cast<std::size_t>(instance)]->port(); }
  // Sends `signal` and waits for the instance's end.
  void Kill(int instance, int signal);

 private:
  std::filesystem::path folder_;
  std::vector<std::unique_ptr<testing::ServiceProcess>> processes_;
};

}  // namespace squawk_service::test_support
