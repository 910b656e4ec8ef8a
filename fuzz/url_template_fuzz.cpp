// The squawk service's URLs built from any base address and any values: the base is kept as it
// is, and no value can add a parameter or change the request's shape.
//
// Input: the base address, then the ten values of the assignment request, separated by NUL bytes.
#include <algorithm>
#include <string>

#include "fuzz/fuzz_input.h"
#include "plugin/text_rules.h"
#include "squawk/service_location.h"

namespace {

std::size_t Count(std::string_view text, char c) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

// Bytes a filled-in value may consist of.
bool Unreserved(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~' || c == '%';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrava;
  std::vector<std::string_view> parts = fuzz::Parts(fuzz::AsText(data, size), '\0');
  parts.resize(11);  // missing values are empty
  const std::string base(parts[0]);
  SetServiceLocation(base.c_str());
  FUZZ_CHECK(AssignUrlTemplate.text.starts_with(ServiceBaseUrl));

  const std::int32_t start_id = LeadingInteger(parts[10]);
  const std::string url =
      FillUrlTemplate(AssignUrlTemplate, {parts[1], parts[2], parts[3], parts[4], parts[5],
                                          parts[6], parts[7], parts[8], parts[9], start_id});
  FUZZ_CHECK(url.starts_with(ServiceBaseUrl));
  const std::string_view request = std::string_view(url).substr(ServiceBaseUrl.size());
  const std::string_view request_text = kAssignRequestText;
  FUZZ_CHECK(Count(request, '&') == Count(request_text, '&'));
  FUZZ_CHECK(Count(request, '=') == Count(request_text, '='));
  FUZZ_CHECK(Count(request, '?') == 1);
  for (const char c : request) {
    FUZZ_CHECK(Unreserved(c) || c == '&' || c == '=' || c == '?');
  }

  const std::string startup = FillUrlTemplate(StartupUrlTemplate, {parts[1], parts[2], parts[3]});
  FUZZ_CHECK(startup.starts_with(ServiceBaseUrl));
  FUZZ_CHECK(Count(std::string_view(startup).substr(ServiceBaseUrl.size()), '&') == 2);
  return 0;
}
