/*
 * eu: the engineering-units library.  It converts raw acquisition counts to
 * volts and to engineering units (EU), linearises the letter-type
 * thermocouples B, E, J, K, N, R, S and T on ITS-90 tables, fits calibration
 * polynomials by least squares and keeps named calibration data sets in an XML
 * sensor file.
 *
 * Stateful work goes through an EUHandle opened by EUInit on a named
 * implementation library (the standard one is "basalt").  The implementation
 * creates the handle record and supplies, by exported name, the operation
 * table the handle carries; EUInit fills the slots the implementation lacks
 * with a stub that answers EU_E_NOT_PROVIDED.  The thermocouple lookups and
 * the least-squares fit take no handle and keep no state.
 *
 * Conventions: every function uses the C calling convention, never throws and
 * returns a 32-bit status (0 or a non-negative count on success, one of the
 * negative EU_E_* codes on failure) unless stated otherwise.  Channels are
 * numbered from 1 at this interface; value arrays are scan-major, the value of
 * channel j (0-based) in scan s at index s * channels + j.  Everything the
 * library hands out on behalf of a handle is owned by the handle and released
 * by EUClose; callers never free it.  A handle belongs to one thread at a
 * time; the lookups and EUleastSquares may run on any thread.
 *
 * Implementation-library contract.  An implementation library NAME.so exports
 *   int init(EUHandle** out);   required: allocates a zero-filled EUHandle,
 *                               stores it in *out, sets the count byte order,
 *                               count type and curve-fit function, returns 0
 *                               or EU_E_NOMEM;
 *   int close(EUHandle** p);    optional: releases the record, nulls *p;
 * and any of the 19 operation names of EUOperationTable below ("getLibName",
 * "setCountType", ...), each with the type given there.
 */
#ifndef EU_H
#define EU_H

#include <stdint.h>

#include "export.h"

ORVELA_EXTERN_C_BEGIN

/* Result codes, each defined once: symbol, value, meaning.  0 is success. */
#define EU_CODES(X)                                                              \
  X(EU_OK, 0, "no error")                                                        \
  X(EU_E_NOT_LOADED, -1, "implementation library not loaded")                    \
  X(EU_E_NO_INIT, -2, "implementation library has no init")                      \
  X(EU_E_NOT_PROVIDED, -3, "operation not provided by the implementation")       \
  X(EU_E_NOMEM, -4, "out of memory")                                             \
  X(EU_E_NO_COEFFICIENTS, -5, "polynomial conversion without coefficients")      \
  X(EU_E_COUNT_TYPE, -6, "unsupported count type")                               \
  X(EU_E_BYTE_ORDER, -7, "count byte order not available")                       \
  X(EU_E_CONVERSION, -8, "conversion type or channel selector out of range")     \
  X(EU_E_NO_HANDLE, -9, "no handle")                                             \
  X(EU_E_SINGULAR, -10, "singular normal equations")                             \
  X(EU_E_NOT_DATA_SETS, -11, "sensor data is not a data-set collection")         \
  X(EU_E_NOT_FOUND, -13, "data set not found")                                   \
  X(EU_E_EXISTS, -14, "a data set of that name already exists")                  \
  X(EU_E_TABLE, -15, "the data-set table refused the operation")                \
  X(EU_E_WRITE_BACK, -16, "changed data sets not written; the sensor file kept")

enum EUResultCode {
#define EU_CODE_ENUM_(symbol, value, text) symbol = value,
  EU_CODES(EU_CODE_ENUM_)
#undef EU_CODE_ENUM_
};

/* Count types: how one stored sample is read (EUsetCountType). */
#define EU_COUNT_INT16 1  /* signed 16-bit, two's complement */
#define EU_COUNT_UINT16 2 /* unsigned 16-bit offset binary: value - 32768 */
#define EU_COUNT_INT32 3  /* signed 32-bit */
#define EU_COUNT_UINT32 4 /* unsigned 32-bit offset binary: value - 2147483648 */
#define EU_COUNT_FLOAT 5  /* 32-bit IEEE float */
#define EU_COUNT_DOUBLE 6 /* 64-bit IEEE double */

