// Clients that load several squawk-service instances the way the plug-ins of a division would,
// behind a proxy that spreads their requests.
//
// RunLoad drives the instances from several client threads, each asking for the callsigns it
// owns (the requests of one callsign are sequential, as from one plug-in), sending each request
// to the next instance in turn and, when an instance fails or answers 503, the same request to
// the next one until it is answered. It records every answer and checks, as they come and at the
// end: without an override, a callsign is answered the code it holds; no code is ever answered
// to a callsign while another callsign surely still holds it (from its answer until it next
// asked for another code); and at the end the database holds exactly the code each callsign was
// last answered.
//
// Thread: the test's; failures are reported through gtest.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "squawk-service/tests/service_instances.h"

namespace squawk_service::test_support {

// What the clients have seen so far, for the midway action to wait on.
struct LoadProgress {
  std::atomic<int> answered{0};     // assignments answered 200 with a code
  std::atomic<int> unavailable{0};  // answers 503
  std::atomic<int> no_answer{0};    // requests cut off or refused (a killed instance)
};

struct LoadOptions {
  int clients = 8;
  int requests = 20000;  // answered assignments, in all (at least, with a midway action)
  int callsigns = 3000;
  int override_one_in = 5;  // of the requests for a callsign that holds a code
  // Called once on its own thread when half the requests have been answered; the clients go on
  // meanwhile, past `requests` if it takes longer.
  std::function<void(const LoadProgress&)> midway;
};

// Runs the load and checks it (see above); returns what the clients saw.
void RunLoad(ServiceInstances& instances, const std::string& database, const LoadOptions& options,
             LoadProgress& progress);

}  // namespace squawk_service::test_support
