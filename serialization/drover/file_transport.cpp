// The file transport: a "drover" URL opened as a local file, read, written,
// cut and closed through the handle's descriptor.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "drover.h"
#include "file_io.h"
#include "open_mode.h"

namespace drover {
namespace {

namespace platform = orvela::platform;

constexpr size_t kNameMax = 127;

bool IsHandle(const CommHandle* handle) { return handle != nullptr && handle->magic == COMM_MAGIC; }

/*
 *----------------------------------------------------------------------
 * OpenUrlFile --
 *   Opens the file of the handle's URL: the host followed by the path,
 *   with the access mode of its mode="..." value.
 * Results:
 *   The descriptor, or -1 for a name over 127 characters, a mode that is
 *   not in the table, or a failed open.
 * Side effects:
 *   On failure writes "can't open file: " and the system's description
 *   of the error to standard error.
 *----------------------------------------------------------------------
 */
int OpenUrlFile(CommHandle* handle) {
  const DecodedUrl& url = handle->url;
  int fd = -1;
  platform::FileOpenMode mode;
  const size_t host = strnlen(url.host, sizeof url.host);
  const size_t path = strnlen(url.path, sizeof url.path);
  if (host + path > kNameMax) {
    errno = ENAMETOOLONG;
  } else if (!ParseOpenMode(url.extra, &mode)) {
    errno = EINVAL;
  } else {
    char name[kNameMax + 1];
    std::memcpy(name, url.host, host);
    std::memcpy(name + host, url.path, path);
    name[host + path] = '\0';
    fd = platform::OpenFile(name, mode);
  }
  if (fd < 0) std::perror("can't open file");
  return fd;
}

int Open(CommHandle* handle, bool reopen) {
  if (!IsHandle(handle)) return DROVER_E_OPEN;
  handle->state[0] = 1;
  handle->state[1] = 0;
  handle->state[2] = 0;
  const int fd = OpenUrlFile(handle);
  if (fd < 0) return DROVER_E_OPEN;
  if (reopen && handle->fd >= 0) platform::CloseFile(handle->fd);
  handle->fd = fd;
  return 0;
}

/*
 *----------------------------------------------------------------------
 * Close --
 *   Cuts the file at the current position, then closes it.
 * Results:
 *   0, or DROVER_E_CLOSE when no descriptor is open or close fails.
 * Side effects:
 *   The handle's descriptor becomes -1.
 *----------------------------------------------------------------------
 */
int Close(CommHandle* handle) {
  if (!IsHandle(handle) || handle->fd < 0) return DROVER_E_CLOSE;
  // Reading and writing share the position, so after a rewrite from the start
  // the cut leaves exactly the bytes written.
  const int64_t at = platform::FilePosition(handle->fd);
  if (at >= 0) platform::TruncateFile(handle->fd, at);
  const bool closed = platform::CloseFile(handle->fd);
  handle->fd = -1;
  return closed ? 0 : DROVER_E_CLOSE;
}

}  // namespace
}  // namespace drover

extern "C" int CommOpen(CommHandle* handle, const char* url) {
  if (!drover::IsHandle(handle)) return DROVER_E_OPEN;
  if (decodeurl(&handle->url, url) != 0) return DROVER_E_FAILED;
  return drover::Open(handle, false);
}

extern "C" int CommInit(CommHandle* handle) { return drover::Open(handle, false); }

extern "C" int CommReOpen(CommHandle* handle) { return drover::Open(handle, true); }

extern "C" int CommRead(CommHandle* handle, void* buffer, int count) {
  if (!drover::IsHandle(handle) || handle->fd < 0 || buffer == nullptr || count < 0) return DROVER_E_FAILED;
  const long n = orvela::platform::ReadFile(handle->fd, buffer, static_cast<size_t>(count));
  if (n < 0) return DROVER_E_FAILED;
  return n == 0 ? DROVER_E_END : static_cast<int>(n);
}

extern "C" int CommWrite(CommHandle* handle, const void* buffer, int count) {
  if (!drover::IsHandle(handle) || handle->fd < 0 || buffer == nullptr || count < 0) return DROVER_E_FAILED;
  return static_cast<int>(orvela::platform::WriteFile(handle->fd, buffer, static_cast<size_t>(count)));
}

extern "C" int CommClose(CommHandle* handle) { return drover::Close(handle); }

extern "C" int CommDestroy(CommHandle* handle) { return drover::Close(handle); }

extern "C" int CommIoctl(CommHandle*, int, void*) { return DROVER_E_IOCTL; }

extern "C" int CommSendMessage(CommHandle* handle, int type, const void* data, int size) {
  return CommBaseSendMessage(handle, type, data, size);
}

extern "C" int CommSendMessageAppend(CommHandle* handle, const void* data, int size) {
  return CommBaseSendMessageAppend(handle, data, size);
}

extern "C" int CommGetMessage(CommHandle* handle, int* type, void* buffer, int size) {
  return CommBaseGetMessage(handle, type, buffer, size);
}

extern "C" int CommGetMessageSize(CommHandle* handle, int* size) { return CommBaseGetMessageSize(handle, size); }
