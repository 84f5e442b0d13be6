// The settings a handle carries: count type, count byte order and the
// curve-fit function used by calcPolyCoefs.
#include "eu.h"

extern "C" int EUsetCountType(EUHandle* h, int countType) {
  if (h == nullptr) return EU_E_NO_HANDLE;
  h->countType = countType;
  return 0;
}

extern "C" int EUgetCountType(EUHandle* h, int* countType) {
  if (h == nullptr || countType == nullptr) return EU_E_NO_HANDLE;
  *countType = h->countType;
  return 0;
}

extern "C" int EUsetCountByteOrder(EUHandle* h, int byteOrder) {
  if (h == nullptr) return EU_E_NO_HANDLE;
  h->countByteOrder = byteOrder;
  return 0;
}

extern "C" int EUgetCountByteOrder(EUHandle* h, int* byteOrder) {
  if (h == nullptr || byteOrder == nullptr) return EU_E_NO_HANDLE;
  *byteOrder = h->countByteOrder;
  return 0;
}

extern "C" int EUsetCurveFitAlgorithm(EUHandle* h, EUCurveFitFn fit) {
  if (h == nullptr) return EU_E_NO_HANDLE;
  h->curveFit = fit;
  return 0;
}
