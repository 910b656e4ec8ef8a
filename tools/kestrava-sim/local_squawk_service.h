// The reference squawk service a simulation points the plug-in at: on 127.0.0.1 and a free port,
// serving as long as this object lives. Where the build has the service's library (Linux) it
// runs in process; the Windows build, which runs under Wine, starts the native program built
// beside the simulator and ends it with the simulator.
//
// Thread: the simulator's thread.
#pragma once

#include <memory>
#include <string>

namespace kestrava::sim {

class LocalSquawkService {
 public:
  virtual ~LocalSquawkService() = default;

  // Starts a service, by the rules in `rules_file` when one is named; nothing, with the reason
  // in `error`, when it cannot (also when the rules file is bad).
  static std::unique_ptr<LocalSquawkService> Start(const std::string& rules_file,
                                                   std::string& error);

  // "http://127.0.0.1:PORT/qex/".
  virtual std::string BaseUrl() const = 0;

  // Stops serving (connections to the address are refused once this returns), or serves again
  // on the same address with fresh state. True when done (also when it already was so); false
  // with the reason in `error` when the address cannot be served again.
  virtual bool SetServing(bool serving, std::string& error) = 0;
};

}  // namespace kestrava::sim
