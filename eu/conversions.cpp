// Counts to volts to engineering units, sample by sample through the
// handle's operation table.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "eu.h"
#include "ostrel.h"

namespace {

// Bytes one stored sample of `countType` takes, or 0 for an unsupported type.
int CountSize(int countType) {
  switch (countType) {
    case EU_COUNT_INT16:
    case EU_COUNT_UINT16:
      return 2;
    case EU_COUNT_INT32:
    case EU_COUNT_UINT32:
    case EU_COUNT_FLOAT:
      return 4;
    case EU_COUNT_DOUBLE:
      return 8;
  }
  return 0;
}

// The value of one sample whose host-order bytes are in `bytes`.
double CountValue(int countType, const unsigned char* bytes) {
  switch (countType) {
    case EU_COUNT_INT16: {
      int16_t v;
      std::memcpy(&v, bytes, sizeof v);
      return v;
    }
    case EU_COUNT_UINT16: {
      uint16_t v;
      std::memcpy(&v, bytes, sizeof v);
      return v - 32768.0;
    }
    case EU_COUNT_INT32: {
      int32_t v;
      std::memcpy(&v, bytes, sizeof v);
      return v;
    }
    case EU_COUNT_UINT32: {
      uint32_t v;
      std::memcpy(&v, bytes, sizeof v);
      return v - 2147483648.0;
    }
    case EU_COUNT_FLOAT: {
      float v;
      std::memcpy(&v, bytes, sizeof v);
      return v;
    }
    default: {
      double v;
      std::memcpy(&v, bytes, sizeof v);
      return v;
    }
  }
}

// A selector is -1 (every channel) or a channel number 1 to channels; any
// other value would address memory outside the caller's arrays.
bool ValidSelector(int selector, int channels) {
  return selector == EU_ALL_CHANNELS || (selector >= 1 && selector <= channels);
}

// P(x) = c[0] + c[1] x + ... + c[order] x^order, summed in ascending powers
// with the C library's pow, as the fitted coefficients expect.  pow(x, 1) is
// x exactly (pow is accurate to well under one unit in the last place and x
// is representable), so the linear term skips the call.
double Polynomial(const double* c, int order, double x) {
  double sum = c[0];
  if (order >= 1) sum = sum + x * c[1];
  for (int k = 2; k <= order; ++k) sum = sum + std::pow(x, k) * c[k];
  return sum;
}

// Reads one sample for EUgetCountValue and the conversions, which call it
// directly rather than through the exported symbol.
inline int GetCountValue(EUHandle* h, const void** cursor, int index, int stride, double* value) {
  // Both settings come through the table on every sample, so an
  // implementation that overrides them decides how samples are read.
  int order = 0;
  if (h->ops.getCountByteOrder(h, &order) != 0) return EU_E_BYTE_ORDER;
  int type = 0;
  if (h->ops.getCountType(h, &type) != 0) return EU_E_COUNT_TYPE;
  const int size = CountSize(type);
  if (size == 0) {
    *value = 0.0;
    return EU_E_COUNT_TYPE;
  }
  const auto* at = static_cast<const unsigned char*>(*cursor) + static_cast<std::ptrdiff_t>(index) * size;
  unsigned char bytes[8];
  ZORQmemcpyt(bytes, at, size, order);
  *value = CountValue(type, bytes);
  *cursor = static_cast<const unsigned char*>(*cursor) + static_cast<std::ptrdiff_t>(stride) * size;
  return 0;
}

}  // namespace

extern "C" int EUgetCountValue(EUHandle* h, const void** cursor, int index, int stride, double* value) {
  if (h == nullptr || cursor == nullptr || value == nullptr) return EU_E_NO_HANDLE;
  return GetCountValue(h, cursor, index, stride, value);
}

