// The write and read operations of the format object (private to markal).
#ifndef MARKAL_FORMAT_OPS_H
#define MARKAL_FORMAT_OPS_H

#include "comm.h"
#include "markal.h"

namespace markal {

// Writes `data` as an element of type `type_url` (see markal.h).
int Write(void* format, void* data, const char* type_url, CommHandle* channel);

// Reads one document into a tree of formatter objects (see markal.h).
int Read(void* format, void** data, const char** type_url, CommHandle* channel);

// The deepest nesting of object elements read or written.
inline constexpr int kMaxDepth = 9;

}  // namespace markal

#endif
