// Whole-buffer reads and writes on a low-level file handle, and the big-endian
// number forms every container payload uses.
#ifndef KEPR_FILE_IO_H
#define KEPR_FILE_IO_H

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orvela::kepr {

// Writes all `size` bytes, retrying after partial writes and interruptions.
// Returns false when a write fails.
bool WriteAll(int fd, const void* data, size_t size);

// Reads exactly `size` bytes.  Returns false on an error or when the file ends
// first.
bool ReadExact(int fd, void* data, size_t size);

// Moves to `offset` from `origin`; returns the new position or -1.
off_t Seek(int fd, off_t offset, int origin);

// Writes `value` big-endian at `offset`.  Returns false when the seek or the
// write fails.
bool WriteU32At(int fd, off_t offset, uint32_t value);

inline void PutU16BE(uint8_t* out, uint16_t v) {
  out[0] = static_cast<uint8_t>(v >> 8);
  out[1] = static_cast<uint8_t>(v);
}

inline void PutU32BE(uint8_t* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

inline void PutF64BE(uint8_t* out, double d) {
  uint64_t bits = 0;
  std::memcpy(&bits, &d, sizeof bits);
  for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
}

inline uint16_t GetU16BE(const uint8_t* in) {
  return static_cast<uint16_t>(in[0] << 8 | in[1]);
}

inline uint32_t GetU32BE(const uint8_t* in) {
  return static_cast<uint32_t>(in[0]) << 24 | static_cast<uint32_t>(in[1]) << 16 |
         static_cast<uint32_t>(in[2]) << 8 | in[3];
}

inline double GetF64BE(const uint8_t* in) {
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits = bits << 8 | in[i];
  double d = 0;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

}  // namespace orvela::kepr

#endif