/* Count byte orders (EUsetCountByteOrder): 1 is host order; any other value
 * reverses each sample's bytes before use, 2 being the usual code for it. */
#define EU_BYTE_ORDER_HOST 1
#define EU_BYTE_ORDER_REVERSED 2

/* Conversion types, one per channel (EUvolts2EUs). */
#define EU_CONV_VOLTS 1      /* EU = volts */
#define EU_CONV_POLYNOMIAL 2 /* EU = P(volts), coefficients required */
#define EU_CONV_TYPE_B 3     /* thermocouples: EU = degrees C of volts x 1000 mV, */
#define EU_CONV_TYPE_E 4     /* then P(degrees C) when the channel has coefficients */
#define EU_CONV_TYPE_J 5
#define EU_CONV_TYPE_K 6
#define EU_CONV_TYPE_N 7
#define EU_CONV_TYPE_R 8
#define EU_CONV_TYPE_S 9
#define EU_CONV_TYPE_T 10

/* Channel selector value meaning every channel; 1 to channels selects one. */
#define EU_ALL_CHANNELS (-1)

/* Room the implementation name has in EUInit, terminating NUL included: a name
 * of EU_NAME_ROOM or more characters fails with EU_E_NOT_LOADED. */
#define EU_NAME_ROOM 60

typedef struct EUHandle EUHandle;

/* An open sensor file and its data sets (EUopenDataSets); opaque to callers. */
typedef struct EUDataSetCollection EUDataSetCollection;

/* The entry points "init" and "close" of an implementation library. */
typedef int (*EUImplementationInitFn)(EUHandle** out);
typedef int (*EUImplementationCloseFn)(EUHandle** p);

/* A curve-fit function: the parameters and result of EUleastSquares. */
typedef int (*EUCurveFitFn)(const double* x, const double* y, int n, int reserved, int* coefficientCount,
                            double* coefficients);

/* The 19 operations of a handle, in table order; each takes the handle first
 * and has the parameters of the eu export of the same name prefixed with EU
 * (calcPolyCoefs: those of EUleastSquares after the handle). */
typedef int (*EUGetLibNameFn)(EUHandle* h, char* buffer, int size);
typedef int (*EUSetCountTypeFn)(EUHandle* h, int countType);
typedef int (*EUGetCountTypeFn)(EUHandle* h, int* countType);
typedef int (*EUSetCurveFitAlgorithmFn)(EUHandle* h, EUCurveFitFn fit);
typedef int (*EUSetCountByteOrderFn)(EUHandle* h, int byteOrder);
typedef int (*EUGetCountByteOrderFn)(EUHandle* h, int* byteOrder);
typedef int (*EUCounts2VoltsFn)(EUHandle* h, const void* counts, const double* divisor, const double* countOffset,
                                int channels, int scans, int selector, double* volts);
typedef int (*EUVolts2EUsFn)(EUHandle* h, const double* volts, const int* conversionTypes, const double* euOffsets,
                             const void* reserved1, const void* reserved2, double* const* coefficients,
                             const int* orders, int channels, int scans, int selector, double* eus);
typedef int (*EUCounts2EUsFn)(EUHandle* h, const void* counts, const double* divisor, const double* countOffset,
                              const int* conversionTypes, const double* euOffsets, const void* reserved1,
                              const void* reserved2, double* const* coefficients, const int* orders, int channels,
                              int scans, int selector, double* voltsScratch, double* eus);
typedef int (*EUCalcPolyCoefsFn)(EUHandle* h, const double* x, const double* y, int n, int reserved,
                                 int* coefficientCount, double* coefficients);
typedef int (*EUOpenDataSetsFn)(EUHandle* h, const char* url, EUDataSetCollection** out);
typedef int (*EUOpenDataSetsCOMMFn)(EUHandle* h, void* comm, EUDataSetCollection** out);
typedef int (*EUGetDataSetFn)(EUHandle* h, EUDataSetCollection* c, const char* name, double** volts, double** eus,
                              int* count);
