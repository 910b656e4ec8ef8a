// The local reference squawk service, in process.
#include <memory>

#include "squawk-service/service.h"
#include "tools/kestrava-sim/local_squawk_service.h"

namespace kestrava::sim {
namespace {

class InProcessService final : public LocalSquawkService {
 public:
  // Listens on `port` (0: any free port); false when it cannot.
  bool Serve(int port) {
    squawk_service::ServiceOptions options;
    options.port = port;
    auto service = std::make_unique<squawk_service::SquawkService>(options);
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
    error = "the reference squawk service cannot listen on " + base_url_ + " again";
    return false;
  }

 private:
  std::unique_ptr<squawk_service::SquawkService> service_;  // null while stopped
  std::string base_url_;
  int port_ = 0;
};

}  // namespace

std::unique_ptr<LocalSquawkService> LocalSquawkService::Start(std::string& error) {
  auto service = std::make_unique<InProcessService>();
  if (!service->Serve(0)) {
    error = "the reference squawk service cannot listen on 127.0.0.1";
    return nullptr;
  }
  return service;
}

}  // namespace kestrava::sim
