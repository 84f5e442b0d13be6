// cFileParse: the file slot's reader, a buffered stream with 64-bit
// positions.  Every read is bounded by `size`, the usable length, which the
// statistics code shortens to exclude the padding at the end of a file.
#ifndef TRENDEL_ENGINE_FILE_PARSE_H
#define TRENDEL_ENGINE_FILE_PARSE_H

#include <cstdint>
#include <cstdio>

#include "text.h"

namespace trendel {

// Opens a regular file for reading ("r", "rb") or writing ("w", "wb");
// null for anything else, without blocking on a FIFO.
FILE* OpenRegularFile(const char* path, const char* mode);

class cFileParse {
 public:
  cFileParse() = default;
  ~cFileParse() { closeFile(); }
  cFileParse(const cFileParse&) = delete;
  cFileParse& operator=(const cFileParse&) = delete;

  // Stores path and mode (cut to 255 characters), then reopen().
  bool openFile(const char* path, const char* mode);
  // pos = size = 0; opens the stored path; size = the file's 64-bit length.
  // False when path or mode is empty or the file cannot be opened.
  bool reopen();
  // reopen() and return to the offset held before it.
  bool openAtLastPos();
  void closeFile();
  bool isOpen() const { return fp_ != nullptr; }
  bool eof() const { return pos >= size; }
  uint64_t bytesRemaining() const { return pos < size ? size - pos : 0; }
  // Moves by delta, clamped to [0, size].  Always true.
  bool seekPos(int64_t delta);
  // Moves to offset; false (nothing moved) beyond size.
  bool seekAbs(uint64_t offset);
  // Little-endian reads; false and *out unchanged when the value would end
  // past size.
  bool getUByte(uint8_t* out);
  bool getUShort(uint16_t* out);
  bool getULong(uint32_t* out);
  bool getDouble(double* out);
  // Reads min(n, bytesRemaining()) bytes; returns the count read.
  uint32_t readBytes(void* buffer, uint32_t n);
  // Reads bytes up to one of `delims` into out (at most size - 1 stored, the
  // rest of an over-long item is consumed); *delim receives the delimiter,
  // or 0 when the end of the file came first.  Returns the item's length.
  int getDelimStr(char* out, size_t out_size, const char* delims, char* delim);
  // True when the upcoming bytes equal text; the position is unchanged.
  bool peek(const char* text);

  uint64_t pos = 0;   // current offset
  uint64_t size = 0;  // usable length
  STR fname = {};
  STR mode = {};

 private:
  bool ReadExact(void* out, size_t n);
  FILE* fp_ = nullptr;
};

}  // namespace trendel

#endif