typedef int (*EUSetDataSetFn)(EUHandle* h, EUDataSetCollection* c, const char* name, const double* volts,
                              const double* eus, int count);
typedef int (*EUUpdateDataSetFn)(EUHandle* h, EUDataSetCollection* c, const char* name, const double* volts,
                                 const double* eus, int count);
typedef int (*EURemoveDataSetFn)(EUHandle* h, EUDataSetCollection* c, const char* name);
typedef int (*EUGetDataSetsIdsFn)(EUHandle* h, EUDataSetCollection* c, char*** names, int* count);
typedef int (*EUGetNumDataSetsFn)(EUHandle* h, EUDataSetCollection* c, int* count);
typedef int (*EUCloseDataSetsFn)(EUHandle* h, EUDataSetCollection** c);

/* The operation table of a handle: exactly these 19 slots in this order. */
typedef struct EUOperationTable {
  EUGetLibNameFn getLibName;
  EUSetCountTypeFn setCountType;
  EUGetCountTypeFn getCountType;
  EUSetCurveFitAlgorithmFn setCurveFitAlgorithm;
  EUSetCountByteOrderFn setCountByteOrder;
  EUGetCountByteOrderFn getCountByteOrder;
  EUCounts2VoltsFn counts2Volts;
  EUVolts2EUsFn volts2EUs;
  EUCounts2EUsFn counts2EUs;
  EUCalcPolyCoefsFn calcPolyCoefs;
  EUOpenDataSetsFn openDataSets;
  EUOpenDataSetsCOMMFn openDataSetsCOMM;
  EUGetDataSetFn getDataSet;
  EUSetDataSetFn setDataSet;
  EUUpdateDataSetFn updateDataSet;
  EURemoveDataSetFn removeDataSet;
  EUGetDataSetsIdsFn getDataSetsIds;
  EUGetNumDataSetsFn getNumDataSets;
  EUCloseDataSetsFn closeDataSets;
} EUOperationTable;

/* Number of slots in EUOperationTable. */
#define EU_OPERATION_COUNT 19

/* Header of a resource block: one heap allocation holding this header and,
 * after it, the payload handed to callers.  The payload starts at the first
 * address after the header that suits any type (eu's internal allocator
 * computes it); callers only ever see the payload. */
typedef struct EUResourceBlock {
  struct EUResourceBlock* next;       /* next block, NULL at the end */
  void (*release)(void* block);       /* frees the whole block (copy of the handle's) */
  void (*destructor)(void* payload);  /* run before release; NULL for none */
} EUResourceBlock;

/* An open engineering-units handle, fields in this order.  Created by the
 * implementation's init, completed by EUInit, closed by EUClose. */
struct EUHandle {
  void* module;                /* the implementation library, set by EUInit */
  int32_t countByteOrder;      /* 1 host order, other values reversed; default 1 */
  int32_t countType;           /* 1 to 6 (EU_COUNT_*); default 1 */
  EUCurveFitFn curveFit;       /* used by calcPolyCoefs; default EUleastSquares */
  EUOperationTable ops;        /* filled by name from the implementation */
  EUResourceBlock* resourceHead;   /* first block, NULL when empty */
  EUResourceBlock** resourceTail;  /* the last block's next-link, or &resourceHead */
  void (*resourceRelease)(void* block); /* how blocks are freed: the C library's free */
};

/* ---- Handles ------------------------------------------------------------ */

/* Ordinal 1.  Opens a handle on the implementation library `name` (bare name,
 * no extension: "basalt" loads basalt.so, siblings of eu first).
 * in:  name, shorter than EU_NAME_ROOM characters.
 * out: *out receives the handle from the implementation's init.
 * Returns init's result (0) on success; EU_E_NOT_LOADED when name or out is
 * NULL, the name is too long or names no loadable library; EU_E_NO_INIT when
 * the library exports no "init"; init's own negative result (EU_E_NOMEM),
 * leaving *out as init left it.  The caller must not use *out after a failure.
 * The library is never unloaded.  Close the handle with EUClose. */
