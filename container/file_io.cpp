// Whole-buffer reads and writes on low-level file handles.
#include "file_io.h"

#include <unistd.h>

#include <cerrno>

namespace orvela::kepr {

bool WriteAll(int fd, const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  while (size > 0) {
    const ssize_t n = write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool ReadExact(int fd, void* data, size_t size) {
  auto* p = static_cast<uint8_t*>(data);
  while (size > 0) {
    const ssize_t n = read(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

off_t Seek(int fd, off_t offset, int origin) {
  return lseek(fd, offset, origin);
}

bool WriteU32At(int fd, off_t offset, uint32_t value) {
  uint8_t bytes[4];
  PutU32BE(bytes, value);
  return Seek(fd, offset, SEEK_SET) == offset && WriteAll(fd, bytes, sizeof bytes);
}

}  // namespace orvela::kepr
