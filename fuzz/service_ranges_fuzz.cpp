// The reference squawk service's range configuration of any bytes: it is read whole or refused
// with a line number, and every range read holds codes 0000 to 7777, first before last.
#include "fuzz/fuzz_input.h"
#include "squawk-service/code_ranges.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const squawk_service::RangeConfig config =
      squawk_service::ParseRangeConfig(kestrava::fuzz::AsText(data, size));
  if (!config.error.empty()) {
    FUZZ_CHECK(config.error.starts_with("line "));
    return 0;
  }
  for (const squawk_service::CodeRange& range : config.ranges) {
    FUZZ_CHECK(!range.airport.empty());
    FUZZ_CHECK(range.first >= 0 && range.first <= range.last && range.last <= 4095);
    FUZZ_CHECK(squawk_service::CodeNumber(squawk_service::CodeText(range.first)) == range.first);
  }
  return 0;
}