ORVELA_EXPORT int EUInit(const char* name, EUHandle** out);

/* Ordinal 2.  Closes the handle *p: runs the destructor of every resource
 * block in creation order (an open data-set collection is written back to its
 * sensor file) and frees the blocks, then calls the implementation's "close",
 * which frees the record and nulls *p.
 * Returns EU_E_NO_HANDLE when p or *p is NULL; close's result; or 0 when the
 * implementation has no "close" (the record then stays allocated and *p set). */
ORVELA_EXPORT int EUClose(EUHandle** p);

/* ---- Thermocouples ------------------------------------------------------- */

/* Ordinal 3.  Degrees Celsius for `millivolts` of a thermocouple of `type`
 * (EU_CONV_TYPE_B 3 to EU_CONV_TYPE_T 10), interpolated linearly between the
 * whole-degree rows of the type's ITS-90 table.  Inputs beyond the table give
 * its end rows; NaN gives the first row; a type outside 3 to 10 gives 0.0. */
ORVELA_EXPORT double EUlookup_mv2c(double millivolts, int type);

/* Ordinal 23.  Millivolts for `degreesCelsius` of a thermocouple of `type`;
 * the inverse of EUlookup_mv2c, with the same clamping and results. */
ORVELA_EXPORT double EUlookup_c2mv(double degreesCelsius, int type);

/* ---- Least squares ------------------------------------------------------- */

/* Ordinal 4.  Fits the polynomial of degree n - 1 through n points (x[i], y[i])
 * by solving the normal equations (Gauss-Jordan without pivoting).
 * in:  x, y: n values each; reserved: ignored (pass 0).
 * out: *coefficientCount = n and coefficients[0..n-1] (caller's room for n),
 *      ascending powers; both untouched on failure.
 * Returns 0; EU_E_NOMEM for n < 1, a NULL pointer argument or no memory;
 * EU_E_SINGULAR when a pivot is exactly 0 (for example two points at the same
 * x). */
ORVELA_EXPORT int EUleastSquares(const double* x, const double* y, int n, int reserved, int* coefficientCount,
                                 double* coefficients);

/* ---- Settings ------------------------------------------------------------
 * Each of these returns EU_E_NO_HANDLE when h (or the out pointer) is NULL. */

/* Ordinal 5.  Stores the count type (EU_COUNT_*; not validated here: an
 * unsupported type fails at the next conversion).  Returns 0. */
ORVELA_EXPORT int EUsetCountType(EUHandle* h, int countType);

/* Ordinal 6.  out: *countType = the handle's count type.  Returns 0. */
ORVELA_EXPORT int EUgetCountType(EUHandle* h, int* countType);

/* Ordinal 7.  Stores the count byte order (1 host, other values reversed;
 * not validated).  Returns 0. */
ORVELA_EXPORT int EUsetCountByteOrder(EUHandle* h, int byteOrder);

/* Ordinal 8.  out: *byteOrder = the handle's count byte order.  Returns 0. */
ORVELA_EXPORT int EUgetCountByteOrder(EUHandle* h, int* byteOrder);

/* Ordinal 9.  Stores the curve-fit function that the table's calcPolyCoefs
 * calls; `fit` must have the parameters and result of EUleastSquares.  The
 * export EUleastSquares itself is unaffected.  Returns 0. */
ORVELA_EXPORT int EUsetCurveFitAlgorithm(EUHandle* h, EUCurveFitFn fit);

/* ---- Conversions ---------------------------------------------------------
 * Each of these returns EU_E_NO_HANDLE when h is NULL (EUgetCountValue also
 * when cursor or value is NULL). */

