// The plug-in's exports.  This file includes no C library header: the
// export "close" would clash with the C library's declaration.
#include "export.h"
#include "ostrel.h"

namespace calnest {
int Init(void** out, DecodedUrl* url, void* parent);
int Close(void** object);
}  // namespace calnest

extern "C" ORVELA_EXPORT int init(void** out, DecodedUrl* url, void* parent) {
  return calnest::Init(out, url, parent);
}

extern "C" ORVELA_EXPORT int close(void** object) { return calnest::Close(object); }