extern "C" int EUcounts2Volts(EUHandle* h, const void* counts, const double* divisor, const double* countOffset,
                              int channels, int scans, int selector, double* volts) {
  if (h == nullptr) return EU_E_NO_HANDLE;
  if (scans <= 0) return 0;
  if (!ValidSelector(selector, channels)) return EU_E_CONVERSION;
  int status = 0;
  const void* cursor = counts;
  double v = 0.0;
  for (int s = 0; s < scans && status >= 0; ++s) {
    const std::ptrdiff_t row = static_cast<std::ptrdiff_t>(s) * channels;
    if (selector == EU_ALL_CHANNELS) {
      // Each read takes the sample under the cursor and moves one sample on.
      for (int j = 0; j < channels && status >= 0; ++j) {
        status = GetCountValue(h, &cursor, 0, 1, &v);
        if (status == 0) volts[row + j] = (v - countOffset[j]) / divisor[j];
      }
    } else {
      // The read takes the channel's sample of this scan and moves one scan on.
      const int j = selector - 1;
      status = GetCountValue(h, &cursor, j, channels, &v);
      if (status == 0) volts[row + j] = (v - countOffset[j]) / divisor[j];
    }
  }
  return status;
}

extern "C" int EUvolts2EUs(EUHandle* h, const double* volts, const int* conversionTypes, const double* euOffsets,
                           const void* /*reserved1*/, const void* /*reserved2*/, double* const* coefficients,
                           const int* orders, int channels, int scans, int selector, double* eus) {
  if (h == nullptr) return EU_E_NO_HANDLE;
  if (scans <= 0) return 0;
  if (!ValidSelector(selector, channels)) return EU_E_CONVERSION;
  const int first = selector == EU_ALL_CHANNELS ? 0 : selector - 1;
  const int last = selector == EU_ALL_CHANNELS ? channels - 1 : selector - 1;
  int status = 0;
  for (int s = 0; s < scans && status >= 0; ++s) {
    for (int j = first; j <= last && status >= 0; ++j) {
      const std::ptrdiff_t i = static_cast<std::ptrdiff_t>(s) * channels + j;
      const int t = conversionTypes[j];
      const double* c = coefficients != nullptr ? coefficients[j] : nullptr;
      const int order = orders != nullptr ? orders[j] : 0;
      if (t < EU_CONV_VOLTS || t > EU_CONV_TYPE_T) {
        status = EU_E_CONVERSION;
        break;
      }
      if (t == EU_CONV_VOLTS) {
        eus[i] = volts[i];
      } else if (t == EU_CONV_POLYNOMIAL) {
        if (c == nullptr) {
          status = EU_E_NO_COEFFICIENTS;
          break;
        }
        eus[i] = Polynomial(c, order, volts[i]);
      } else {
        eus[i] = EUlookup_mv2c(volts[i] * 1000.0, t);
        if (c != nullptr) eus[i] = Polynomial(c, order, eus[i]);
      }
      if (euOffsets != nullptr) eus[i] = eus[i] + euOffsets[j];
    }
  }
  return status;
}

extern "C" int EUcounts2EUs(EUHandle* h, const void* counts, const double* divisor, const double* countOffset,
                            const int* conversionTypes, const double* euOffsets, const void* reserved1,
                            const void* reserved2, double* const* coefficients, const int* orders, int channels,
                            int scans, int selector, double* voltsScratch, double* eus) {
  if (h == nullptr) return EU_E_NO_HANDLE;
  double* scratch = voltsScratch;
  std::vector<double> owned;
  if (scratch == nullptr) {
    const std::size_t n = channels > 0 && scans > 0
                              ? static_cast<std::size_t>(channels) * static_cast<std::size_t>(scans)
                              : 1;
    try {
      owned.assign(n, 0.0);
    } catch (...) {
      return EU_E_NOMEM;
    }
    scratch = owned.data();
  }
  int status = EUcounts2Volts(h, counts, divisor, countOffset, channels, scans, selector, scratch);
  if (status >= 0) {
    status = EUvolts2EUs(h, scratch, conversionTypes, euOffsets, reserved1, reserved2, coefficients, orders,
                         channels, scans, selector, eus);
  }
  return status;
}
