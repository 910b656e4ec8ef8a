#include "platform/file_append.h"

#include <windows.h>

#include <algorithm>

namespace kestrava {
namespace {

std::string Reason(DWORD error, const std::string& path) {
  switch (error) {
    case ERROR_ACCESS_DENIED: {
      // Windows refuses to open a folder as a file with "access denied".
      const DWORD attributes = GetFileAttributesA(path.c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return kAppendReasonFolder;
      }
      return kAppendReasonDenied;
    }
    case ERROR_WRITE_PROTECT: return kAppendReasonDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return kAppendReasonDiskFull;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND: return kAppendReasonNoFolder;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return kAppendReasonInUse;
    default: return SystemErrorReason(error);
  }
}

}  // namespace

AppendResult AppendToFile(const std::string& path, std::string_view bytes,
                          const WriteLimit& limit) {
  // Write access (not only append access), so that a failed append can be cut off again.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return AppendResult::Failed(Reason(GetLastError(), path));
  LARGE_INTEGER length_before{};
  const LARGE_INTEGER zero{};
  DWORD error = 0;
  if (!GetFileSizeEx(file, &length_before) || !SetFilePointerEx(file, zero, nullptr, FILE_END)) {
    error = GetLastError();
  }
  std::size_t done = 0;
  while (error == 0 && done < bytes.size()) {
    const std::size_t wanted = std::min({bytes.size() - done, limit.bytes_per_write,
                                         limit.writable_bytes - done, std::size_t{1} << 30});
    if (wanted == 0) {
      error = ERROR_DISK_FULL;
      break;
    }
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, static_cast<DWORD>(wanted), &written, nullptr)) {
      error = GetLastError();
      break;
    }
    if (written == 0) {
      error = ERROR_DISK_FULL;
      break;
    }
    done += written;
  }
  if (error != 0 && done > 0) {
    SetFilePointerEx(file, length_before, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
  }
  if (!CloseHandle(file) && error == 0) error = GetLastError();
  return error == 0 ? AppendResult::Appended() : AppendResult::Failed(Reason(error, path));
}

}  // namespace kestrava
