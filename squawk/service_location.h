// Where the squawk service lives, and the start id it hands out: process-wide values.
//
// SetServiceLocation sets the base URL and builds both URL templates; the plug-in constructor
// calls it on the host's thread before any worker starts, and the values are only read after
// that. StartId is 0 when the library loads, written by the start-up worker and read by the
// assignment workers (atomic; a request carries either the old or the new value).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "squawk/url_template.h"

namespace kestrava {

// Used when the setting "SERVERLOCATION" is absent or empty.
inline constexpr char kDefaultServiceBaseUrl[] = "http://squawk.kestrava.example/qex/";

inline constexpr char kStartupRequestText[] = "sqk_startup.php?macid=%s&name=%s&version=%s";
inline constexpr char kAssignRequestText[] =
    "sqk_assign.php?depicao=%s&arricao=%s&ctrlcs=%s&ctrlname=%s&acftcs=%s&acftname=%s&macid=%s"
    "&ovr=%s&gnd=%s&startid=%d";

inline std::string ServiceBaseUrl;
inline UrlTemplate StartupUrlTemplate;  // placeholders: macid, name, version
inline UrlTemplate AssignUrlTemplate;   // placeholders: the assignment request, then startid
inline std::atomic<std::int32_t> StartId{0};

// `location` is the stored text, or null when the setting is absent. The base URL is joined to
// the request texts with nothing in between. Touches no network.
void SetServiceLocation(const char* location);

}  // namespace kestrava
