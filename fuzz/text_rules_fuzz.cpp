// The shared text rules on any bytes: the leading-integer rule, the "1"-only flag rule, the colon
// tokenizer and ASCII upper-casing.
#include <string>

#include "fuzz/fuzz_input.h"
#include "plugin/text_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrava;
  const std::string_view text = fuzz::AsText(data, size);

  // A number written back in its unsigned form reads as the same value.
  const std::int32_t value = LeadingInteger(text);
  FUZZ_CHECK(LeadingInteger(UnsignedText(static_cast<std::uint32_t>(value))) == value);
  // The C-string form reads up to the first NUL, as the view form does for that prefix.
  const std::string c_text(text.substr(0, text.find('\0')));
  FUZZ_CHECK(LeadingInteger(c_text.c_str()) == LeadingInteger(std::string_view(c_text)));

  FUZZ_CHECK(IsFlagOn(text) == (text == "1"));

  // The tokenizer drops exactly the separators, and never yields an empty field.
  std::string joined;
  for (const std::string_view field : SplitFields(text)) {
    FUZZ_CHECK(!field.empty());
    FUZZ_CHECK(field.find(':') == std::string_view::npos);
    joined += field;
  }
  std::string without_separators;
  for (const char c : text) {
    if (c != ':') without_separators += c;
  }
  FUZZ_CHECK(joined == without_separators);

  // Upper-casing changes a to z and nothing else.
  const std::string upper = AsciiUpper(text);
  FUZZ_CHECK(upper.size() == text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    FUZZ_CHECK(upper[i] == (c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c));
  }
  return 0;
}
