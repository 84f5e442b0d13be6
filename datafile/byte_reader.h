// The one cursor through which the reader takes bytes from a data file: every
// read is bounded by the file size, so a truncated or damaged header can only
// end a parse, never make it read past what the file holds.
#ifndef TAVIO_BYTE_READER_H
#define TAVIO_BYTE_READER_H

#include <cstdint>
#include <cstdio>
#include <string>

namespace orvela::tavio {

class ByteReader {
 public:
  // Wraps an open binary stream whose size is `size` bytes; the stream stays
  // owned by the caller.  The cursor starts at the stream's current position.
  ByteReader(std::FILE* stream, int64_t size);

  int64_t Offset() const { return offset_; }
  int64_t Size() const { return size_; }
  int64_t Remaining() const { return offset_ < size_ ? size_ - offset_ : 0; }

  // Moves to `offset`; false (cursor unchanged) when it lies outside the file.
  bool Seek(int64_t offset);
  // Skips `count` bytes; false when fewer remain.
  bool Skip(int64_t count);

  // Little-endian reads; false (out untouched, cursor unchanged) when the file
  // holds fewer bytes than the value needs.
  bool GetU8(uint8_t* out);
  bool GetU16(uint16_t* out);
  bool GetU32(uint32_t* out);
  bool GetF64(double* out);
  bool GetBytes(void* out, int64_t count);

  // Reads the bytes up to the next TAB or VT into `out`, keeping at most
  // `max_length` of them (the rest of a longer item is skipped), and consumes
  // the separator, which is stored in *separator.  False when the file ends
  // before a separator.
  bool GetListItem(std::string* out, size_t max_length, uint8_t* separator);

  // True when the next bytes equal `text` (nothing is consumed).
  bool LooksAt(const char* text, size_t length);

 private:
  bool Fill(void* out, int64_t count);

  std::FILE* stream_;
  int64_t size_;
  int64_t offset_;
};

}  // namespace orvela::tavio

#endif
