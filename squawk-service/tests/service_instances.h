// Several squawk-service programs (the one built beside the tests) on one database, on free
// loopback ports, for tests and benchmarks.
//
// Thread: the owner's. Failure to start throws std::runtime_error with the program's output.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "squawk-service/tests/child_process.h"

namespace squawk_service::testing {

class ServiceInstances {
 public:
  // Starts `count` programs on `database` with a rules file whose general pool has 3,000 codes
  // and more, no rate limit worth the name and `connections` database connections each.
  ServiceInstances(const std::string& database, int count, int connections);
  ~ServiceInstances();  // stops every instance still running

  int count() const { return static_cast<int>(ports_.size()); }
  int port(int instance) const { return ports_[static_cast<std::size_t>(instance)]; }
  void Kill(int instance, int signal);
  bool Running(int instance);
  std::string Output(int instance) const;

 private:
  std::filesystem::path folder_;
  std::vector<std::unique_ptr<ChildProcess>> processes_;
  std::vector<int> ports_;
};

// GET `target` from an instance: the status (0 when there was no answer) and the body.
struct HttpAnswer {
  int status = 0;
  std::string body;
};
HttpAnswer Get(int port, const std::string& target);

}  // namespace squawk_service::testing
