/*
 * calnest: the calibration data sets as a tree of formatter objects, so that
 * the XML format can write them and build them back.  Four kinds, named by the
 * host of their URL:
 *
 *   URL                    element      data                     fields
 *   calnest://DataSets     DataSets     the collection holder    one DataSet per record
 *   calnest://DataSet      DataSet      a DataSet record         "pData": its DataPoints
 *   calnest://DataPoints   DataPoints   the record's points      one DataPoint per point
 *   calnest://DataPoint    DataPoint    a DataPoint              "volts", "eus" ("%lf" text)
 *
 * "calnest://DataPoints/numelements=N" fixes the number of points of a
 * DataPoints object made without a record (0 <= N <= CALNEST_MAX_ELEMENTS).
 * Points a tree declares that way (or that a DataPoints object takes over from
 * its record) are allocated when the object is finalised; create() refuses a
 * DataPoints object with CALNEST_E_VALUE once its tree would declare more than
 * CALNEST_MAX_ELEMENTS of them.  Only created objects are finalised: objects
 * made for writing leave the records they iterate as they are.
 *
 * The collection holder is one pointer to a tallis "btree" table whose keys
 * and values are both the DataSet records' addresses, ordered by name (a
 * record begins with its name) byte by byte, bytes taken as unsigned.
 *
 * Ownership: everything an object allocates (holder, records, point arrays)
 * is on its resource list; closing an object with a parent hands that list to
 * the parent, so everything a parse allocates is owned by the top-level object
 * and released when it is closed.
 *
 * The plug-in's exports, with the signatures the formatter registry resolves
 * (not declared here, because "close" would clash with the C library's):
 *
 *   int init(void** out, DecodedUrl* url, void* parent);
 *     With a calnest parent: a URL naming a child kind of the parent makes a
 *     new object under it; a URL whose host names one of the parent's fields
 *     (volts, eus, pData) gives the parent itself, with one more reference.
 *     Returns 0, CALNEST_E_URL, CALNEST_E_VALUE (numelements= unreadable or
 *     out of range) or CALNEST_E_NOMEM.
 *
 *   int close(void** object);
 *     Drops one reference; at the last it finalises the object (as getData),
 *     destroys a table the object created, hands its resources to the parent
 *     or releases them, frees the object and sets *object to NULL.  Returns 0.
 */
#ifndef CALNEST_H
#define CALNEST_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "export.h"

ORVELA_EXTERN_C_BEGIN

#define CALNEST_NAME_ROOM 64        /* a data-set name: at most 63 characters */
#define CALNEST_MAX_ELEMENTS 1048576 /* the largest numelements= accepted */

/* Result codes, each defined once: symbol, value, meaning. */
#define CALNEST_CODES(X)                                                                                                  \
  X(CALNEST_OK, 0, "no error")                                                                                            \
  X(CALNEST_E_URL, -2, "a URL host naming no kind, or a child URL the parent neither makes nor holds")                    \
  X(CALNEST_E_NOTHERE, -3, "an operation the kind does not have")                                                         \
  X(CALNEST_E_NOMEM, -4, "out of memory")                                                                                 \
  X(CALNEST_E_END, -6, "no more fields")                                                                                  \
  X(CALNEST_E_CHILD, -7, "createChild with a type URL of another kind")                                                   \
  X(CALNEST_E_VALUE, -9, "numelements= not followed by an integer in range, or a tree declaring too many points")          \
  X(CALNEST_E_TEXT, -10, "a value that is not a number, a field other than volts and eus, or a name over 63 characters or one the XML text would not give back")
enum CalnestResultCode {
#define CALNEST_CODE_ENUM_(symbol, value, text) symbol = value,
  CALNEST_CODES(CALNEST_CODE_ENUM_)
#undef CALNEST_CODE_ENUM_
};

/* One calibration point: a measured voltage and the engineering-unit value. */
typedef struct DataPoint {
  double volts;
  double eus;
} DataPoint;

/* One named calibration data set. */
typedef struct DataSet {
  char name[CALNEST_NAME_ROOM]; /* NUL-terminated */
  int32_t count;                /* number of points */
  DataPoint* points;            /* count points, or NULL when there are none */
} DataSet;

/* Tells whether `name` can be a data-set name: at most 63 characters, and
 * one the XML text gives back as it is.  The text holds a name verbatim as
 * ID="NAME" before formatter="...", and its reader ends a value at the next
 * double quote and takes the type from the first formatter=" of the tag, so a
 * name holding a double quote or ending in formatter= is refused.
 * Returns 1 or 0 (also for NULL). */
static inline int CalnestNameStorable(const char* name) {
  static const char kTail[] = "formatter=";
  const size_t tail = sizeof kTail - 1;
  size_t n = 0;
  if (name == NULL) return 0;
  for (; n < CALNEST_NAME_ROOM && name[n] != '\0'; ++n) {
    if (name[n] == '"') return 0;
  }
  if (n >= CALNEST_NAME_ROOM) return 0;
  return n < tail || memcmp(name + n - tail, kTail, tail) != 0;
}

/* The byte-wise name comparison the collection's table is ordered by:
 * returns -1, 0 or 1. */
typedef int (*CalnestCompareFn)(const char* a, const char* b);

ORVELA_EXTERN_C_END

#endif
