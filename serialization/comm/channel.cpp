// Channels: opening through a transport or in memory, reading, writing,
// rewriting through a temporary file, and releasing.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "channel_state.h"
#include "dynlib.h"
#include "file_io.h"
#include "file_replace.h"

namespace comm {
namespace {

namespace platform = orvela::platform;

// A rewrite collects this much before it hands the bytes to the transport:
// the sensor file is written a line at a time.
constexpr size_t kRewriteBuffer = 64 * 1024;

// Hands the collected bytes of a rewrite to the transport.  Returns false
// (and spoils the rewrite) when the transport takes fewer.
bool FlushPending(Channel* c) {
  if (c->pending_.empty()) return !c->write_failed_;
  const int size = static_cast<int>(c->pending_.size());
  if (c->write_(&c->handle_, c->pending_.data(), size) != size) c->write_failed_ = true;
  c->pending_.clear();
  return !c->write_failed_;
}

int Read(CommHandle* handle, void* buffer, int count) {
  Channel* c = ChannelOf(handle);
  if (c == nullptr || buffer == nullptr || count < 0) return COMM_E_ARGUMENT;
  if (!c->memory_) {
    if (c->rewrite_ == Rewrite::kActive && !FlushPending(c)) return -1;
    return c->read_(handle, buffer, count);
  }
  if (c->at_ >= c->bytes_.size()) return COMM_E_END;
  const size_t n = std::min(static_cast<size_t>(count), c->bytes_.size() - c->at_);
  std::memcpy(buffer, c->bytes_.data() + c->at_, n);
  c->at_ += n;
  return static_cast<int>(n);
}

int Write(CommHandle* handle, const void* buffer, int count) {
  Channel* c = ChannelOf(handle);
  if (c == nullptr || buffer == nullptr || count < 0) return COMM_E_ARGUMENT;
  if (c->rewrite_ == Rewrite::kRefused) return COMM_E_REWRITE;
  c->written_ = true;
  if (c->memory_) {
    try {
      const size_t end = c->at_ + static_cast<size_t>(count);
      if (end > c->bytes_.size()) c->bytes_.resize(end);
      std::memcpy(c->bytes_.data() + c->at_, buffer, static_cast<size_t>(count));
      c->at_ = end;
    } catch (...) {
      c->write_failed_ = true;
      return COMM_E_NOMEM;
    }
    return count;
  }
  if (c->rewrite_ == Rewrite::kActive) {
    // One short write spoils the whole new content; it must not replace the
    // old.  A failure found while flushing shows at the next write.
    if (c->write_failed_) return COMM_E_REWRITE;
    try {
      c->pending_.append(static_cast<const char*>(buffer), static_cast<size_t>(count));
    } catch (...) {
      c->write_failed_ = true;
      return COMM_E_NOMEM;
    }
    if (c->pending_.size() >= kRewriteBuffer && !FlushPending(c)) return COMM_E_REWRITE;
    return count;
  }
  return c->write_(handle, buffer, count);
}

int64_t Position(CommHandle* handle) {
  Channel* c = ChannelOf(handle);
  if (c == nullptr) return -1;
  if (c->memory_) return static_cast<int64_t>(c->at_);
  if (handle->fd < 0) return -1;
  const int64_t at = platform::FilePosition(handle->fd);
  return at < 0 ? -1 : at + static_cast<int64_t>(c->pending_.size());
}

/*
 *----------------------------------------------------------------------
 * PrepareRewrite --
 *   First of the two rewrite calls: for a file, opens a temporary file
 *   beside it that collects the new content.
 * Results:
 *   COMM_OK, or COMM_E_REWRITE for a file opened read-only, one without
 *   a name, or no temporary file (every later write then fails).
 * Side effects:
 *   The handle's descriptor is the temporary file's until CommFreeHandle.
 *----------------------------------------------------------------------
 */
int PrepareRewrite(CommHandle* handle) {
  Channel* c = ChannelOf(handle);
  if (c == nullptr) return COMM_E_ARGUMENT;
  if (c->rewrite_ == Rewrite::kActive) return COMM_OK;
  if (c->rewrite_ == Rewrite::kRefused) return COMM_E_REWRITE;
  c->write_failed_ = false;
  if (c->memory_) {
    try {
      c->saved_bytes_ = c->bytes_;
    } catch (...) {
      c->rewrite_ = Rewrite::kRefused;
      return COMM_E_REWRITE;
    }
    c->rewrite_ = Rewrite::kActive;
    return COMM_OK;
  }
  // A file opened for reading only is not rewritten behind its reader's back;
  // a channel without a named file cannot be replaced safely.
  std::string path;
  int temp_fd = -1;
  if (handle->fd >= 0 && !platform::IsReadOnly(handle->fd)) {
    path = platform::DescriptorPath(handle->fd);
    if (!path.empty()) temp_fd = platform::CreateSiblingTemp(path, &c->temp_path_);
  }
  if (temp_fd < 0) {
    c->rewrite_ = Rewrite::kRefused;
    return COMM_E_REWRITE;
  }
  c->original_fd_ = handle->fd;
  c->original_path_ = std::move(path);
  handle->fd = temp_fd;
  c->rewrite_ = Rewrite::kActive;
  return COMM_OK;
}

int Rewind(CommHandle* handle) {
  Channel* c = ChannelOf(handle);
  if (c == nullptr) return COMM_E_ARGUMENT;
  if (c->rewrite_ == Rewrite::kRefused) return COMM_E_REWRITE;
  if (c->memory_) {
    if (c->rewrite_ == Rewrite::kActive) c->bytes_.clear();
    c->at_ = 0;
    return COMM_OK;
  }
  if (c->rewrite_ == Rewrite::kActive) c->pending_.clear();
  if (handle->fd < 0 || !platform::SeekFile(handle->fd, 0)) return COMM_E_REWRITE;
  return COMM_OK;
}

int AbandonRewrite(CommHandle* handle) {
  Channel* c = ChannelOf(handle);
  if (c == nullptr) return COMM_E_ARGUMENT;
  if (c->rewrite_ == Rewrite::kActive) {
    if (c->memory_) {
      c->bytes_.swap(c->saved_bytes_);
    } else {
      c->pending_.clear();
      platform::CloseFile(handle->fd);
      platform::RemoveFile(c->temp_path_);
      handle->fd = c->original_fd_;
      c->original_fd_ = -1;
    }
  }
  c->rewrite_ = Rewrite::kRefused;
  return COMM_OK;
}

std::unique_ptr<Channel> NewChannel() {
  auto c = std::unique_ptr<Channel>(new (std::nothrow) Channel);
  if (c == nullptr) return nullptr;
  CommHandle& h = c->handle_;
  h.magic = COMM_MAGIC;
  h.read = Read;
  h.write = Write;
  h.position = Position;
  h.prepareRewrite = PrepareRewrite;
  h.rewind = Rewind;
  h.abandonRewrite = AbandonRewrite;
  h.fd = -1;
  h.impl = c.get();
  return c;
}

/*
 *----------------------------------------------------------------------
 * FinishRewrite --
 *   Completes a rewrite in progress: the temporary file takes the old
 *   one's place only when every write succeeded, it reached the disk and
 *   it closed.
 * Results:
 *   COMM_OK, or COMM_E_CLOSE when the new content was not put in place.
 * Side effects:
 *   The temporary file is renamed over the old file or removed; both
 *   descriptors are closed.
 *----------------------------------------------------------------------
 */
int FinishRewrite(Channel* c) {
  CommHandle* handle = &c->handle_;
  bool ok = FlushPending(c) && platform::SyncFile(handle->fd);
  // The transport's close cuts the temporary file at its end and closes it.
  if (c->close_(handle) != 0) ok = false;
  if (handle->fd >= 0) {
    platform::CloseFile(handle->fd);
    handle->fd = -1;
  }
  if (ok) ok = platform::CommitReplacement(c->temp_path_, c->original_path_);
  if (!ok) platform::RemoveFile(c->temp_path_);
  platform::CloseFile(c->original_fd_);
  return ok ? COMM_OK : COMM_E_CLOSE;
}

/*
 *----------------------------------------------------------------------
 * CloseChannel --
 *   Closes the channel as CommFreeHandle describes (the handle record
 *   itself stays alive, so that the transport still recognises it).
 * Results:
 *   CommFreeHandle's result.
 * Side effects:
 *   The descriptor is closed; a file only read is not cut.
 *----------------------------------------------------------------------
 */
int CloseChannel(Channel* c) {
  if (c->memory_) return COMM_OK;
  CommHandle* h = &c->handle_;
  switch (c->rewrite_) {
    case Rewrite::kActive:
      return FinishRewrite(c);
    case Rewrite::kRefused:
      // The old content stays as it is: no cut at the reading position.
      if (h->fd >= 0) platform::CloseFile(h->fd);
      return COMM_E_REWRITE;
    case Rewrite::kNone:
      break;
  }
  if (!c->written_ && h->fd >= 0) {
    // Only read: a cut at the reading position would lose the rest of the file.
    return platform::CloseFile(h->fd) ? COMM_OK : COMM_E_CLOSE;
  }
  return c->close_(h) == 0 ? COMM_OK : COMM_E_CLOSE;
}

}  // namespace
}  // namespace comm

