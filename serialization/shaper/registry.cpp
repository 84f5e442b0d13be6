// DBFInit and DBFClose: plug-in objects created and closed by URL scheme.
#include "dynlib.h"
#include "shaper.h"

extern "C" int DBFInit(const char* url, void** out, void* parent) {
  DecodedUrl decoded;
  if (decodeurl(&decoded, url) != 0) return -1;
  void* module = LibLoader(decoded.scheme);
  if (module == nullptr) return -1;
  auto init = reinterpret_cast<DBFPluginInitFn>(orvela::platform::ResolveSymbol(module, "init"));
  if (init == nullptr) return -2;
  const int rc = init(out, &decoded, parent);
  if (rc >= 0 && out != nullptr && *out != nullptr) {
    static_cast<DBFObject*>(*out)->module = module;
  }
  return rc;
}

extern "C" int DBFClose(void** object) {
  if (object == nullptr || *object == nullptr) return -5;
  void* module = static_cast<DBFObject*>(*object)->module;
  auto close = reinterpret_cast<DBFPluginCloseFn>(orvela::platform::ResolveSymbol(module, "close"));
  if (close == nullptr) return 0;
  return close(object);
}
