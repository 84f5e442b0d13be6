// comm's own state behind CommHandle::impl (private to the library).
#ifndef COMM_CHANNEL_STATE_H
#define COMM_CHANNEL_STATE_H

#include <deque>
#include <string>

#include "comm.h"

namespace comm {

struct Message {
  int type_ = 0;
  std::string bytes_;
};

// Where a rewrite stands.
enum class Rewrite {
  kNone,      // writes go where the channel's position is
  kActive,    // writes go to the temporary file (or the emptied memory)
  kRefused,   // a rewrite could not start or was given up: writes fail
};

struct Channel {
  CommHandle handle_{};
  // A transport channel: the library's functions, resolved once at open.
  CommReadFn read_ = nullptr;
  CommWriteFn write_ = nullptr;
  CommCloseFn close_ = nullptr;
  // A memory channel.
  bool memory_ = false;
  std::string bytes_;
  size_t at_ = 0;
  std::string saved_bytes_;  // the content before a rewrite, restored when it is given up
  // Rewriting.
  bool written_ = false;
  Rewrite rewrite_ = Rewrite::kNone;
  bool write_failed_ = false;
  int original_fd_ = -1;
  std::string original_path_;
  std::string temp_path_;
  std::string pending_;  // rewrite: bytes not yet handed to the transport
  std::deque<Message> messages_;
};

// Returns the state of a live handle, or null for NULL or a foreign pointer.
inline Channel* ChannelOf(CommHandle* handle) {
  if (handle == nullptr || handle->magic != COMM_MAGIC || handle->impl == nullptr) return nullptr;
  return static_cast<Channel*>(handle->impl);
}

}  // namespace comm

#endif
