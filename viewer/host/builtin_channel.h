// The read-only "builtin" channel type that serves a built-in file's bytes.
#ifndef TRENDEL_BUILTIN_CHANNEL_H
#define TRENDEL_BUILTIN_CHANNEL_H

#include <tcl.h>

namespace trendel::host {

// Creates a readable channel of type "builtin" over `size` bytes at `data`
// (borrowed, static for the process), positioned at 0 and named
// "etbi_<process number>_<counter>" in lower-case hex.  Registers nothing;
// the caller (the file layer) hands it to the interpreter.
Tcl_Channel OpenBuiltinChannel(const char* data, int size);

}  // namespace trendel::host

#endif
