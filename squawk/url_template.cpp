#include "squawk/url_template.h"

#include <algorithm>

namespace kestrava {
namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

}  // namespace

std::string PercentEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsUnreserved(c)) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

std::string FillUrlTemplate(const UrlTemplate& url_template,
                            std::initializer_list<UrlValue> values) {
  const std::string_view text = url_template.text;
  const std::size_t base = std::min(url_template.base_length, text.size());
  std::string out(text.substr(0, base));
  const UrlValue* next = values.begin();
  for (std::size_t i = base; i < text.size(); ++i) {
    const bool placeholder =
        text[i] == '%' && i + 1 < text.size() && (text[i + 1] == 's' || text[i + 1] == 'd');
    if (!placeholder) {
      out += text[i];
      continue;
    }
    const char kind = text[++i];
    if (next == values.end()) continue;
    const UrlValue& value = *next++;
    if (kind == 's' && std::holds_alternative<std::string_view>(value)) {
      out += PercentEncode(std::get<std::string_view>(value));
    } else if (kind == 'd' && std::holds_alternative<std::int32_t>(value)) {
      out += std::to_string(std::get<std::int32_t>(value));
    }
  }
  return out;
}

}  // namespace kestrava
