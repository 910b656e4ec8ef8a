// Reading a compiled resource file (.res), as the resource compiler writes it: a sequence of
// records, each a RESOURCEHEADER (data size, header size, type and name as a number or a UTF-16
// name, then version, flags and language) followed by the data, every record starting on a
// four-byte boundary. The first record is the empty one that marks the format.
//
// Pure and bounds-checked: any byte sequence is safe to give; a malformed record ends the search.
// Any thread.
#pragma once

#include <cstdint>
#include <span>

namespace kestrava {

inline constexpr std::uint16_t kResourceTypeDialog = 5;  // RT_DIALOG

// The data of the first resource of numeric type `type` and numeric name `id`; empty when there
// is none (resources named by text never match).
std::span<const std::uint8_t> FindResourceInFile(std::span<const std::uint8_t> file,
                                                 std::uint16_t type, std::uint16_t id);

}  // namespace kestrava