extern "C" int CommGetHandle(const char* url, void** handle) {
  if (url == nullptr || handle == nullptr) return COMM_E_ARGUMENT;
  DecodedUrl decoded;
  if (decodeurl(&decoded, url) != 0) return COMM_E_URL;
  void* module = LibLoader(decoded.scheme);
  if (module == nullptr) return COMM_E_TRANSPORT;
  namespace platform = orvela::platform;
  auto open = reinterpret_cast<CommOpenFn>(platform::ResolveSymbol(module, "CommOpen"));
  auto read = reinterpret_cast<CommReadFn>(platform::ResolveSymbol(module, "CommRead"));
  auto write = reinterpret_cast<CommWriteFn>(platform::ResolveSymbol(module, "CommWrite"));
  auto close = reinterpret_cast<CommCloseFn>(platform::ResolveSymbol(module, "CommClose"));
  if (open == nullptr || read == nullptr || write == nullptr || close == nullptr) return COMM_E_TRANSPORT;
  std::unique_ptr<comm::Channel> c = comm::NewChannel();
  if (c == nullptr) return COMM_E_NOMEM;
  c->read_ = read;
  c->write_ = write;
  c->close_ = close;
  const int rc = open(&c->handle_, url);
  if (rc < 0) return rc;
  *handle = &c.release()->handle_;
  return rc;
}

