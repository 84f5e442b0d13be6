// Reading chunk lists: a bounded cursor over the file and the loop that hands
// each chunk of a container to the handler its identifier names.
#ifndef KEPR_CHUNK_LIST_H
#define KEPR_CHUNK_LIST_H

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <span>

#include "kepr.h"

namespace orvela::kepr {

// Reads a file sequentially from a start offset; never past `size`.
class ChunkReader {
 public:
  ChunkReader(int fd, off_t start, off_t size) : fd_(fd), offset_(start), fd_offset_(start), size_(size) {}

  // Reads exactly `n` bytes; false on an error or when the file ends first.
  bool Read(void* out, size_t n);
  // Moves past `n` bytes; false when that would leave the file.
  bool Skip(uint64_t n);

  off_t Offset() const { return offset_; }
  uint64_t Remaining() const { return offset_ < size_ ? static_cast<uint64_t>(size_ - offset_) : 0; }

 private:
  int fd_;
  off_t offset_;     // where the next read starts
  off_t fd_offset_;  // where the file position is
  off_t size_;
};

// What the handlers of one parse share.
struct ParseState {
  ChunkReader& reader;
  KEPRParsed& out;
  int channel = -1;           // descriptor the channel's chunks fill
  double** values = nullptr;  // value array a "PRCS" or "POCS" list appends to
  uint16_t* value_count = nullptr;
  uint32_t value_room = 0;
};

// Handles one chunk whose header has been read: consumes exactly `length`
// payload bytes (the list skips the pad byte).  False fails the parse.
using ChunkHandler = bool (*)(ParseState& state, uint32_t length);

struct ChunkRule {
  uint32_t id;
  ChunkHandler handle;
};

// Parses a container's payload of `size` bytes as a list of chunks allowed by
// `rules`; unknown chunks are reported and skipped.  False on a short read, a
// chunk that runs past the container or the file, or a failed handler.
bool ParseChunkList(ParseState& state, std::span<const ChunkRule> rules, uint64_t size);

// Chunk bodies common to both forms.  Texts longer than `room - 1` are cut;
// numbers must have exactly their size.
bool ReadText(ParseState& state, uint32_t length, char* slot, size_t room);
bool ReadF64(ParseState& state, uint32_t length, double* value);
bool ReadU32(ParseState& state, uint32_t length, uint32_t* value);
bool ReadU16(ParseState& state, uint32_t length, uint16_t* value);
// Records a raw block ("DATA", "POLL", "EVNT"): its length and the offset of
// its first byte, both of which must fit an int.
bool ReadBlock(ParseState& state, uint32_t length, int* block_length, int* block_offset);

// The chunk lists of each form's FORM payload.
bool ParseKeprForm(ParseState& state, uint64_t size);
bool ParseStrmForm(ParseState& state, uint64_t size);

}  // namespace orvela::kepr

#endif
