/*
 * ostrel: the base library under the engineering-units library and its
 * plug-ins.  It loads shared libraries by bare name, splits URLs into their
 * parts and copies multi-byte values in a given byte order.  It also carries a
 * minimal QxApi record interface that is part of the exported interface.
 *
 * All functions use the C calling convention, are reentrant and never throw.
 */
#ifndef OSTREL_H
#define OSTREL_H

#include <stdint.h>

#include "export.h"

ORVELA_EXTERN_C_BEGIN

/* Room of the DecodedUrl fields, terminating NUL included. */
#define OSTREL_SCHEME_ROOM 64
#define OSTREL_SCHEME_MAX 31   /* longest scheme decodeurl accepts */
#define OSTREL_PART_ROOM 128   /* path, host, extra: at most 127 characters */
#define OSTREL_NAME_MAX 59     /* longest bare library name LibLoader accepts */

/* Byte-order codes of ZORQmemcpyt: 1 is the host's order ("as stored"); any
 * other code means reversed, 2 being the code used for the reversed order. */
#define OSTREL_BYTE_ORDER_HOST 1
#define OSTREL_BYTE_ORDER_REVERSED 2

/* The parts of a URL "scheme://host[:port]path[?...|#...]", as decodeurl fills
 * them: NUL-terminated, %XX escapes decoded, user name and password dropped. */
typedef struct DecodedUrl {
  char scheme[OSTREL_SCHEME_ROOM];
  char path[OSTREL_PART_ROOM];
  char host[OSTREL_PART_ROOM];
  char extra[OSTREL_PART_ROOM]; /* from '?' or '#' on, that character included */
  uint16_t port;                /* 0 when the URL names none */
} DecodedUrl;

/* The QxApi record.  `pointer` addresses the record's own decoded URL after
 * QxApiDecodeUrl, or the copy of the implementation name after
 * QxApiLoadImplementation. */
typedef struct QxApiRecord {
  void* pointer;
  uint32_t reserved[2]; /* zeroed by QxApiInit, otherwise unused */
  DecodedUrl url;
  void* module;         /* module handle of a loaded implementation library */
} QxApiRecord;

/* Ordinal 1.  Loads the library `name` (no extension; the file is name.so)
 * through the dynamic linker, searching the folder of ostrel.so first.
 * in:  name, at most OSTREL_NAME_MAX characters.
 * Returns the module handle, or NULL when the name is NULL, too long or names
 * no loadable library.  Handles stay valid for the life of the process. */
ORVELA_EXPORT void* LibLoader(const char* name);

/* Ordinal 2.  Copies `count` bytes from src to dst reversed (byte-order code 2).
 * A count of 0 or below copies nothing; the areas must not overlap. */
ORVELA_EXPORT void ZORQmemcpy(void* dst, const void* src, int count);

/* Ordinal 3.  Copies `count` bytes from src to dst: unchanged when `order` is
 * the host byte order (1), otherwise reversed (dst[count-1-i] = src[i]).
 * A count of 0 or below copies nothing; the areas must not overlap. */
ORVELA_EXPORT void ZORQmemcpyt(void* dst, const void* src, int count, int order);

/* Ordinal 4.  Splits `url` into *out.
 * out: filled only on success.
 * Returns 0, or -1 (out untouched) when url or out is NULL, the URL has no
 * "://", the scheme is empty, not made of letters, digits, '+', '-' and '.' or
 * longer than 31 characters, the port is not a number up to 65535, an escape
 * decodes to NUL, or the host, path or extra information exceeds 127 characters. */
ORVELA_EXPORT int decodeurl(DecodedUrl* out, const char* url);

/* Ordinal 5.  Zeroes the record's pointer, reserved words and module.
 * Returns 0. */
ORVELA_EXPORT int QxApiInit(QxApiRecord* rec);

/* Ordinal 6.  Accepts an error report (reporting function, failed callee,
 * code) and keeps nothing.  Returns 0. */
ORVELA_EXPORT int QxApiAddError(QxApiRecord* rec, const char* function, const char* callee, int code);

/* Ordinal 7.  The value of an unimplemented QxApi entry: returns -11. */
ORVELA_EXPORT int QxApi_Not_Implemented(void);

/* Ordinal 8.  Decodes `url` into the record's own DecodedUrl.
 * out (nullable): receives the address of rec->url, on failure too.
 * Returns 0 with rec->pointer = &rec->url, or -1 with rec->pointer NULL, the
 * scheme emptied and the error reported through QxApiAddError. */
ORVELA_EXPORT int QxApiDecodeUrl(QxApiRecord* rec, const char* url, DecodedUrl** out);

/* Ordinal 9.  Stores a heap copy of `name` in rec->pointer (owned by the record
 * for the life of the process) and loads that library into rec->module.
 * out (nullable): receives the module, NULL when it cannot be loaded.
 * Returns 0 in both cases; failure shows as the NULL module. */
ORVELA_EXPORT int QxApiLoadImplementation(QxApiRecord* rec, const char* name, void** out);

ORVELA_EXTERN_C_END

#endif
