#include "platform/headless/resource_file.h"

#include <cstddef>
#include <optional>

namespace kestrava {
namespace {

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
         (static_cast<std::uint32_t>(bytes[at + 2]) << 16) |
         (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

// A type or name field of a header: 0xFFFF and a number, or a zero-ended UTF-16 name. Returns
// the number (nothing for a name) and moves `at` past the field; false when it runs off `header`.
bool ReadNameOrNumber(std::span<const std::uint8_t> header, std::size_t& at,
                      std::optional<std::uint16_t>& number) {
  if (at + 2 > header.size()) return false;
  if (ReadU16(header, at) == 0xFFFF) {
    if (at + 4 > header.size()) return false;
    number = ReadU16(header, at + 2);
    at += 4;
    return true;
  }
  number.reset();
  for (;;) {
    if (at + 2 > header.size()) return false;
    const std::uint16_t unit = ReadU16(header, at);
    at += 2;
    if (unit == 0) return true;
  }
}

}  // namespace

std::span<const std::uint8_t> FindResourceInFile(std::span<const std::uint8_t> file,
                                                 std::uint16_t type, std::uint16_t id) {
  std::size_t at = 0;
  while (file.size() - at >= 8) {
    const std::uint32_t data_size = ReadU32(file, at);
    const std::uint32_t header_size = ReadU32(file, at + 4);
    const std::size_t left = file.size() - at;
    if (header_size < 8 || header_size > left || data_size > left - header_size) return {};
    const std::span<const std::uint8_t> header = file.subspan(at, header_size);
    std::size_t field = 8;
    std::optional<std::uint16_t> record_type;
    std::optional<std::uint16_t> record_name;
    if (!ReadNameOrNumber(header, field, record_type) ||
        !ReadNameOrNumber(header, field, record_name)) {
      return {};
    }
    if (record_type == type && record_name == id) {
      return file.subspan(at + header_size, data_size);
    }
    const std::size_t next = at + header_size + data_size;
    at = (next + 3) & ~static_cast<std::size_t>(3);
    if (at > file.size()) return {};
  }
  return {};
}

}  // namespace kestrava
