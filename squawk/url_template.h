// URL templates of the squawk service and their filling.
//
// A template is a base URL taken literally, followed by a request text whose "%s" placeholders
// take texts and whose "%d" placeholder takes a signed decimal number. Every text is
// percent-encoded (RFC 3986: letters, digits and "-._~" stay, every other byte becomes %XX), so a
// value can neither add nor change parameters. A filled-in URL is never cut, however long.
// Pure functions; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace kestrava {

struct UrlTemplate {
  std::string text;             // base URL followed by the request text
  std::size_t base_length = 0;  // the first base_length bytes hold no placeholders

  friend bool operator==(const UrlTemplate&, const UrlTemplate&) = default;
};

// One value for a placeholder: a text for "%s", a number for "%d".
using UrlValue = std::variant<std::string_view, std::int32_t>;

// Percent-encodes every byte except ASCII letters, digits and "-._~" (upper-case hex digits).
std::string PercentEncode(std::string_view text);

// Replaces the placeholders of the request text, in order, with `values`. A placeholder of the
// wrong kind for its value, or one without a value, is filled with nothing; surplus values are
// ignored. Any other byte, "%" included, is copied as it is.
std::string FillUrlTemplate(const UrlTemplate& url_template,
                            std::initializer_list<UrlValue> values);

}  // namespace kestrava
