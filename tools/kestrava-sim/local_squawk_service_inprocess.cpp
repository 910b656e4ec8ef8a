// The local reference squawk service, in process.
#include "squawk-service/service.h"
#include "tools/kestrava-sim/local_squawk_service.h"

namespace kestrava::sim {
namespace {

// In memory, and without rate limits: a scenario's departures all come from this machine.
squawk_service::ServiceOptions Options() {
  squawk_service::ServiceOptions options;
  options.db = ":memory:";
  options.rules.requests_per_second = 0;
  return options;
}

class InProcessService final : public LocalSquawkService {
 public:
  InProcessService() : service_(Options()) {}
  bool Start() { return service_.Start(); }
  std::string BaseUrl() const override { return service_.BaseUrl(); }

 private:
  squawk_service::SquawkService service_;
};

}  // namespace

std::unique_ptr<LocalSquawkService> LocalSquawkService::Start(std::string& error) {
  auto service = std::make_unique<InProcessService>();
  if (!service->Start()) {
    error = "the reference squawk service cannot listen on 127.0.0.1";
    return nullptr;
  }
  return service;
}

}  // namespace kestrava::sim
