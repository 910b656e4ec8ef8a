// The squawk service's reading of a request target of any bytes: the path and parameters, the
// checks of callsigns and airport codes, and the "version" compared with the latest version.
#include <string>

#include "fuzz/fuzz_input.h"
#include "squawk-service/request_params.h"
#include "squawk-service/service.h"

namespace {

std::string Param(const squawk_service::Target& target, const char* name) {
  const auto it = target.params.find(name);
  return it == target.params.end() ? std::string() : it->second;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<squawk_service::Target> target =
      squawk_service::ReadTarget(kestrava::fuzz::AsText(data, size));
  if (!target) return 0;
  FUZZ_CHECK(target->path.find('\0') == std::string::npos);
  const std::string callsign = Param(*target, "acftcs");
  if (squawk_service::IsCallsign(callsign)) {
    FUZZ_CHECK(callsign.size() <= 16 && callsign.find(' ') == std::string::npos);
  }
  if (const std::optional<std::string> icao = squawk_service::IcaoCode(Param(*target, "depicao"))) {
    // Upper case is kept as it is.
    FUZZ_CHECK(icao->size() >= 2 && icao->size() <= 4 && squawk_service::IcaoCode(*icao) == icao);
  }
  const std::string version = Param(*target, "version");
  for (const char* latest : {"1.0", "1.0.1", "2", ""}) {
    const bool older = squawk_service::IsOlderVersion(version, latest);
    // A version is never older than itself, and of two versions at most one is the older.
    FUZZ_CHECK(!(older && squawk_service::IsOlderVersion(latest, version)));
  }
  FUZZ_CHECK(!squawk_service::IsOlderVersion(version, version));
  (void)squawk_service::ParseFault(Param(*target, "fault"));
  return 0;
}
