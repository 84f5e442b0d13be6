/*
 * serialize: format objects.  SerializeCreate builds the format object for a
 * format URL ("markal://" for the XML form) through the formatter registry;
 * the object's write and read operations move a tree of formatter objects to
 * and from a comm channel.  SerializeDestroy releases the object together with
 * everything its read built.
 *
 * All functions use the C calling convention and never throw.
 */
#ifndef SERIALIZE_H
#define SERIALIZE_H

#include "export.h"

ORVELA_EXTERN_C_BEGIN

typedef struct CommHandle CommHandle;

/* Writes `data` as an element of type `typeUrl` (a formatter URL such as
 * "calnest://DataSets") to the channel.  Returns 0 or a negative code. */
typedef int (*SerializeWriteFn)(void* format, void* data, const char* typeUrl, CommHandle* channel);

/* Reads one document from the channel.
 * out: *data, the root's data, and *typeUrl, the root's type URL, both owned
 * by the format object until it is destroyed.  Returns 0 or a negative code. */
typedef int (*SerializeReadFn)(void* format, void** data, const char** typeUrl, CommHandle* channel);

/* How every format object begins: its plug-in's module, then the two
 * operations.  The plug-in's own fields follow. */
typedef struct SerializeFormat {
  void* module;
  SerializeWriteFn write;
  SerializeReadFn read;
} SerializeFormat;

/* Ordinal 1.  Creates the format object for `formatUrl` (for example
 * "markal://").
 * out: *serializer receives a SerializeFormat*.
 * Returns 0, or the negative code of the formatter registry (-1 for a URL
 * that cannot be split or names no plug-in, -2 for a plug-in without "init")
 * or of the plug-in.  Release with SerializeDestroy. */
ORVELA_EXPORT int SerializeCreate(const char* formatUrl, void** serializer);

/* Ordinal 2.  Releases the format object *serializer and everything its read
 * built, and sets *serializer to NULL.  NULL, or a holder of NULL, is
 * harmless. */
ORVELA_EXPORT void SerializeDestroy(void** serializer);

ORVELA_EXTERN_C_END

#endif
