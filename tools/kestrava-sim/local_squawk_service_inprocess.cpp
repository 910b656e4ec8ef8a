// The local squawk service, in process.
#include <fstream>
#include <sstream>

#include "squawk-service/service.h"
#include "tools/kestrava-sim/local_squawk_service.h"

namespace kestrava::sim {
namespace {

class InProcessService final : public LocalSquawkService {
 public:
  explicit InProcessService(squawk_service::ServiceOptions options)
      : service_(std::move(options)) {}
  bool Start() { return service_.Start(); }
  std::string BaseUrl() const override { return service_.BaseUrl(); }

 private:
  squawk_service::SquawkService service_;
};

}  // namespace

std::unique_ptr<LocalSquawkService> LocalSquawkService::Start(const std::string& rules_file,
                                                              std::string& error) {
  // In memory, and without rate limits: a scenario's departures all come from this machine.
  squawk_service::ServiceOptions options;
  options.db = ":memory:";
  if (!rules_file.empty()) {
    std::ifstream in(rules_file);
    std::stringstream text;
    text << in.rdbuf();
    squawk_service::RulesReading reading = squawk_service::ReadRules(text.str());
    if (!in || !reading.rules) {
      error = "the squawk rules " + rules_file + " cannot be used: " +
              (in ? reading.errors.front() : std::string("cannot read the file"));
      return nullptr;
    }
    options.rules = std::move(*reading.rules);
  }
  options.rules.requests_per_second = 0;
  auto service = std::make_unique<InProcessService>(std::move(options));
  if (!service->Start()) {
    error = "the squawk service cannot listen on 127.0.0.1";
    return nullptr;
  }
  return service;
}

}  // namespace kestrava::sim
