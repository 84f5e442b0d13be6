// The message queue every channel carries (CommBase* routines).
#include <cstring>

#include "channel_state.h"

extern "C" int CommBaseSendMessage(CommHandle* handle, int type, const void* data, int size) {
  comm::Channel* c = comm::ChannelOf(handle);
  if (c == nullptr || size < 0 || (data == nullptr && size > 0)) return COMM_E_ARGUMENT;
  try {
    comm::Message m;
    m.type_ = type;
    if (size > 0) m.bytes_.assign(static_cast<const char*>(data), static_cast<size_t>(size));
    c->messages_.push_back(std::move(m));
  } catch (...) {
    return COMM_E_NOMEM;
  }
  return COMM_OK;
}

extern "C" int CommBaseSendMessageAppend(CommHandle* handle, const void* data, int size) {
  comm::Channel* c = comm::ChannelOf(handle);
  if (c == nullptr || size < 0 || (data == nullptr && size > 0)) return COMM_E_ARGUMENT;
  if (c->messages_.empty()) return COMM_E_EMPTY;
  try {
    if (size > 0) c->messages_.back().bytes_.append(static_cast<const char*>(data), static_cast<size_t>(size));
  } catch (...) {
    return COMM_E_NOMEM;
  }
  return COMM_OK;
}

extern "C" int CommBaseGetMessage(CommHandle* handle, int* type, void* buffer, int size) {
  comm::Channel* c = comm::ChannelOf(handle);
  if (c == nullptr || size < 0 || (buffer == nullptr && size > 0)) return COMM_E_ARGUMENT;
  if (c->messages_.empty()) return COMM_E_EMPTY;
  const comm::Message& m = c->messages_.front();
  if (m.bytes_.size() > static_cast<size_t>(size)) return COMM_E_SMALL;
  if (type != nullptr) *type = m.type_;
  if (!m.bytes_.empty()) std::memcpy(buffer, m.bytes_.data(), m.bytes_.size());
  const int length = static_cast<int>(m.bytes_.size());
  c->messages_.pop_front();
  return length;
}

extern "C" int CommBaseGetMessageSize(CommHandle* handle, int* size) {
  comm::Channel* c = comm::ChannelOf(handle);
  if (c == nullptr || size == nullptr) return COMM_E_ARGUMENT;
  if (c->messages_.empty()) return COMM_E_EMPTY;
  *size = static_cast<int>(c->messages_.front().bytes_.size());
  return COMM_OK;
}
