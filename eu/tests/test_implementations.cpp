// Implementation libraries the handle tests load through EUInit, each built
// from this file with one EU_TEST_LIBRARY_* macro defined:
//   INIT_ONLY  exports only "init": every table slot is a stub;
//   NO_INIT    exports no "init";
//   INIT_FAILS "init" answers EU_E_NOMEM without a record;
//   INIT_NO_RECORD "init" reports success but stores no record;
//   OVERRIDE   "init", and getCountByteOrder / getCountType that ignore the
//              handle's fields (reversed bytes, 16-bit signed); no "close".
#include <cstdlib>

#include "eu.h"

namespace {

[[maybe_unused]] EUHandle* NewHandle() {
  auto* h = static_cast<EUHandle*>(std::calloc(1, sizeof(EUHandle)));
  if (h == nullptr) return nullptr;
  h->countByteOrder = EU_BYTE_ORDER_HOST;
  h->countType = EU_COUNT_INT16;
  h->curveFit = EUleastSquares;
  return h;
}

}  // namespace

ORVELA_EXTERN_C_BEGIN

#if defined(EU_TEST_LIBRARY_INIT_ONLY) || defined(EU_TEST_LIBRARY_OVERRIDE)
ORVELA_EXPORT int init(EUHandle** out) {
  *out = NewHandle();
  return *out != nullptr ? 0 : EU_E_NOMEM;
}
#endif

#if defined(EU_TEST_LIBRARY_INIT_FAILS)
ORVELA_EXPORT int init(EUHandle** /*out*/) { return EU_E_NOMEM; }
#endif

#if defined(EU_TEST_LIBRARY_INIT_NO_RECORD)
ORVELA_EXPORT int init(EUHandle** out) {
  *out = nullptr;
  return 0;
}
#endif

#if defined(EU_TEST_LIBRARY_NO_INIT)
ORVELA_EXPORT int getLibName(EUHandle* /*h*/, char* buffer, int size) {
  if (size > 0) buffer[0] = '\0';
  return 0;
}
#endif

#if defined(EU_TEST_LIBRARY_OVERRIDE)
ORVELA_EXPORT int getCountByteOrder(EUHandle* /*h*/, int* byteOrder) {
  *byteOrder = EU_BYTE_ORDER_REVERSED;
  return 0;
}
ORVELA_EXPORT int getCountType(EUHandle* /*h*/, int* countType) {
  *countType = EU_COUNT_INT16;
  return 0;
}
#endif

ORVELA_EXTERN_C_END
