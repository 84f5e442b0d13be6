// Opening, raw writing, positioning and closing of container files.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "file_io.h"
#include "kepr.h"

extern "C" int KEPRCreateFile(const char* path) {
  if (path == nullptr) return -1;
  return open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

extern "C" int KEPROpenFile(const char* path, int flags) {
  if (path == nullptr) return -1;
  // The mode only matters when the caller's flags create the file.
  return open(path, flags | O_CLOEXEC, 0666);
}

extern "C" int KEPRWriteBytes(int handle, const void* data, int count) {
  if (count < 0 || (count > 0 && data == nullptr)) return KEPR_E_WRITE;
  return orvela::kepr::WriteAll(handle, data, static_cast<size_t>(count)) ? 0 : KEPR_E_WRITE;
}

extern "C" int KEPRWriteRaw(int handle, const void* data, int count) {
  if (count < 0) return -1;
  return static_cast<int>(write(handle, data, static_cast<size_t>(count)));
}

extern "C" long KEPRLseek(int handle, long offset, int origin) {
  const off_t position = lseek(handle, offset, origin);
  if (position < 0) {
    std::perror("KEPRLseek failed");
    return -1;
  }
  return static_cast<long>(position);
}

extern "C" int KEPRCloseReadFile(int handle) {
  return close(handle) == 0 ? 1 : 0;
}