/* Ordinal 10.  Reads one sample: asks the handle's table for the byte order
 * and the count type (so an implementation may override both), reads the
 * sample at *cursor + index * size bytes (size 2, 4 or 8 by count type) in
 * that byte order, converts it to double and advances *cursor by
 * size * stride bytes.
 * out: *value (0.0 for an unsupported count type).
 * Returns 0; EU_E_BYTE_ORDER when getCountByteOrder fails; EU_E_COUNT_TYPE when
 * getCountType fails or the type is not 1 to 6 (cursor then unchanged). */
ORVELA_EXPORT int EUgetCountValue(EUHandle* h, const void** cursor, int index, int stride, double* value);

/* Ordinal 11.  volts = (count - countOffset[j]) / divisor[j] for every sample
 * of `scans` scans of `channels` channels (selector EU_ALL_CHANNELS), or for
 * channel `selector` (1 to channels) only, whose column alone is written.
 * in:  counts (scan-major samples of the handle's count type), divisor and
 *      countOffset (one per channel; a zero divisor gives IEEE inf or NaN).
 * out: volts (channels * scans values).
 * Returns 0 (also for scans <= 0, writing nothing); the first failure of
 * EUgetCountValue, after which nothing more is read or written; EU_E_CONVERSION
 * for a selector other than -1 or 1 to channels (nothing written). */
ORVELA_EXPORT int EUcounts2Volts(EUHandle* h, const void* counts, const double* divisor, const double* countOffset,
                                 int channels, int scans, int selector, double* volts);

/* Ordinal 12.  EU values from volts, per channel j by conversionTypes[j]:
 * 1 volts; 2 the polynomial coefficients[j] of order orders[j] (ascending
 * powers, P(x) = c0 + c1 x + ... + cn x^n); 3 to 10 degrees C of the
 * thermocouple type for volts x 1000 mV, then P(degrees C) when the channel
 * has coefficients.  euOffsets[j] is then added when euOffsets is non-NULL.
 * in:  volts; conversionTypes, orders (one per channel); euOffsets and
 *      coefficients nullable, as is each coefficients[j]; reserved1 and
 *      reserved2 ignored; selector as for EUcounts2Volts.
 * out: eus (the selected columns only).
 * Returns 0 (also for scans <= 0); EU_E_CONVERSION for a conversion type
 * outside 1 to 10 or a bad selector; EU_E_NO_COEFFICIENTS for a polynomial
 * channel without coefficients.  A failure stops at that value, which stays
 * unwritten; values already written stay. */
ORVELA_EXPORT int EUvolts2EUs(EUHandle* h, const double* volts, const int* conversionTypes, const double* euOffsets,
                              const void* reserved1, const void* reserved2, double* const* coefficients,
                              const int* orders, int channels, int scans, int selector, double* eus);

/* Ordinal 13.  EUcounts2Volts into voltsScratch, then EUvolts2EUs into eus.
 * voltsScratch (nullable): caller's room for channels * scans volts; when
 * NULL a zeroed scratch is allocated for the call and freed before return.
 * Returns the first failure of the two steps, EU_E_NOMEM when the scratch
 * cannot be allocated, else 0. */
ORVELA_EXPORT int EUcounts2EUs(EUHandle* h, const void* counts, const double* divisor, const double* countOffset,
                               const int* conversionTypes, const double* euOffsets, const void* reserved1,
                               const void* reserved2, double* const* coefficients, const int* orders, int channels,
                               int scans, int selector, double* voltsScratch, double* eus);

/* ---- Calibration data sets -----------------------------------------------
 * Named lists of (volts, EU) points kept in an XML sensor file.  A collection
 * and every array handed out below are owned by the handle: arrays stay valid
 * until EUClose, the collection until EUcloseDataSets or EUClose, either of
 * which writes the sensor file back. */

/* Ordinal 14.  Opens the sensor file at `url` (NULL: the default file
 * program_files/sensor.xml in the parent of the folder holding eu.so) as a
 * collection, through the table's openDataSetsCOMM.
 * out: *out the collection.
 * Returns 0 or more on success; EU_E_NOT_FOUND when the default URL cannot be
 * formed; the comm library's, serializer's or registry's negative codes. */
