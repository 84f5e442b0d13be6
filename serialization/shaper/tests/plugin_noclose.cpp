// A test plug-in that lacks "close": DBFClose must leave its objects alone.
#include "test_plugin.h"

namespace {
TestPluginObject the_object;
}

extern "C" ORVTEST_PLUGIN_EXPORT int init(void** out, DecodedUrl*, void*) {
  the_object.module = ORVTEST_MODULE_UNSET;
  *out = &the_object;
  return 0;
}
