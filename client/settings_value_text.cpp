#include "client/settings_value_text.h"

#include <string_view>
#include <utility>

namespace kestrava::client {
namespace {

constexpr std::string_view kMark = "%%";
constexpr char kHexDigits[] = "0123456789ABCDEF";

bool NeedsEscape(unsigned char c) { return c == ':' || c == '%' || c < 0x20 || c > 0x7e; }

bool StoresAsItStands(std::string_view value) {
  if (value.empty() || value.starts_with(kMark)) return false;
  for (const char c : value) {
    if (c != '%' && NeedsEscape(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

const char* StoredSettingText(const char* value, std::string& buffer) {
  if (value == nullptr) return "";
  if (StoresAsItStands(value)) return value;
  buffer.assign(kMark);
  for (const char* p = value; *p != '\0'; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (NeedsEscape(c)) {
      buffer += '%';
      buffer += kHexDigits[c >> 4];
      buffer += kHexDigits[c & 0xf];
    } else {
      buffer += *p;
    }
  }
  return buffer.c_str();
}

const char* ReadSettingText(const char* stored, std::string& buffer) {
  if (stored == nullptr || *stored == '\0') return nullptr;
  const std::string_view text = stored;
  if (!text.starts_with(kMark)) return stored;
  std::string decoded;
  for (std::size_t i = kMark.size(); i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
    const int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
    if (high < 0 || low < 0) return stored;  // not this binding's form: a plain text
    decoded += static_cast<char>(high * 16 + low);
    i += 2;
  }
  buffer = std::move(decoded);
  return buffer.c_str();
}

}  // namespace kestrava::client
