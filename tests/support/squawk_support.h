// Helpers of the squawk tests: an Env whose HTTP answers are scripted per request kind, and a
// bounded wait for the plug-in's workers.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "aircraft/AircraftRegistry.h"
#include "host/world.h"
#include "plugin/QEXPlugin.h"
#include "squawk/service_location.h"
#include "tests/support/fake_env.h"

namespace kestrava::testing {

// Waits until every worker of `plugin` has ended; false when one still runs after `limit`.
inline bool WaitForIdleWorkers(QEXPlugin& plugin,
                               std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (plugin.workers().Running() > 0) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// A FakeEnv that answers by the first `replies` key contained in the URL (nothing: the connection
// is refused), records every URL with the body limit asked for, and can keep the notice open until
// stop is requested, as a modal box does.
class ScriptedHttpEnv : public FakeEnv {
 public:
  struct Exchange {
    std::string url;
    std::size_t limit = 0;
  };

  HttpResult HttpGet(const std::string& url, std::size_t max_body_bytes,
                     std::stop_token /*stop*/) override {
    std::lock_guard lock(mutex());
    exchanges.push_back({url, max_body_bytes});
    for (const auto& [part, reply] : replies) {
      if (url.find(part) == std::string::npos) continue;
      if (!reply) return HttpFailure::kRefused;
      const HttpResult& result = *reply;
      if (!result) return result;
      return HttpResponse{result->status, result->body.substr(0, max_body_bytes)};
    }
    return HttpFailure::kRefused;
  }

  void ShowNotice(const std::string& caption, const std::string& text,
                  std::stop_token stop) override {
    std::unique_lock lock(mutex());
    notices.emplace_back(caption, text);
    notice_shown_.notify_all();
    if (!notice_stays_open) return;
    lock.unlock();
    // Polled: a stop callback is not dependable with every toolchain's runtime.
    while (!stop.stop_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }

  // Waits (bounded) until a notice has been shown.
  bool WaitForNotice(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    std::unique_lock lock(mutex());
    return notice_shown_.wait_for(lock, limit, [this] { return !notices.empty(); });
  }

  // URLs of the exchanges whose URL contains `part`, in order.
  std::vector<std::string> Urls(const std::string& part) {
    std::lock_guard lock(mutex());
    std::vector<std::string> urls;
    for (const Exchange& e : exchanges) {
      if (e.url.find(part) != std::string::npos) urls.push_back(e.url);
    }
    return urls;
  }

  // URL part -> reply or failure; none is a refused connection.
  std::map<std::string, std::optional<HttpResult>> replies;
  std::vector<Exchange> exchanges;
  bool notice_stays_open = false;

 private:
  std::condition_variable_any notice_shown_;
};

// A plug-in object in a stand-in host World, on a ScriptedHttpEnv. The start id starts at 0.
class SquawkFixture : public ::testing::Test {
 protected:
  void SetUp() override { StartId.store(0); }
  void TearDown() override { plugin.reset(); }

  // Builds the plug-in on the given stored settings, waits for its start-up exchange and runs
  // what that handed over (its outcome).
  QEXPlugin& Load(const std::map<std::string, std::string>& settings = {}) {
    for (const auto& [key, value] : settings) world.settings().Preset(key, value);
    plugin.reset();
    plugin = std::make_unique<QEXPlugin>(env, registry);
    world.AttachPlugIn(plugin.get());
    EXPECT_TRUE(WaitForIdleWorkers(*plugin));
    env.RunPostedTasks();
    return *plugin;
  }

  // An aircraft as the host knows it.
  standin::Aircraft& Aircraft(const std::string& callsign, const std::string& origin,
                              const std::string& destination, int ground_speed,
                              const std::string& squawk = "") {
    standin::Aircraft& a = world.AddOrGetAircraft(callsign);
    a.pilot_name = "Jo Pilot";
    a.flight_plan.origin = origin;
    a.flight_plan.destination = destination;
    a.reported_gs = ground_speed;
    a.squawk = squawk;
    return a;
  }

  // Calls RequestSquawk for the aircraft and waits for the worker it may have started.
  void Request(const std::string& callsign) {
    plugin->RequestSquawk(plugin->AircraftSelect(callsign.c_str()));
    EXPECT_TRUE(WaitForIdleWorkers(*plugin));
  }

  ScriptedHttpEnv env;
  AircraftRegistry registry;
  standin::World world;
  std::unique_ptr<QEXPlugin> plugin;
};

}  // namespace kestrava::testing
