// A test plug-in with "init" and "close".  The URL's host steers init:
//   "parent"  hands back the parent object instead of a new one;
//   a number  makes init build an object and return that number;
//   otherwise init builds an object and returns 0.
// close frees the object, nulls the caller's pointer and returns 0, except for
// an object whose host is "keep", which stays alive and gives 7.
#include <cstdlib>
#include <cstring>

#include "test_plugin.h"

extern "C" ORVTEST_PLUGIN_EXPORT int init(void** out, DecodedUrl* url, void* parent) {
  if (std::strcmp(url->host, "parent") == 0) {
    *out = parent;
    return 0;
  }
  auto* object = static_cast<TestPluginObject*>(std::calloc(1, sizeof(TestPluginObject)));
  if (object == nullptr) return -4;
  object->module = ORVTEST_MODULE_UNSET;
  object->parent = parent;
  std::memcpy(object->host, url->host, sizeof object->host);
  *out = object;
  char* end = nullptr;
  const long code = std::strtol(url->host, &end, 10);
  return end != url->host && *end == '\0' ? static_cast<int>(code) : 0;
}

extern "C" ORVTEST_PLUGIN_EXPORT int close(void** object) {
  auto* o = static_cast<TestPluginObject*>(*object);
  ++o->close_calls;
  if (std::strcmp(o->host, "keep") == 0) return 7;
  std::free(o);
  *object = nullptr;
  return 0;
}
