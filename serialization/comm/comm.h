/*
 * comm: byte channels.  CommGetHandle opens a channel through the transport
 * library named by the URL's scheme ("drover://..." loads drover.so and calls
 * its CommOpen); callers then use the channel's operations and release it with
 * CommFreeHandle.  Memory channels (CommGetMemoryHandle) hold their bytes
 * themselves.  Each channel also carries a queue of messages, served by the
 * CommBase* routines that transports re-export.
 *
 * Rewriting.  A caller that replaces the whole content calls prepareRewrite
 * and rewind, then writes the new content.  For a file the new bytes go to a
 * temporary file beside it, and only CommFreeHandle puts that file in place
 * (one rename), after every write succeeded and the file was closed.  A failed
 * write, abandonRewrite, or a failure while closing leaves the old file as it
 * was.
 *
 * All functions use the C calling convention and never throw.
 */
#ifndef COMM_H
#define COMM_H

#include <stdint.h>

#include "export.h"
#include "ostrel.h"

ORVELA_EXTERN_C_BEGIN

/* Result codes, each defined once: symbol, value, meaning. */
#define COMM_CODES(X)                                                                                       \
  X(COMM_OK, 0, "no error")                                                                                 \
  X(COMM_E_URL, -1, "the URL cannot be split")                                                              \
  X(COMM_E_TRANSPORT, -2, "no transport library, or one without CommOpen, CommRead, CommWrite, CommClose")  \
  X(COMM_E_ARGUMENT, -3, "a NULL or foreign handle, a NULL buffer or a negative size")                      \
  X(COMM_E_NOMEM, -4, "out of memory")                                                                      \
  X(COMM_E_EMPTY, -6, "no message queued")                                                                  \
  X(COMM_E_REWRITE, -7, "the content cannot be rewritten (read-only, no temporary file, a write failed)")   \
  X(COMM_E_CLOSE, -8, "the channel could not be closed, or the new content not put in place")               \
  X(COMM_E_SMALL, -9, "the buffer is smaller than the message")                                             \
  X(COMM_E_AGAIN, -14, "nothing available now, try again")                                                  \
  X(COMM_E_END, -15, "end of the content")
enum CommResultCode {
#define COMM_CODE_ENUM_(symbol, value, text) symbol = value,
  COMM_CODES(COMM_CODE_ENUM_)
#undef COMM_CODE_ENUM_
};

typedef struct CommHandle CommHandle;

/* A channel.  Callers use the operations; transports use url, fd and the
 * three state fields, which a transport's open sets to 1, 0, 0. */
struct CommHandle {
  uint32_t magic; /* COMM_MAGIC while the handle is alive */
  /* Reads up to count bytes.  Returns the number read (at least 1),
   * COMM_E_AGAIN, COMM_E_END, or another negative code on failure. */
  int (*read)(CommHandle* handle, void* buffer, int count);
  /* Writes count bytes.  Returns the number written (count on success) or a
   * negative code.  During a rewrite of a file the bytes are collected and
   * handed to the transport in pieces of 64 KiB: a failure then shows as
   * COMM_E_REWRITE at a later write and as COMM_E_CLOSE from CommFreeHandle,
   * and the old file stays. */
  int (*write)(CommHandle* handle, const void* buffer, int count);
  /* Returns the byte position of the channel, or -1 when it has none. */
  int64_t (*position)(CommHandle* handle);
  /* The two calls, in this order, that start a rewrite; afterwards writing
   * starts at the beginning of the content.  Return 0 or COMM_E_REWRITE (then
   * every write fails until CommFreeHandle, and the old content stays). */
  int (*prepareRewrite)(CommHandle* handle);
  int (*rewind)(CommHandle* handle);
  /* Gives up a rewrite: the new content is dropped, the old one stays, and
   * later writes fail.  Returns 0. */
  int (*abandonRewrite)(CommHandle* handle);
  DecodedUrl url; /* the decoded URL (filled by the transport's open) */
  int fd;         /* the transport's file descriptor, -1 when none */
  int32_t state[3];
  void* impl; /* comm's own state */
};

#define COMM_MAGIC 0xC0AA0001u

/* The functions a transport library exports (by these names). */
typedef int (*CommOpenFn)(CommHandle* handle, const char* url);
typedef int (*CommReadFn)(CommHandle* handle, void* buffer, int count);
typedef int (*CommWriteFn)(CommHandle* handle, const void* buffer, int count);
typedef int (*CommCloseFn)(CommHandle* handle);

/* Opens the channel of `url` through the transport library named by its
 * scheme (loaded by bare name) and that library's CommOpen.
 * out: *handle receives the channel (untouched on failure).
 * Returns 0, COMM_E_URL, COMM_E_TRANSPORT, COMM_E_NOMEM, COMM_E_ARGUMENT, or
 * the negative code of the transport's CommOpen.  Release with
 * CommFreeHandle. */
ORVELA_EXPORT int CommGetHandle(const char* url, void** handle);

/* Opens a memory channel holding a copy of bytes[0..size-1]; reads start at
 * the beginning, writes overwrite and extend it.
 * Returns 0, COMM_E_ARGUMENT or COMM_E_NOMEM.  Release with CommFreeHandle. */
ORVELA_EXPORT int CommGetMemoryHandle(const void* bytes, int size, void** handle);

/* The current content of a memory channel.
 * out: *bytes (valid until the next write or CommFreeHandle) and *size.
 * Returns 0, or COMM_E_ARGUMENT for a handle that is not a memory channel. */
ORVELA_EXPORT int CommMemoryContents(void* handle, const char** bytes, int* size);

/* Closes and releases the channel *handle and sets *handle to NULL.
 * A channel that was only read is closed as it is; one that was written is
 * closed through the transport's CommClose (which for a file cuts it at the
 * current position); a rewrite in progress is completed: the temporary file
 * is synced and closed, then renamed over the old file, or removed when
 * anything failed.
 * Returns 0, COMM_E_CLOSE (a rewrite could not be put in place or the
 * transport's close failed; the old file is intact after a failed rewrite),
 * COMM_E_REWRITE (a rewrite was refused or abandoned; the old file is intact)
 * or COMM_E_ARGUMENT.  NULL, or a holder of NULL, is harmless. */
ORVELA_EXPORT int CommFreeHandle(void** handle);

/* Queues a message of `type` holding data[0..size-1] on the channel.
 * Returns 0, COMM_E_ARGUMENT or COMM_E_NOMEM. */
ORVELA_EXPORT int CommBaseSendMessage(CommHandle* handle, int type, const void* data, int size);

/* Appends data[0..size-1] to the message queued last.
 * Returns 0, COMM_E_EMPTY (no message), COMM_E_ARGUMENT or COMM_E_NOMEM. */
ORVELA_EXPORT int CommBaseSendMessageAppend(CommHandle* handle, const void* data, int size);

/* Takes the first queued message: its type into *type (nullable) and its
 * bytes into buffer (room for size bytes).
 * Returns the message's length, COMM_E_EMPTY, COMM_E_SMALL (the message stays
 * queued) or COMM_E_ARGUMENT. */
ORVELA_EXPORT int CommBaseGetMessage(CommHandle* handle, int* type, void* buffer, int size);

/* out: *size receives the length of the first queued message.
 * Returns 0, COMM_E_EMPTY or COMM_E_ARGUMENT. */
ORVELA_EXPORT int CommBaseGetMessageSize(CommHandle* handle, int* size);

ORVELA_EXTERN_C_END

#endif
