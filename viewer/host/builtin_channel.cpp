// The "builtin" channel type: reads a built-in file from memory.
#include "builtin_channel.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace trendel::host {
namespace {

// One open built-in channel: the file's bytes and the read position, which
// stays within 0..size.
struct Instance {
  const char* data;
  int32_t size;
  int32_t position;
};

// Counts the channels created; part of every channel name.
int g_channel_counter = 1;

int CloseProc(ClientData instance, Tcl_Interp* /*interp*/) {
  Tcl_Free(static_cast<char*>(instance));
  return 0;
}

/*
 * InputProc --
 *	Copies up to `wanted` bytes from the current position.
 * Results:
 *	The count copied; 0 at the end, which the channel takes as end of file.
 *	Never an error.
 * Side effects:
 *	Advances the position.
 */
int InputProc(ClientData instance, char* buffer, int wanted, int* /*error_code*/) {
  auto* in = static_cast<Instance*>(instance);
  const int count = std::max(0, std::min(wanted, in->size - in->position));
  if (count > 0) std::memcpy(buffer, in->data + in->position, static_cast<size_t>(count));
  in->position += count;
  return count;
}

// The channel is readable only, so this is not reached through the
// interpreter; it stores nothing and reports no error.
int OutputProc(ClientData /*instance*/, const char* /*buffer*/, int /*count*/, int* /*error_code*/) {
  return 0;
}

/*
 * SeekProc --
 *	Moves to `offset` from the start (0), the current position (1) or the
 *	end (2), clamped to 0..size.
 * Results:
 *	The new position.
 * Side effects:
 *	Stores the position.
 */
int SeekProc(ClientData instance, long offset, int mode, int* /*error_code*/) {
  auto* in = static_cast<Instance*>(instance);
  long long base = 0;
  if (mode == SEEK_CUR)
    base = in->position;
  else if (mode == SEEK_END)
    base = in->size;
  // Clamp in 64 bits first so that no offset can overflow the 32-bit position.
  long long target = base + std::clamp<long long>(offset, -(1LL << 40), 1LL << 40);
  target = std::clamp<long long>(target, 0, in->size);
  in->position = static_cast<int32_t>(target);
  return in->position;
}

void WatchProc(ClientData /*instance*/, int /*mask*/) {}

int GetHandleProc(ClientData /*instance*/, int /*direction*/, ClientData* /*handle*/) {
  return TCL_ERROR;
}

const Tcl_ChannelType kBuiltinChannelType = {
    "builtin", TCL_CHANNEL_VERSION_5, CloseProc, InputProc, OutputProc, SeekProc,
    nullptr,  // set option
    nullptr,  // get option
    WatchProc, GetHandleProc,
    nullptr,  // close2
    nullptr,  // block mode
    nullptr,  // flush
    nullptr,  // handler
    nullptr,  // wide seek: positions fit in a long
    nullptr,  // thread action
    nullptr,  // truncate
};

}  // namespace

Tcl_Channel OpenBuiltinChannel(const char* data, int size) {
  auto* instance = reinterpret_cast<Instance*>(Tcl_Alloc(sizeof(Instance)));
  *instance = Instance{data, size, 0};
  // The first number is the same for every channel of the process.
  const unsigned process_number =
      static_cast<unsigned>(reinterpret_cast<uintptr_t>(&g_channel_counter) & 0xffffffffu);
  char name[40];
  std::snprintf(name, sizeof name, "etbi_%x_%x", process_number, static_cast<unsigned>(g_channel_counter));
  ++g_channel_counter;
  return Tcl_CreateChannel(&kBuiltinChannelType, name, instance, TCL_READABLE);
}

}  // namespace trendel::host
