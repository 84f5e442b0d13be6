// Chunk bodies shared by the two forms: texts, numbers and nested lists.
#ifndef KEPR_CHUNK_WRITER_H
#define KEPR_CHUNK_WRITER_H

#include <cstddef>
#include <cstdint>

#include "kepr.h"

namespace orvela::kepr {

// Writes a text chunk: at most `room - 1` characters of `text` (stopping at
// its NUL), without a NUL, padded to even.  Returns the chunk's bytes or a
// negative code.
int WriteTextChunk(int fd, uint32_t id, const char* text, size_t room);

// Write number chunks, big-endian.  Return the chunk's bytes or a negative code.
int WriteF64Chunk(int fd, uint32_t id, double value);
int WriteU32Chunk(int fd, uint32_t id, uint32_t value);
int WriteU16Chunk(int fd, uint32_t id, uint16_t value);

// Adds a child chunk's result to a body's running length: false (with *code
// set to the child's negative result) when the child failed.
bool AddChild(int child, int* length, int* code);

}  // namespace orvela::kepr

#endif
