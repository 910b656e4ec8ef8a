#include "platform/file_append.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace kestrava {
namespace {

std::string Reason(int error) {
  switch (error) {
    case EISDIR: return kAppendReasonFolder;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return kAppendReasonDiskFull;
    case EACCES:
    case EPERM:
    case EROFS: return kAppendReasonDenied;
    case ENOENT:
    case ENOTDIR: return kAppendReasonNoFolder;
    case ETXTBSY: return kAppendReasonInUse;
    default: return SystemErrorReason(static_cast<unsigned long>(error));
  }
}

}  // namespace

AppendResult AppendToFile(const std::string& path, std::string_view bytes,
                          const WriteLimit& limit) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return AppendResult::Failed(Reason(errno));
  const off_t length_before = ::lseek(fd, 0, SEEK_END);
  std::size_t done = 0;
  int error = 0;
  while (done < bytes.size()) {
    const std::size_t wanted =
        std::min({bytes.size() - done, limit.bytes_per_write, limit.writable_bytes - done});
    if (wanted == 0) {
      error = ENOSPC;
      break;
    }
    const ssize_t written = ::write(fd, bytes.data() + done, wanted);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      error = written < 0 ? errno : ENOSPC;
      break;
    }
    done += static_cast<std::size_t>(written);
  }
  if (error != 0 && done > 0 && length_before >= 0) {
    // Nothing better can be done when even this fails: the call reports the failure.
    (void)!::ftruncate(fd, length_before);
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  return error == 0 ? AppendResult::Appended() : AppendResult::Failed(Reason(error));
}

}  // namespace kestrava
