// cFileParse: bounded reads of the loaded data file.
#include "file_parse.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cstring>

namespace trendel {

static_assert(std::endian::native == std::endian::little, "the reader assumes a little-endian host");

/*
 * OpenRegularFile --
 *   Opens a regular file for reading ("r", "rb") or writing ("w", "wb":
 *   created or emptied) without waiting on a FIFO whose other end never
 *   opens.
 * Results:
 *   The stream, or null when the path cannot be opened or is not a regular
 *   file.
 * Side effects:
 *   Writing: creates or empties the file.
 */
FILE* OpenRegularFile(const char* path, const char* mode) {
  const bool write = std::strchr(mode, 'w') != nullptr;
  const int flags = write ? O_WRONLY | O_CREAT : O_RDONLY;
  const int fd = open(path, flags | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || fcntl(fd, F_SETFL, 0) != 0 ||
      (write && ftruncate(fd, 0) != 0)) {
    close(fd);
    return nullptr;
  }
  FILE* fp = fdopen(fd, mode);
  if (fp == nullptr) close(fd);
  return fp;
}

bool cFileParse::openFile(const char* path, const char* open_mode) {
  CopyText(fname, sizeof fname, path);
  CopyText(mode, sizeof mode, open_mode);
  return reopen();
}

/*
 * cFileParse::reopen --
 *   Opens the stored path again from its start.
 * Results:
 *   True when the stream is open.
 * Side effects:
 *   Closes any open stream; pos and size are reset.
 */
bool cFileParse::reopen() {
  closeFile();
  pos = 0;
  size = 0;
  if (fname[0] == '\0' || mode[0] == '\0') return false;
  fp_ = OpenRegularFile(fname, mode);
  if (fp_ == nullptr) return false;
  struct stat st {};
  if (fstat(fileno(fp_), &st) != 0) {
    closeFile();
    return false;
  }
  size = static_cast<uint64_t>(st.st_size);
  return true;
}

bool cFileParse::openAtLastPos() {
  const uint64_t last = pos;
  if (!reopen()) return false;
  return seekAbs(last);
}

void cFileParse::closeFile() {
  if (fp_ != nullptr) std::fclose(fp_);
  fp_ = nullptr;
}

bool cFileParse::seekPos(int64_t delta) {
  uint64_t target;
  if (delta < 0) {
    const uint64_t back = static_cast<uint64_t>(-(delta + 1)) + 1;
    target = back > pos ? 0 : pos - back;
  } else {
    target = pos + static_cast<uint64_t>(delta);
    if (target < pos || target > size) target = size;
  }
  seekAbs(target);
  return true;
}

bool cFileParse::seekAbs(uint64_t offset) {
  if (offset > size || fp_ == nullptr) return false;
  if (fseeko(fp_, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
  pos = offset;
  return true;
}

bool cFileParse::ReadExact(void* out, size_t n) {
  if (fp_ == nullptr || n > bytesRemaining()) return false;
  unsigned char tmp[8];
  const size_t got = std::fread(tmp, 1, n, fp_);
  pos += got;
  if (got != n) return false;  // the file shrank under us
  std::memcpy(out, tmp, n);
  return true;
}

bool cFileParse::getUByte(uint8_t* out) { return ReadExact(out, 1); }
bool cFileParse::getUShort(uint16_t* out) { return ReadExact(out, 2); }
bool cFileParse::getULong(uint32_t* out) { return ReadExact(out, 4); }
bool cFileParse::getDouble(double* out) { return ReadExact(out, 8); }

uint32_t cFileParse::readBytes(void* buffer, uint32_t n) {
  if (fp_ == nullptr || eof()) return 0;
  const uint64_t want = n < bytesRemaining() ? n : bytesRemaining();
  const size_t got = std::fread(buffer, 1, static_cast<size_t>(want), fp_);
  pos += got;
  return static_cast<uint32_t>(got);
}

/*
 * cFileParse::getDelimStr --
 *   Reads one delimited item of a text list.
 * Results:
 *   The number of text bytes read; *delim holds the delimiter or 0.
 * Side effects:
 *   Consumes the item and its delimiter.
 */
int cFileParse::getDelimStr(char* out, size_t out_size, const char* delims, char* delim) {
  size_t stored = 0;
  int length = 0;
  *delim = 0;
  while (fp_ != nullptr && pos < size) {
    const int c = std::getc(fp_);
    if (c == EOF) break;
    ++pos;
    if (c != 0 && std::strchr(delims, c) != nullptr) {
      *delim = static_cast<char>(c);
      break;
    }
    if (stored + 1 < out_size) out[stored++] = static_cast<char>(c);
    ++length;
  }
  if (out_size > 0) out[stored] = '\0';
  return length;
}

bool cFileParse::peek(const char* text) {
  const size_t n = std::strlen(text);
  if (n == 0) return true;
  if (fp_ == nullptr || n > bytesRemaining()) return false;
  char tmp[64];
  if (n > sizeof tmp) return false;
  const uint64_t start = pos;
  const size_t got = std::fread(tmp, 1, n, fp_);
  pos += got;
  const bool same = got == n && std::memcmp(tmp, text, n) == 0;
  seekAbs(start);
  return same;
}

}  // namespace trendel
