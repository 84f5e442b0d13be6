// Low-level file handles through the POSIX calls.
#include "file_io.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvela::platform {

int OpenFile(const char* path, const FileOpenMode& mode) {
  if (path == nullptr) {
    errno = EINVAL;
    return -1;
  }
  int flags = O_CLOEXEC;
  if (mode.read && mode.write) {
    flags |= O_RDWR;
  } else if (mode.write) {
    flags |= O_WRONLY;
  } else {
    flags |= O_RDONLY;
  }
  if (mode.create) flags |= O_CREAT;
  if (mode.truncate) flags |= O_TRUNC;
  if (mode.append) flags |= O_APPEND;
  int fd;
  do {
    fd = open(path, flags, S_IRUSR | S_IWUSR);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

long ReadFile(int fd, void* buffer, size_t count) {
  ssize_t n;
  do {
    n = read(fd, buffer, count);
  } while (n < 0 && errno == EINTR);
  return static_cast<long>(n);
}

long WriteFile(int fd, const void* buffer, size_t count) {
  const auto* bytes = static_cast<const char*>(buffer);
  size_t done = 0;
  while (done < count) {
    const ssize_t n = write(fd, bytes + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return done > 0 ? static_cast<long>(done) : -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<long>(done);
}

int64_t FilePosition(int fd) { return static_cast<int64_t>(lseek(fd, 0, SEEK_CUR)); }

bool SeekFile(int fd, int64_t offset) { return lseek(fd, static_cast<off_t>(offset), SEEK_SET) == offset; }

bool TruncateFile(int fd, int64_t length) { return ftruncate(fd, static_cast<off_t>(length)) == 0; }

bool SyncFile(int fd) { return fsync(fd) == 0; }

bool IsReadOnly(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && (flags & O_ACCMODE) == O_RDONLY;
}

bool CloseFile(int fd) { return close(fd) == 0; }

}  // namespace orvela::platform
