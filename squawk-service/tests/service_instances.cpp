#include "squawk-service/tests/service_instances.h"

#include <httplib.h>
#include <stdlib.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace squawk_service::testing {
namespace {

using Clock = std::chrono::steady_clock;

// The general pool holds every code from 0100 up: more than 3,000 after the reserved ones.
constexpr char kRules[] =
    "general = [\"0100-7777\"]\n"
    "max_codes_per_macid = 4096\n"
    "requests_per_second = 100000.0\n"
    "request_burst = 100000\n";

std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::string text;
  std::getline(in, text);
  return text;
}

}  // namespace

ServiceInstances::ServiceInstances(const std::string& database, int count, int connections) {
  char pattern[] = "/tmp/squawk-instances-XXXXXX";
  if (mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  folder_ = pattern;
  std::ofstream(folder_ / "rules.toml") << kRules;
  for (int i = 0; i < count; ++i) {
    const std::filesystem::path port_file = folder_ / ("port" + std::to_string(i));
    processes_.push_back(std::make_unique<ChildProcess>(
        std::vector<std::string>{SQUAWK_SERVICE_PROGRAM, "--host", "127.0.0.1", "--port", "0",
                                 "--port-file", port_file.string(), "--db", database,
                                 "--db-connections", std::to_string(connections), "--rules",
                                 (folder_ / "rules.toml").string(), "--access-log", "none"},
        folder_ / ("log" + std::to_string(i))));
  }
  // Each program writes its port once it accepts connections.
  for (int i = 0; i < count; ++i) {
    const std::filesystem::path port_file = folder_ / ("port" + std::to_string(i));
    const Clock::time_point give_up = Clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists(port_file)) {
      if (!processes_[static_cast<std::size_t>(i)]->Running() || Clock::now() > give_up) {
        throw std::runtime_error("squawk-service did not start:\n" + Output(i));
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ports_.push_back(std::stoi(Slurp(port_file)));
  }
}

ServiceInstances::~ServiceInstances() {
  processes_.clear();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void ServiceInstances::Kill(int instance, int signal) {
  processes_[static_cast<std::size_t>(instance)]->Kill(signal);
}

bool ServiceInstances::Running(int instance) {
  return processes_[static_cast<std::size_t>(instance)]->Running();
}

std::string ServiceInstances::Output(int instance) const {
  return processes_[static_cast<std::size_t>(instance)]->Output();
}

HttpAnswer Get(int port, const std::string& target) {
  httplib::Client client("127.0.0.1", port);
  client.set_read_timeout(std::chrono::seconds(30));
  const httplib::Result result = client.Get(target);
  if (!result) return {};
  return {result->status, result->body};
}

}  // namespace squawk_service::testing
