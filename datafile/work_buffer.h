// Little-endian puts into a context's work buffer, the primitives the fixed
// header is assembled with.
#ifndef TAVIO_WORK_BUFFER_H
#define TAVIO_WORK_BUFFER_H

#include <cstddef>
#include <cstdint>

namespace orvela::tavio {

// Appends values to a byte area of fixed size.  A put that does not fit
// stores nothing and marks the writer failed; later puts are refused too.
class BufferWriter {
 public:
  BufferWriter(uint8_t* data, std::size_t size, std::size_t offset = 0) : data_(data), size_(size), offset_(offset) {}

  bool PutU8(uint8_t value) { return PutRepeated(value, 1); }
  bool PutU16(uint16_t value);
  bool PutU32(uint32_t value);
  bool PutDouble(double value);
  bool PutRepeated(uint8_t value, std::size_t count);
  bool PutText(const char* text);  // without its NUL

  std::size_t Offset() const { return offset_; }
  bool Ok() const { return ok_; }

 private:
  bool Room(std::size_t count);

  uint8_t* data_;
  std::size_t size_;
  std::size_t offset_;
  bool ok_ = true;
};

}  // namespace orvela::tavio

#endif
