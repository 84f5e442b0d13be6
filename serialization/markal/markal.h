/*
 * markal: the XML format plug-in ("markal://").  It writes a tree of formatter
 * objects as text, one element per line, and reads such text back into a
 * tree, creating one formatter object per element through the formatter
 * registry (the element's formatter attribute names plug-in and kind).
 *
 * Written form, every line ending in a line feed, nothing escaped:
 *   <NAME ID="ID" formatter="TYPEURL">   or  <NAME formatter="TYPEURL">
 *   <FIELD>VALUE</FIELD>
 *   </NAME>
 * Each written line holds at most 511 characters.
 *
 * Read form: an optional leading <?...?> instruction, then one root element;
 * the entities &quot; &amp; &lt; &gt; &apos; are decoded in text content.
 * Reader limits: element names of at most 31 characters, attribute texts of at
 * most 511, formatter URLs and identifiers of at most 255, at most 9 nested
 * levels; text content is delivered in pieces of at most 511 characters.
 * Problems are reported on standard error:
 *   "Parse error found line %d near %s\n"    malformed text
 *   "Callback code found line %d near %s\n"  an element no object could be made for
 *   "unbalanced tag: %s\n"                   input ended inside that element
 *
 * The plug-in exports "init" and "close" for the formatter registry; the
 * format object starts with its module and its write and read operations
 * (SerializeFormat) and is made by SerializeCreate("markal://").
 */
#ifndef MARKAL_H
#define MARKAL_H

#include "export.h"
#include "ostrel.h"
#include "serialize.h"

ORVELA_EXTERN_C_BEGIN

/* Result codes, each defined once: symbol, value, meaning. */
#define MARKAL_CODES(X)                                                                                              \
  X(MARKAL_OK, 0, "no error")                                                                                        \
  X(MARKAL_E_NOMEM, -4, "out of memory")                                                                             \
  X(MARKAL_E_KIND, -8, "write: a field of a kind other than 1, 2, 3, or nesting deeper than 9")                      \
  X(MARKAL_E_PARSE, -9, "read: malformed text, or an element no object could be made for")                           \
  X(MARKAL_E_SHORT, -10, "write: the channel took fewer bytes than a line holds, or a line exceeds 511 characters")  \
  X(MARKAL_E_READ_TWICE, -11, "read: the format object already holds a document")                                    \
  X(MARKAL_E_INCOMPLETE, -12, "read: the input held no complete root element (empty or cut)")
enum MarkalResultCode {
#define MARKAL_CODE_ENUM_(symbol, value, text) symbol = value,
  MARKAL_CODES(MARKAL_CODE_ENUM_)
#undef MARKAL_CODE_ENUM_
};

/* The format object. */
typedef struct MarkalFormat {
  SerializeFormat base; /* module, write, read */
  void* root;           /* the formatter object the last read built, or NULL */
} MarkalFormat;

/* The plug-in's two exports, with the signatures the formatter registry
 * resolves (they are not declared here, because "close" would clash with the
 * C library's close in every file that includes this header):
 *
 *   int init(void** out, DecodedUrl* url, void* parent);
 *     Builds a zero-filled format object with its two operations in *out; the
 *     URL and the parent are not used.  Returns 0, or MARKAL_E_NOMEM.
 *
 *   int close(void** p);
 *     Closes the root the object holds (through the formatter registry),
 *     frees the object and sets *p to NULL.  Returns 0 (also for NULL). */

ORVELA_EXTERN_C_END

#endif
