// Appending to a file whole or not at all: the backends' AppendLine.
//
// Thread: any; nothing is shared between calls.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

#include "platform/append_result.h"

namespace kestrava {

// How much the system's writes take, for tests that model a full disk or short writes: writes
// fail (as on a full disk) once `writable_bytes` have been written, and no single write takes more
// than `bytes_per_write`. The default limits nothing.
struct WriteLimit {
  std::size_t writable_bytes = std::numeric_limits<std::size_t>::max();
  std::size_t bytes_per_write = std::numeric_limits<std::size_t>::max();
};

// Appends `bytes` to the file at `path`, creating it when missing, with as many writes as the
// system needs. When a write fails (a full disk, a quota, an I/O error) the file is cut back to
// the length it had before the call, so no part of `bytes` stays to be glued to the next
// append, and the result gives the reason (a write refused by `limit` is a full disk). Writes
// nothing when the file cannot be opened, giving the reason.
AppendResult AppendToFile(const std::string& path, std::string_view bytes,
                          const WriteLimit& limit = {});

}  // namespace kestrava
