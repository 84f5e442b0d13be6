// Little-endian puts into the write work buffer, and the two exports that
// give clients the same primitives.
#include "work_buffer.h"

#include <cstring>

#include "tavio.h"
#include "tavio_state.h"

namespace orvela::tavio {

bool BufferWriter::Room(std::size_t count) {
  if (!ok_ || offset_ > size_ || count > size_ - offset_) ok_ = false;
  return ok_;
}

bool BufferWriter::PutU16(uint16_t value) {
  if (!Room(2)) return false;
  data_[offset_++] = static_cast<uint8_t>(value);
  data_[offset_++] = static_cast<uint8_t>(value >> 8);
  return true;
}

bool BufferWriter::PutU32(uint32_t value) {
  if (!Room(4)) return false;
  for (int i = 0; i < 4; ++i) data_[offset_++] = static_cast<uint8_t>(value >> (8 * i));
  return true;
}

bool BufferWriter::PutDouble(double value) {
  if (!Room(8)) return false;
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  for (int i = 0; i < 8; ++i) data_[offset_++] = static_cast<uint8_t>(bits >> (8 * i));
  return true;
}

bool BufferWriter::PutRepeated(uint8_t value, std::size_t count) {
  if (!Room(count)) return false;
  std::memset(data_ + offset_, value, count);
  offset_ += count;
  return true;
}

bool BufferWriter::PutText(const char* text) {
  const std::size_t n = text != nullptr ? std::strlen(text) : 0;
  if (!Room(n)) return false;
  if (n != 0) std::memcpy(data_ + offset_, text, n);
  offset_ += n;
  return true;
}

}  // namespace orvela::tavio

using namespace orvela::tavio;

namespace {

// Runs one put at *offset of the write work buffer and advances *offset; a put
// that would not fit into the buffer is refused with 213.
template <typename Put>
int PutAt(unsigned int* offset, Put&& put) {
  if (offset == nullptr) return TAVIO_E_INDEX;
  DataFileContext& ctx = WriteContext();
  BufferWriter writer(ctx.buffer.data(), ctx.buffer.size(), *offset);
  if (!put(writer)) return TAVIO_E_INDEX;
  *offset = static_cast<unsigned int>(writer.Offset());
  return 0;
}

}  // namespace

extern "C" int TAVIO_PutUShort(int value, unsigned int* offset) {
  return PutAt(offset, [&](BufferWriter& w) { return w.PutU16(static_cast<uint16_t>(value & 0xFFFF)); });
}

extern "C" int TAVIO_PutDouble(double value, unsigned int* offset) {
  return PutAt(offset, [&](BufferWriter& w) { return w.PutDouble(value); });
}
