#include "squawk/service_workers.h"

#include <cstdio>
#include <optional>
#include <utility>

#include "squawk/service_location.h"
#include "squawk/service_replies.h"

namespace kestrava {
namespace {

// The body of a reply the server answered with success, or why there is none.
struct Reply {
  std::optional<std::string> body;
  std::string failure;
};

Reply SuccessBody(Env& env, const std::string& url, std::size_t limit, std::stop_token stop) {
  HttpResult result = env.HttpGet(url, limit, std::move(stop));
  if (!result) return {std::nullopt, FailureReason(result.failure())};
  if (result->status < 200 || result->status > 299) {
    return {std::nullopt, StatusReason(result->status)};
  }
  return {std::move(result->body), {}};
}

void HandOverFailure(WorkerGroup& workers, SquawkServiceHealth& health, std::string reason) {
  workers.PostToHost([&health, reason = std::move(reason)] { health.ExchangeFailed(reason); });
}

const char* Flag(bool on) { return on ? "1" : "0"; }

}  // namespace

std::string GetMachineId(Env& env) {
  char text[9] = {};
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(env.MachineId()));
  return text;
}

void StartupWorker(Env& env, WorkerGroup& workers, SquawkServiceHealth& health,
                   const UrlTemplate& url_template, const std::string& full_name,
                   const std::string& version, std::stop_token stop) {
  const std::string url = FillUrlTemplate(url_template, {GetMachineId(env), full_name, version});
  Reply reply = SuccessBody(env, url, kStartupReplyLimit, stop);
  if (stop.stop_requested()) return;
  const std::optional<StartupReply> parsed =
      reply.body ? ParseStartupReply(*reply.body) : std::nullopt;
  if (!parsed) {
    HandOverFailure(workers, health, reply.body ? kReasonUnreadableReply : reply.failure);
    return;
  }
  StartId.store(parsed->start_id);
  workers.PostToHost([&health] { health.ExchangeSucceeded(); });
  if (parsed->status == kStatusUpdateAvailable) {
    env.ShowNotice(kUpdateNoticeCaption, kUpdateNoticeText, stop);
  }
}

void SquawkAssignWorker(Env& env, WorkerGroup& workers, SquawkServiceHealth& health,
                        const UrlTemplate& url_template, const SquawkRequest& request,
                        std::stop_token stop) {
  const std::string url = FillUrlTemplate(
      url_template,
      {request.origin, request.destination, request.controller_callsign, request.controller_name,
       request.aircraft_callsign, request.pilot_name, GetMachineId(env),
       Flag(request.override_code), Flag(request.ground), StartId.load()});
  Reply reply = SuccessBody(env, url, kAssignReplyLimit, stop);
  if (stop.stop_requested()) return;
  if (!reply.body) {
    HandOverFailure(workers, health, std::move(reply.failure));
    return;
  }
  if (IsNoCodeReply(*reply.body)) {
    workers.PostToHost([&health, callsign = request.aircraft_callsign, origin = request.origin] {
      health.NoFreeCode(callsign, origin);
    });
    return;
  }
  const std::optional<std::int32_t> value = ReadAssignReplyValue(*reply.body);
  std::string code = value ? DecodeSquawk(*value) : std::string();
  // The recycle code asks for a new code: set from a reply, it would start the next request,
  // and a service that keeps answering it would be asked without end.
  if (!value || code == kRecycleSquawkCode) {
    HandOverFailure(workers, health, kReasonUnreadableReply);
    return;
  }
  workers.PostToHost([&health, completion = request.completion, plugin = request.plugin,
                      callsign = request.aircraft_callsign, code = std::move(code)] {
    health.ExchangeSucceeded(callsign);
    if (completion != nullptr && plugin != nullptr) completion(callsign, code, *plugin);
  });
}

}  // namespace kestrava
