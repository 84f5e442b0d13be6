// The plug-in entry points: the format object made and released.
#include <new>

#include "format_ops.h"
#include "shaper.h"

extern "C" ORVELA_EXPORT int init(void** out, DecodedUrl*, void*) {
  if (out == nullptr) return MARKAL_E_NOMEM;
  auto* format = new (std::nothrow) MarkalFormat{};
  if (format == nullptr) return MARKAL_E_NOMEM;
  format->base.write = markal::Write;
  format->base.read = markal::Read;
  *out = format;
  return 0;
}

extern "C" ORVELA_EXPORT int close(void** p) {
  if (p == nullptr || *p == nullptr) return 0;
  auto* format = static_cast<MarkalFormat*>(*p);
  if (format->root != nullptr) DBFClose(&format->root);
  delete format;
  *p = nullptr;
  return 0;
}