ORVELA_EXPORT int EUopenDataSets(EUHandle* h, const char* url, EUDataSetCollection** out);

/* Ordinal 15.  Reads a collection from the open comm channel `comm`; a channel
 * with nothing to read but white space (an empty or new file) gives an empty
 * collection; one whose read fails gives EU_E_NOT_DATA_SETS.  On
 * success the collection takes the channel; on failure it stays the caller's.
 * out: *out the collection.
 * Returns 0 or more; EU_E_NOT_DATA_SETS when the data is not a data-set
 * collection, cannot be parsed, or ends inside its root element (a damaged
 * file is refused rather than replaced by an empty collection); EU_E_NOMEM;
 * the serializer's and registry's negative codes. */
ORVELA_EXPORT int EUopenDataSetsCOMM(EUHandle* h, void* comm, EUDataSetCollection** out);

/* Ordinal 16.  Copies the points of the data set `name`.
 * out: *volts and *eus (arrays of *count doubles owned by the handle), *count.
 * Returns 0; EU_E_NOT_FOUND (outputs unset); EU_E_NOMEM. */
ORVELA_EXPORT int EUgetDataSet(EUHandle* h, EUDataSetCollection* c, const char* name, double** volts,
                               double** eus, int* count);

/* Ordinal 17.  Adds the data set `name` with `count` points (volts[i], eus[i]).
 * Returns 0 or more; EU_E_EXISTS when the name exists; EU_E_TABLE when the
 * table refuses, and for a NULL name, a name of 64 or more characters, a name
 * that the sensor file could not give back (one holding a double quote, or
 * ending in "formatter="), a negative count or NULL arrays with points;
 * EU_E_NOMEM. */
ORVELA_EXPORT int EUsetDataSet(EUHandle* h, EUDataSetCollection* c, const char* name, const double* volts,
                               const double* eus, int count);

/* Ordinal 18.  Replaces the data set `name` with `count` points; a name not
 * present is added.  Returns 0 (replaced) or 1 (added); EU_E_TABLE as for
 * EUsetDataSet; EU_E_NOMEM. */
ORVELA_EXPORT int EUupdateDataSet(EUHandle* h, EUDataSetCollection* c, const char* name, const double* volts,
                                  const double* eus, int count);

/* Ordinal 19.  Removes the data set `name`.
 * Returns 0; EU_E_NOT_FOUND; EU_E_TABLE. */
ORVELA_EXPORT int EUremoveDataSet(EUHandle* h, EUDataSetCollection* c, const char* name);

/* Ordinal 20.  Lists the names of the data sets, in ascending order.
 * out: *count; *names (an array of *count copies of the names, owned by the
 *      handle and valid until EUClose, also after the collection is closed),
 *      left unset when there is no data set.
 * Returns 0; EU_E_TABLE; EU_E_NOMEM. */
ORVELA_EXPORT int EUgetDataSetsIds(EUHandle* h, EUDataSetCollection* c, char*** names, int* count);

/* Ordinal 21.  out: *count = the number of data sets.  Returns 0; EU_E_TABLE. */
ORVELA_EXPORT int EUgetNumDataSets(EUHandle* h, EUDataSetCollection* c, int* count);

/* Ordinal 22.  Writes the collection *c back to its sensor file, releases it
 * and nulls *c; NULL *c does nothing.  The new text replaces the file only
 * once it is completely written (a temporary file renamed into place); when
 * writing fails the previous file stays as it was.
 * Returns 0; EU_E_WRITE_BACK when the collection held changes (a set added,
 * replaced or removed) and writing them failed, for example in a folder where
 * no file can be made or on a channel opened for reading only; the message
 * "data sets not written back: the sensor file was left as it was" then also
 * goes to standard error, as it does when EUClose writes a collection back. */
ORVELA_EXPORT int EUcloseDataSets(EUHandle* h, EUDataSetCollection** c);

ORVELA_EXTERN_C_END

#endif
