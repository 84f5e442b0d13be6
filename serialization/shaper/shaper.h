/*
 * shaper: the formatter registry.  It turns a URL into a live plug-in object:
 * the URL's scheme names the plug-in library, which builds the object in its
 * "init"; shaper records the library in the object's first field so that the
 * object is later closed by the same library.  It also copies a plug-in's
 * method table into the object's operation slots.
 *
 * Plug-in contract: a plug-in library exports
 *   int init(void** out, DecodedUrl* url, void* parent);  builds *out
 *   int close(void** object);   optional; nulls *object when the object dies
 */
#ifndef SHAPER_H
#define SHAPER_H

#include <stdint.h>

#include "export.h"
#include "ostrel.h"

ORVELA_EXTERN_C_BEGIN

typedef int (*DBFPluginInitFn)(void** out, DecodedUrl* url, void* parent);
typedef int (*DBFPluginCloseFn)(void** object);

/* The ten operations of a formatter object of the data-set model; each takes
 * the object first and returns 0 on success or a negative code.
 * Field kinds of the iteration: 1 text (value is a NUL-terminated string);
 * 2 and 3 a nested object (value is the child's data, typeUrl its type URL). */
typedef int (*DBFGetTypeUrlFn)(void* object, const char** url);
typedef int (*DBFFirstFieldFn)(void* object, void* data, const char** name, void** value, int* kind,
                               const char** typeUrl, int* context);
typedef int (*DBFNextFieldFn)(void* object, const char** name, void** value, int* kind, const char** typeUrl,
                              int* context); /* -6: no more fields */
typedef int (*DBFSetValueFn)(void* object, const char* elementName, const char* text);
typedef int (*DBFCreateFn)(void* object, const char* id);
typedef int (*DBFGetIdFn)(void* object, void* data, const char** id);
typedef int (*DBFSetIdFn)(void* object, const char* id);
typedef int (*DBFGetDataFn)(void* object, void** data);
typedef int (*DBFGetNameFn)(void* object, void* data, const char** name);
typedef int (*DBFAddRefFn)(void* object);

/* Every formatter object starts with the module handle of its plug-in. */
typedef struct DBFObject {
  void* module;
} DBFObject;

/* A formatter object of the data-set model: module, reference count, then the
 * ten operation slots in this order.  The plug-in's own fields follow. */
typedef struct DBFFormatter {
  void* module;
  int32_t refCount;
  DBFGetTypeUrlFn getTypeUrl;
  DBFFirstFieldFn firstField;
  DBFNextFieldFn nextField;
  DBFSetValueFn setValue;
  DBFCreateFn create;
  DBFGetIdFn getId;
  DBFSetIdFn setId;
  DBFGetDataFn getData;
  DBFGetNameFn getName;
  DBFAddRefFn addRef;
} DBFFormatter;

/* Positions in the twelve-entry method table a plug-in hands to DBFInitHandle. */
enum DBFMethodIndex {
  DBF_METHOD_GET_TYPE_URL = 0,
  DBF_METHOD_FIRST_FIELD = 1,
  DBF_METHOD_NEXT_FIELD = 2,
  DBF_METHOD_SET_VALUE = 3,
  DBF_METHOD_CREATE = 4,
  DBF_METHOD_GET_ID = 5,
  DBF_METHOD_SET_ID = 6,
  DBF_METHOD_GET_NAME = 7,
  DBF_METHOD_ADD_REF = 8,
  DBF_METHOD_GET_DATA = 9,
  DBF_METHOD_CREATE_CHILD = 10, /* the plug-in's own */
  DBF_METHOD_FIELD_TABLE = 11,  /* the plug-in's own */
  DBF_METHOD_COUNT = 12
};

/* Ordinal 1.  Creates the formatter object for `url` under `parent` (nullable).
 * out: receives the object the plug-in's init stores; untouched when the URL
 *      cannot be split or the plug-in cannot be loaded.
 * Returns -1 when the URL cannot be split or its scheme names no loadable
 * library, -2 when the library has no "init", otherwise init's result; when
 * that is 0 or more, the object's first field holds the plug-in's module. */
ORVELA_EXPORT int DBFInit(const char* url, void** out, void* parent);

/* Ordinal 2.  Closes the object *object through its plug-in's "close", which
 * decides whether the object dies (and then nulls *object).
 * Returns -5 when object or *object is NULL, 0 (object left alive) when the
 * plug-in has no "close", otherwise close's result. */
ORVELA_EXPORT int DBFClose(void** object);

/* Ordinal 3.  Copies the ten operations from the twelve-entry `methodTable`
 * into the slots of the DBFFormatter `object`, by name: slots getTypeUrl to
 * setId take entries 1 to 7, getData entry 10, getName entry 8, addRef entry 9.
 * Does nothing when either pointer is NULL. */
ORVELA_EXPORT void DBFInitHandle(void* object, const void* const* methodTable);

ORVELA_EXTERN_C_END

#endif
