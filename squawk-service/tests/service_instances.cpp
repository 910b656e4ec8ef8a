#include "squawk-service/tests/service_instances.h"

#include <stdlib.h>

#include <fstream>
#include <stdexcept>

namespace squawk_service::test_support {
namespace {

// The general pool holds every code from 0100 up: more than 3,000 after the reserved ones.
constexpr char kRules[] =
    "general = [\"0100-7777\"]\n"
    "max_codes_per_macid = 4096\n"
    "requests_per_second = 100000.0\n"
    "request_burst = 100000\n";

}  // namespace

ServiceInstances::ServiceInstances(const std::string& database, int count, int connections) {
  char pattern[] = "/tmp/squawk-instances-XXXXXX";
  if (mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  folder_ = pattern;
  const std::string rules = (folder_ / "rules.toml").string();
  std::ofstream(rules) << kRules;
  for (int i = 0; i < count; ++i) {
    auto process = std::make_unique<testing::ServiceProcess>(
        (folder_ / ("instance" + std::to_string(i))).string(),
        std::vector<std::string>{"--host", "127.0.0.1", "--port", "0", "--db", database,
                                 "--db-connections", std::to_string(connections), "--rules", rules,
                                 "--access-log", "none"});
    if (!process->running() || process->port() <= 0) {
      const std::string errors = process->Errors();
      processes_.clear();
      std::filesystem::remove_all(folder_);
      throw std::runtime_error("squawk-service did not start:\n" + errors);
    }
    processes_.push_back(std::move(process));
  }
}

ServiceInstances::~ServiceInstances() {
  processes_.clear();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void ServiceInstances::Kill(int instance, int signal) {
  processes_[static_cast<std::size_t>(instance)]->Signal(signal);
  processes_[static_cast<std::size_t>(instance)]->Wait();
}

}  // namespace squawk_service::test_support