extern "C" int CommGetMemoryHandle(const void* bytes, int size, void** handle) {
  if (handle == nullptr || size < 0 || (bytes == nullptr && size > 0)) return COMM_E_ARGUMENT;
  std::unique_ptr<comm::Channel> c = comm::NewChannel();
  if (c == nullptr) return COMM_E_NOMEM;
  c->memory_ = true;
  try {
    if (size > 0) c->bytes_.assign(static_cast<const char*>(bytes), static_cast<size_t>(size));
  } catch (...) {
    return COMM_E_NOMEM;
  }
  c->handle_.state[0] = 1;
  *handle = &c.release()->handle_;
  return COMM_OK;
}

extern "C" int CommMemoryContents(void* handle, const char** bytes, int* size) {
  comm::Channel* c = comm::ChannelOf(static_cast<CommHandle*>(handle));
  if (c == nullptr || !c->memory_ || bytes == nullptr || size == nullptr) return COMM_E_ARGUMENT;
  *bytes = c->bytes_.data();
  *size = static_cast<int>(c->bytes_.size());
  return COMM_OK;
}

extern "C" int CommFreeHandle(void** handle) {
  if (handle == nullptr || *handle == nullptr) return COMM_OK;
  comm::Channel* c = comm::ChannelOf(static_cast<CommHandle*>(*handle));
  if (c == nullptr) return COMM_E_ARGUMENT;
  std::unique_ptr<comm::Channel> owned(c);
  *handle = nullptr;
  const int rc = comm::CloseChannel(c);
  c->handle_.magic = 0;
  return rc;
}
