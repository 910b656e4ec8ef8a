#include "platform/file_append.h"

#include <windows.h>

#include <algorithm>

namespace kestrava {

bool AppendToFile(const std::string& path, std::string_view bytes, const WriteLimit& limit) {
  // Write access (not only append access), so that a failed append can be cut off again.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER length_before{};
  const LARGE_INTEGER zero{};
  bool failed =
      !GetFileSizeEx(file, &length_before) || !SetFilePointerEx(file, zero, nullptr, FILE_END);
  std::size_t done = 0;
  while (!failed && done < bytes.size()) {
    const std::size_t wanted = std::min({bytes.size() - done, limit.bytes_per_write,
                                         limit.writable_bytes - done, std::size_t{1} << 30});
    DWORD written = 0;
    if (wanted == 0 ||
        !WriteFile(file, bytes.data() + done, static_cast<DWORD>(wanted), &written, nullptr) ||
        written == 0) {
      failed = true;
      break;
    }
    done += written;
  }
  if (failed && done > 0) {
    SetFilePointerEx(file, length_before, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
  }
  const bool closed = CloseHandle(file) != FALSE;
  return !failed && closed;
}

}  // namespace kestrava
