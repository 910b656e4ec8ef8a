#include "platform/file_append.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace kestrava {

bool AppendToFile(const std::string& path, std::string_view bytes, const WriteLimit& limit) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const off_t length_before = ::lseek(fd, 0, SEEK_END);
  std::size_t done = 0;
  bool failed = false;
  while (done < bytes.size()) {
    const std::size_t wanted =
        std::min({bytes.size() - done, limit.bytes_per_write, limit.writable_bytes - done});
    const ssize_t written = wanted == 0 ? -1 : ::write(fd, bytes.data() + done, wanted);
    if (written < 0 && wanted != 0 && errno == EINTR) continue;
    if (written <= 0) {
      failed = true;
      break;
    }
    done += static_cast<std::size_t>(written);
  }
  if (failed && done > 0 && length_before >= 0) {
    // Nothing better can be done when even this fails: the call reports the failure.
    (void)!::ftruncate(fd, length_before);
  }
  const bool closed = ::close(fd) == 0;
  return !failed && closed;
}

}  // namespace kestrava
