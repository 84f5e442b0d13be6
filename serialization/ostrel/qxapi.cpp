// The QxApi record interface: initialise, decode a URL, load an implementation.
#include <cstdlib>
#include <cstring>

#include "ostrel.h"

extern "C" int QxApiInit(QxApiRecord* rec) {
  if (rec == nullptr) return 0;
  rec->pointer = nullptr;
  rec->reserved[0] = 0;
  rec->reserved[1] = 0;
  rec->module = nullptr;
  return 0;
}

extern "C" int QxApiAddError(QxApiRecord*, const char*, const char*, int) { return 0; }

extern "C" int QxApi_Not_Implemented(void) { return -11; }

extern "C" int QxApiDecodeUrl(QxApiRecord* rec, const char* url, DecodedUrl** out) {
  if (rec == nullptr) return -1;
  rec->pointer = nullptr;
  if (decodeurl(&rec->url, url) != 0) {
    rec->url.scheme[0] = '\0';
    if (out != nullptr) *out = &rec->url;
    QxApiAddError(rec, "QxApiDecodeUrl", "decodeurl", -1);
    return -1;
  }
  rec->pointer = &rec->url;
  if (out != nullptr) *out = &rec->url;
  return 0;
}

extern "C" int QxApiLoadImplementation(QxApiRecord* rec, const char* name, void** out) {
  if (rec == nullptr) {
    if (out != nullptr) *out = nullptr;
    return 0;
  }
  // The record keeps the copy for the rest of the process; the interface has no
  // call that releases it.
  char* copy = nullptr;
  if (name != nullptr) {
    const size_t size = std::strlen(name) + 1;
    copy = static_cast<char*>(std::malloc(size));
    if (copy != nullptr) std::memcpy(copy, name, size);
  }
  rec->pointer = copy;
  rec->module = copy != nullptr ? LibLoader(copy) : nullptr;
  if (rec->module == nullptr) {
    if (out != nullptr) *out = nullptr;
    QxApiAddError(rec, "QxApiInit", "LibLoader", -10);
    return 0;
  }
  if (out != nullptr) *out = rec->module;
  return 0;
}
