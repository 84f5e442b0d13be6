// Format objects created and destroyed through the formatter registry.
#include "serialize.h"
#include "shaper.h"

extern "C" int SerializeCreate(const char* formatUrl, void** serializer) {
  if (formatUrl == nullptr || serializer == nullptr) return -1;
  return DBFInit(formatUrl, serializer, nullptr);
}

extern "C" void SerializeDestroy(void** serializer) {
  if (serializer == nullptr || *serializer == nullptr) return;
  DBFClose(serializer);
  // A plug-in without "close" keeps its object; the caller's pointer is
  // dropped either way, so that it is never used again.
  *serializer = nullptr;
}
