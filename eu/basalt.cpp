// basalt: the standard implementation library behind eu.  Its "init" creates
// the handle record with the default settings; every operation but
// getLibName and calcPolyCoefs forwards to the eu export of the same name.
//
// basalt exports the generic names "init" and "close" (the second is also the
// C library's): it must only ever be loaded through EUInit, which opens it
// with local symbol scope, and never linked into a program directly.
#include <cstdlib>
#include <cstring>

#include "eu.h"

namespace {

constexpr char kLibName[] = "Basalt";

}  // namespace

ORVELA_EXTERN_C_BEGIN

/* Ordinal 1.  Allocates a zero-filled handle with byte order 1, count type 1
 * and the curve-fit function EUleastSquares.  Returns 0, EU_E_NOMEM, or
 * EU_E_NO_HANDLE when out is NULL. */
ORVELA_EXPORT int init(EUHandle** out) {
  if (out == nullptr) return EU_E_NO_HANDLE;
  auto* h = static_cast<EUHandle*>(std::calloc(1, sizeof(EUHandle)));
  if (h == nullptr) return EU_E_NOMEM;
  h->countByteOrder = EU_BYTE_ORDER_HOST;
  h->countType = EU_COUNT_INT16;
  h->curveFit = EUleastSquares;
  *out = h;
  return 0;
}

/* Ordinal 2.  Frees the record *p and nulls *p.  Returns 0, or
 * EU_E_NO_HANDLE when p or *p is NULL. */
ORVELA_EXPORT int close(EUHandle** p) {
  if (p == nullptr || *p == nullptr) return EU_E_NO_HANDLE;
  std::free(*p);
  *p = nullptr;
  return 0;
}

/* Ordinal 3.  Writes the library name "Basalt" into buffer: whole with its NUL
 * when size exceeds its length, else its first size - 1 characters and a NUL;
 * nothing when size < 1 or buffer is NULL.  Returns 0. */
ORVELA_EXPORT int getLibName(EUHandle* /*h*/, char* buffer, int size) {
  if (buffer == nullptr || size < 1) return 0;
  const int length = static_cast<int>(sizeof kLibName - 1);
  const int copied = size > length ? length : size - 1;
  std::memcpy(buffer, kLibName, static_cast<size_t>(copied));
  buffer[copied] = '\0';
  return 0;
}

/* Ordinal 4, forwards to EUsetCountType. */
ORVELA_EXPORT int setCountType(EUHandle* h, int countType) { return EUsetCountType(h, countType); }

/* Ordinal 5, forwards to EUgetCountType. */
ORVELA_EXPORT int getCountType(EUHandle* h, int* countType) { return EUgetCountType(h, countType); }

/* Ordinal 6, forwards to EUsetCurveFitAlgorithm. */
ORVELA_EXPORT int setCurveFitAlgorithm(EUHandle* h, EUCurveFitFn fit) { return EUsetCurveFitAlgorithm(h, fit); }

/* Ordinal 7, forwards to EUsetCountByteOrder. */
ORVELA_EXPORT int setCountByteOrder(EUHandle* h, int byteOrder) { return EUsetCountByteOrder(h, byteOrder); }

/* Ordinal 8, forwards to EUgetCountByteOrder. */
ORVELA_EXPORT int getCountByteOrder(EUHandle* h, int* byteOrder) { return EUgetCountByteOrder(h, byteOrder); }

/* Ordinal 9, forwards to EUcounts2Volts. */
ORVELA_EXPORT int counts2Volts(EUHandle* h, const void* counts, const double* divisor, const double* countOffset,
                               int channels, int scans, int selector, double* volts) {
  return EUcounts2Volts(h, counts, divisor, countOffset, channels, scans, selector, volts);
}

/* Ordinal 10, forwards to EUcounts2EUs. */
ORVELA_EXPORT int counts2EUs(EUHandle* h, const void* counts, const double* divisor, const double* countOffset,
                             const int* conversionTypes, const double* euOffsets, const void* reserved1,
                             const void* reserved2, double* const* coefficients, const int* orders, int channels,
                             int scans, int selector, double* voltsScratch, double* eus) {
  return EUcounts2EUs(h, counts, divisor, countOffset, conversionTypes, euOffsets, reserved1, reserved2,
                      coefficients, orders, channels, scans, selector, voltsScratch, eus);
}

/* Ordinal 11, forwards to EUvolts2EUs. */
ORVELA_EXPORT int volts2EUs(EUHandle* h, const double* volts, const int* conversionTypes, const double* euOffsets,
                            const void* reserved1, const void* reserved2, double* const* coefficients,
                            const int* orders, int channels, int scans, int selector, double* eus) {
  return EUvolts2EUs(h, volts, conversionTypes, euOffsets, reserved1, reserved2, coefficients, orders, channels,
                     scans, selector, eus);
}

/* Ordinal 12.  Fits through the handle's curve-fit function (EUleastSquares
 * unless EUsetCurveFitAlgorithm installed another) and returns its result;
 * EU_E_NO_HANDLE without a handle, EU_E_NOT_PROVIDED when the handle's
 * curve-fit function was set to NULL. */
ORVELA_EXPORT int calcPolyCoefs(EUHandle* h, const double* x, const double* y, int n, int reserved,
                                int* coefficientCount, double* coefficients) {
  if (h == nullptr) return EU_E_NO_HANDLE;
  if (h->curveFit == nullptr) return EU_E_NOT_PROVIDED;
  return h->curveFit(x, y, n, reserved, coefficientCount, coefficients);
}

ORVELA_EXTERN_C_END
