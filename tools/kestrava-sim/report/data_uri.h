// Files embedded in a page as data: URIs, so that the page needs nothing beside it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <ostream>

namespace kestrava::sim::report {

// Writes "data:<type>;base64,<the file's bytes in base64>" for a file of at most `most_bytes`
// bytes; false, writing nothing, when the file cannot be read or is larger.
bool WriteDataUri(std::ostream& out, const std::filesystem::path& file, const char* type,
                  std::size_t most_bytes);

}  // namespace kestrava::sim::report
