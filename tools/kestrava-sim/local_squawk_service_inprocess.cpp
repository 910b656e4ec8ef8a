// The local squawk service, in process.
#include <fstream>
#include <memory>
#include <sstream>

#include "squawk-service/service.h"
#include "tools/kestrava-sim/local_squawk_service.h"

namespace kestrava::sim {
namespace {

class InProcessService final : public LocalSquawkService {
 public:
  explicit InProcessService(squawk_service::ServiceOptions options)
      : options_(std::move(options)) {}

  // Listens on `port` (0: any free port) with fresh state; false when it cannot.
  bool Serve(int port) {
    squawk_service::ServiceOptions options = options_;
    options.http.port = port;
    auto service = std::make_unique<squawk_service::SquawkService>(std::move(options));
    if (!service->Start()) return false;
    base_url_ = service->BaseUrl();
    port_ = service->port();
    service_ = std::move(service);
    return true;
  }
  std::string BaseUrl() const override { return base_url_; }
  bool SetServing(bool serving, std::string& error) override {
    if (serving == (service_ != nullptr)) return true;
    if (!serving) {
      service_.reset();  // stops listening before it returns
      return true;
    }
    if (Serve(port_)) return true;
    error = "the squawk service cannot listen on " + base_url_ + " again";
    return false;
  }

 private:
  const squawk_service::ServiceOptions options_;
  std::unique_ptr<squawk_service::SquawkService> service_;  // null while stopped
  std::string base_url_;
  int port_ = 0;
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
  if (!service->Serve(0)) {
    error = "the squawk service cannot listen on 127.0.0.1";
    return nullptr;
  }
  return service;
}

}  // namespace kestrava::sim
