#include "squawk/service_workers.h"

#include <cstdio>
#include <optional>

#include "squawk/service_location.h"
#include "squawk/service_replies.h"

namespace kestrava {
namespace {

// The body of a reply the server answered with success; nothing otherwise.
std::optional<std::string> SuccessBody(Env& env, const std::string& url, std::size_t limit,
                                       std::stop_token stop) {
  std::optional<HttpResponse> response = env.HttpGet(url, limit, stop);
  if (!response || response->status < 200 || response->status > 299) return std::nullopt;
  return std::move(response->body);
}

const char* Flag(bool on) { return on ? "1" : "0"; }

}  // namespace

std::string GetMachineId(Env& env) {
  char text[9] = {};
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(env.MachineId()));
  return text;
}

void StartupWorker(Env& env, const UrlTemplate& url_template, const std::string& full_name,
                   const std::string& version, std::stop_token stop) {
  const std::string url = FillUrlTemplate(url_template, {GetMachineId(env), full_name, version});
  const std::optional<std::string> body = SuccessBody(env, url, kStartupReplyLimit, stop);
  if (!body || stop.stop_requested()) return;
  const std::optional<StartupReply> reply = ParseStartupReply(*body);
  if (!reply) return;
  StartId.store(reply->start_id);
  if (reply->status == kStatusUpdateAvailable) {
    env.ShowNotice(kUpdateNoticeCaption, kUpdateNoticeText, stop);
  }
}

void SquawkAssignWorker(Env& env, WorkerGroup& workers, const UrlTemplate& url_template,
                        const SquawkRequest& request, std::stop_token stop) {
  const std::string url = FillUrlTemplate(
      url_template,
      {request.origin, request.destination, request.controller_callsign, request.controller_name,
       request.aircraft_callsign, request.pilot_name, GetMachineId(env),
       Flag(request.override_code), Flag(request.ground), StartId.load()});
  const std::optional<std::string> body = SuccessBody(env, url, kAssignReplyLimit, stop);
  if (!body) return;
  const std::optional<std::int32_t> value = ReadAssignReplyValue(*body);
  if (!value || stop.stop_requested() || request.completion == nullptr ||
      request.plugin == nullptr) {
    return;
  }
  std::string code = DecodeSquawk(*value);
  // The recycle code asks for a new code: set from a reply, it would start the next request,
  // and a service that keeps answering it would be asked without end.
  if (code == kRecycleSquawkCode) return;
  workers.PostToHost([completion = request.completion, plugin = request.plugin,
                      callsign = request.aircraft_callsign,
                      code = std::move(code)] { completion(callsign, code, *plugin); });
}

}  // namespace kestrava
