/*
 * tallis: keyed tables.  A table keeps (key, value) pairs ordered by a
 * comparison function over the keys; keys and values are borrowed pointers
 * that the table never frees.  The only kind is "btree".
 *
 * A table is reached through the TallisTable record that TallisCreate stores
 * in a caller's holder (one pointer); its operations take the table first.
 * All functions use the C calling convention and never throw.
 */
#ifndef TALLIS_H
#define TALLIS_H

#include "export.h"

ORVELA_EXTERN_C_BEGIN

/* Result codes, each defined once: symbol, value, meaning. */
#define TALLIS_CODES(X)                                             \
  X(TALLIS_OK, 0, "no error")                                       \
  X(TALLIS_E_ARGUMENT, -1, "a NULL table, holder, key or output")   \
  X(TALLIS_E_KIND, -2, "a table kind other than btree")             \
  X(TALLIS_E_NOMEM, -4, "out of memory")                            \
  X(TALLIS_E_EXISTS, -5, "insert: the key is already present")      \
  X(TALLIS_E_ABSENT, -6, "remove, lookup: the key is not present")
enum TallisResultCode {
#define TALLIS_CODE_ENUM_(symbol, value, text) symbol = value,
  TALLIS_CODES(TALLIS_CODE_ENUM_)
#undef TALLIS_CODE_ENUM_
};

/* Orders two keys: negative, 0 or positive (callers use -1, 0 and 1).  Keys
 * are passed as the pointers given to the table, seen as texts. */
typedef int (*TallisCompareFn)(const char* a, const char* b);

typedef struct TallisTable TallisTable;

/* The operations of a table; every one takes the table first. */
struct TallisTable {
  /* Adds (key, value).  Returns 0, TALLIS_E_EXISTS when an equal key is
   * present (the table is unchanged), TALLIS_E_NOMEM or TALLIS_E_ARGUMENT. */
  int (*insert)(TallisTable* table, void* key, void* value);
  /* Replaces the key and value of the entry equal to `key`, or adds the pair
   * when there is none.  Returns 0 (replaced), 1 (added), TALLIS_E_NOMEM or
   * TALLIS_E_ARGUMENT. */
  int (*update)(TallisTable* table, void* key, void* value);
  /* Removes the entry equal to `key`.  Returns 0 or TALLIS_E_ABSENT. */
  int (*remove)(TallisTable* table, const void* key);
  /* out: *value receives the entry's value (untouched when absent).
   * Returns 0 or TALLIS_E_ABSENT. */
  int (*lookup)(TallisTable* table, const void* key, void** value);
  /* out: *n receives the number of entries.  Returns 0. */
  int (*count)(TallisTable* table, int* n);
  /* Fills array[0..count-1] with the keys, in ascending order; the caller
   * provides room for count entries.  Returns the number written. */
  int (*keys)(TallisTable* table, void** array);
  /* As keys, for the values, in the order of their keys. */
  int (*values)(TallisTable* table, void** array);
  /* Installs the comparison (NULL: the default, strcmp's sign on the keys as
   * texts) and reorders the entries by it; of entries that compare equal
   * under the new order only the first is kept.  Returns 0, TALLIS_E_NOMEM. */
  int (*setCompare)(TallisTable* table, TallisCompareFn compare);
  void* impl; /* the table's own state */
};

/* Ordinal 1.  Creates an empty table of kind `kind` ("btree") and stores it
 * in *holder.
 * Returns 0, TALLIS_E_KIND (holder untouched), TALLIS_E_NOMEM or
 * TALLIS_E_ARGUMENT.  The table is owned by the holder until TallisDestroy. */
ORVELA_EXPORT int TallisCreate(const char* kind, void** holder);

/* Ordinal 2.  Destroys the table in *holder (the keys and values are not
 * touched) and sets *holder to NULL.  Does nothing when holder or *holder is
 * NULL, so destroying a holder twice is harmless. */
ORVELA_EXPORT void TallisDestroy(void** holder);

ORVELA_EXTERN_C_END

#endif
