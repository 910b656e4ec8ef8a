// The squawk service's replies from any bytes: the start-up reply ("start id:status") and the
// assignment reply (a hexadecimal number whose 3-bit fields are the code's digits).
#include "fuzz/fuzz_input.h"
#include "squawk/service_replies.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrava;
  const std::string_view body = fuzz::AsText(data, size);

  (void)ParseStartupReply(body.substr(0, kStartupReplyLimit));

  // Only the first bytes of the reply count, whatever follows them.
  const std::optional<std::int32_t> value = ReadAssignReplyValue(body);
  FUZZ_CHECK(value == ReadAssignReplyValue(body.substr(0, kAssignReplyLimit)));
  if (!value) return 0;
  FUZZ_CHECK(*value > 0);
  const std::string code = DecodeSquawk(*value);
  FUZZ_CHECK(code.size() == 4);
  for (const char digit : code) FUZZ_CHECK(digit >= '0' && digit <= '7');
  return 0;
}
