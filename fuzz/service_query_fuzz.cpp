// The reference squawk service's reading of a request's query text of any bytes: the parameters
// it looks at ("version" against the latest version, "ovr", the airport and the callsign).
#include <httplib.h>

#include <string>

#include "fuzz/fuzz_input.h"
#include "squawk-service/service.h"

namespace {

std::string Param(const httplib::Params& params, const char* name) {
  const auto it = params.find(name);
  return it == params.end() ? std::string() : it->second;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  httplib::Params params;
  httplib::detail::parse_query_text(std::string(kestrava::fuzz::AsText(data, size)), params);
  const std::string version = Param(params, "version");
  for (const char* latest : {"1.0", "1.0.1", "2", ""}) {
    const bool older = squawk_service::IsOlderVersion(version, latest);
    // A version is never older than itself, and of two versions at most one is the older.
    FUZZ_CHECK(!(older && squawk_service::IsOlderVersion(latest, version)));
  }
  FUZZ_CHECK(!squawk_service::IsOlderVersion(version, version));
  (void)squawk_service::ParseFault(Param(params, "fault"));
  return 0;
}
