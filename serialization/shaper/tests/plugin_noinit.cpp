// A test plug-in that lacks "init": DBFInit must refuse it.
#include "test_plugin.h"

extern "C" ORVTEST_PLUGIN_EXPORT int close(void** object) {
  *object = nullptr;
  return 0;
}
