// The squawk service's rules file of any bytes: read whole or refused with every error naming
// its line, and rules that are read give only codes 0000 to 7777 in spans that are in order.
#include <string>

#include "fuzz/fuzz_input.h"
#include "squawk-service/rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const squawk_service::RulesReading reading =
      squawk_service::ReadRules(kestrava::fuzz::AsText(data, size));
  FUZZ_CHECK(reading.rules.has_value() == reading.errors.empty());
  for (const std::string& error : reading.errors) FUZZ_CHECK(error.rfind("line ", 0) == 0);
  if (!reading.rules) return 0;
  for (const squawk_service::CodeSpan& span : reading.rules->AllSpans()) {
    FUZZ_CHECK(span.first >= 0 && span.first <= span.last && span.last <= 4095);
  }
  for (const char* origin : {"EGLL", "EG", "", "K"}) {
    for (const squawk_service::CodeSpan& span : reading.rules->Candidates(origin, "EGCC")) {
      FUZZ_CHECK(span.first <= span.last);
    }
  }
  return 0;
}
