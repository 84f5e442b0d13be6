// The chunk list loop, the bounded file cursor and the common chunk bodies.
#include "chunk_list.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>

#include "file_io.h"

namespace orvela::kepr {

bool ChunkReader::Read(void* out, size_t n) {
  if (n > Remaining()) return false;
  if (fd_offset_ != offset_) {
    if (lseek(fd_, offset_, SEEK_SET) != offset_) return false;
    fd_offset_ = offset_;
  }
  if (!ReadExact(fd_, out, n)) {
    fd_offset_ = -1;  // unknown after a failed read
    return false;
  }
  offset_ += static_cast<off_t>(n);
  fd_offset_ = offset_;
  return true;
}

bool ChunkReader::Skip(uint64_t n) {
  if (n > Remaining()) return false;
  offset_ += static_cast<off_t>(n);
  return true;
}

bool ParseChunkList(ParseState& state, std::span<const ChunkRule> rules, uint64_t size) {
  uint64_t accounted = 0;
  while (accounted < size) {
    if (size - accounted < 8) return false;  // no room for a chunk header
    uint8_t header[8];
    if (!state.reader.Read(header, sizeof header)) return false;
    const uint32_t id = GetU32BE(header);
    const uint32_t length = GetU32BE(header + 4);
    const uint64_t room = size - accounted - 8;
    if (length > room || length > state.reader.Remaining())
      return false;  // runs past its container or the file
    const auto rule =
        std::find_if(rules.begin(), rules.end(), [id](const ChunkRule& r) { return r.id == id; });
    if (rule != rules.end()) {
      if (!rule->handle(state, length)) return false;
    } else {
      std::printf("don't know subtag %lx\n", static_cast<unsigned long>(id));
      if (!state.reader.Skip(length)) return false;
    }
    uint64_t used = 8 + uint64_t{length};
    // A pad byte follows an odd payload; the last chunk of a container may lack
    // it when a writer appended an odd number of bytes.
    if (length % 2 != 0 && length < room) {
      if (!state.reader.Skip(1)) return false;
      ++used;
    }
    accounted += used;
  }
  return true;
}

bool ReadText(ParseState& state, uint32_t length, char* slot, size_t room) {
  const size_t kept = std::min<size_t>(length, room - 1);
  if (!state.reader.Read(slot, kept)) return false;
  slot[kept] = '\0';
  return state.reader.Skip(length - kept);
}

bool ReadF64(ParseState& state, uint32_t length, double* value) {
  uint8_t bytes[8];
  if (length != sizeof bytes || !state.reader.Read(bytes, sizeof bytes)) return false;
  *value = GetF64BE(bytes);
  return true;
}

bool ReadU32(ParseState& state, uint32_t length, uint32_t* value) {
  uint8_t bytes[4];
  if (length != sizeof bytes || !state.reader.Read(bytes, sizeof bytes)) return false;
  *value = GetU32BE(bytes);
  return true;
}

bool ReadU16(ParseState& state, uint32_t length, uint16_t* value) {
  uint8_t bytes[2];
  if (length != sizeof bytes || !state.reader.Read(bytes, sizeof bytes)) return false;
  *value = GetU16BE(bytes);
  return true;
}

bool ReadBlock(ParseState& state, uint32_t length, int* block_length, int* block_offset) {
  // The records hold 32-bit lengths and offsets: a block beyond 2 GB cannot be described.
  const off_t offset = state.reader.Offset();
  if (length > static_cast<uint32_t>(INT_MAX) || offset > INT_MAX) return false;
  *block_length = static_cast<int>(length);
  *block_offset = static_cast<int>(offset);
  return state.reader.Skip(length);
}

}  // namespace orvela::kepr
