// The two exchanges with the squawk service, each run on a worker of its own.
//
// Both build their URL from a template the starter copied on the host's thread, send one GET
// through the Env and read at most the reply limit of the body. Each hands the exchange's outcome
// to `health` on the host's thread (squawk/service_health.h): a failed exchange, an HTTP status
// other than 2xx or a reply not in the expected form changes nothing else. A stop request ends
// every wait promptly (the exchange is aborted and the update notice closed), and nothing is
// handed over after it. `health` must stay alive while `workers` runs tasks.
#pragma once

#include <stop_token>
#include <string>

#include "platform/env.h"
#include "platform/worker_group.h"
#include "squawk/service_health.h"
#include "squawk/squawk_request.h"
#include "squawk/url_template.h"

namespace kestrava {

inline constexpr char kUpdateNoticeCaption[] = "Kestrava";
inline constexpr char kUpdateNoticeText[] =
    "New update available for Kestrava. Please visit the Brenmark forum for details.";

// The machine identifier sent as "macid": eight upper-case hexadecimal digits. Any thread.
std::string GetMachineId(Env& env);

// Announces the client: sets StartId from the reply and, for status 2, shows the update notice
// and waits until it is closed (or stop is requested).
void StartupWorker(Env& env, WorkerGroup& workers, SquawkServiceHealth& health,
                   const UrlTemplate& url_template, const std::string& full_name,
                   const std::string& version, std::stop_token stop);

// Asks for a code for `request`; when the reply carries one, hands the request's completion with
// the decoded code to the host's thread through `workers`, right after the success. A reply that
// decodes to the recycle code carries no code; a reply of 0 is the service's answer that it has
// none to give (SquawkServiceHealth::NoFreeCode).
void SquawkAssignWorker(Env& env, WorkerGroup& workers, SquawkServiceHealth& health,
                        const UrlTemplate& url_template, const SquawkRequest& request,
                        std::stop_token stop);

}  // namespace kestrava
