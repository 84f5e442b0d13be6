/* The object the test plug-ins build: the module field DBFInit fills, then
 * what the plug-in saw. */
#ifndef ORVTEST_PLUGIN_H
#define ORVTEST_PLUGIN_H

#include "ostrel.h"

#define ORVTEST_PLUGIN_EXPORT __attribute__((visibility("default")))

/* Written into `module` by the plug-in, so a test sees whether DBFInit replaced it. */
#define ORVTEST_MODULE_UNSET ((void*)0x1)

typedef struct TestPluginObject {
  void* module;
  void* parent;   /* the parent DBFInit passed */
  char host[128]; /* the host of the URL init saw */
  int close_calls;
} TestPluginObject;

#endif
