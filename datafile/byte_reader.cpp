// Bounded little-endian reads from a data file's buffered stream.
#include "byte_reader.h"

#include <cstring>
#include <sys/types.h>

namespace orvela::tavio {

namespace {

constexpr uint8_t kTab = 9;
constexpr uint8_t kVerticalTab = 11;

}  // namespace

ByteReader::ByteReader(std::FILE* stream, int64_t size) : stream_(stream), size_(size), offset_(0) {
  if (stream_ != nullptr) {
    const off_t here = ftello(stream_);
    offset_ = here < 0 ? 0 : static_cast<int64_t>(here);
  }
}

/*
 * ByteReader::Seek --
 *   Moves the cursor to an absolute offset inside the file.
 * Results:
 *   false when the offset lies outside 0..size or the stream cannot seek.
 * Side effects:
 *   Repositions the stream.
 */
bool ByteReader::Seek(int64_t offset) {
  if (stream_ == nullptr || offset < 0 || offset > size_) return false;
  if (fseeko(stream_, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
  offset_ = offset;
  return true;
}

bool ByteReader::Skip(int64_t count) {
  if (count < 0 || count > Remaining()) return false;
  return Seek(offset_ + count);
}

/*
 * ByteReader::Fill --
 *   Reads exactly `count` bytes, checked against the bytes left in the file.
 * Results:
 *   false when fewer bytes remain or the stream reports a short read; the
 *   cursor then goes back to where it was.
 * Side effects:
 *   Advances the cursor on success.
 */
bool ByteReader::Fill(void* out, int64_t count) {
  if (stream_ == nullptr || count < 0 || count > Remaining()) return false;
  if (count == 0) return true;
  const size_t got = std::fread(out, 1, static_cast<size_t>(count), stream_);
  if (got != static_cast<size_t>(count)) {
    Seek(offset_);
    return false;
  }
  offset_ += count;
  return true;
}

bool ByteReader::GetU8(uint8_t* out) {
  return Fill(out, 1);
}

bool ByteReader::GetU16(uint16_t* out) {
  uint8_t b[2];
  if (!Fill(b, 2)) return false;
  *out = static_cast<uint16_t>(b[0] | (b[1] << 8));
  return true;
}

bool ByteReader::GetU32(uint32_t* out) {
  uint8_t b[4];
  if (!Fill(b, 4)) return false;
  *out = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
         (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
  return true;
}

bool ByteReader::GetF64(double* out) {
  uint8_t b[8];
  if (!Fill(b, 8)) return false;
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | b[i];
  std::memcpy(out, &bits, sizeof bits);
  return true;
}

bool ByteReader::GetBytes(void* out, int64_t count) {
  return Fill(out, count);
}

/*
 * ByteReader::GetListItem --
 *   Reads one item of a TAB/VT separated text list.
 * Results:
 *   false when the file ends before a separator (a list without its VT).
 * Side effects:
 *   Consumes the item and its separator; keeps at most max_length characters.
 */
bool ByteReader::GetListItem(std::string* out, size_t max_length, uint8_t* separator) {
  out->clear();
  while (offset_ < size_) {
    const int c = std::fgetc(stream_);
    if (c == EOF) return false;
    ++offset_;
    if (c == kTab || c == kVerticalTab) {
      *separator = static_cast<uint8_t>(c);
      return true;
    }
    if (out->size() < max_length) out->push_back(static_cast<char>(c));
  }
  return false;
}

bool ByteReader::LooksAt(const char* text, size_t length) {
  if (static_cast<int64_t>(length) > Remaining()) return false;
  char bytes[16];
  if (length > sizeof bytes) return false;
  const int64_t here = offset_;
  if (!Fill(bytes, static_cast<int64_t>(length))) return false;
  Seek(here);
  return std::memcmp(bytes, text, length) == 0;
}

}  // namespace orvela::tavio
