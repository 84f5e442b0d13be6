// Fuzz target for the XML reader: any bytes as a sensor file, read through a
// memory channel into data-set objects.  A document that reads must write out
// and read back again with the same number of data sets.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "comm.h"
#include "serialize.h"
#include "tallis.h"

namespace {

// Reads `text`; returns read's result and, for a collection, its size in *sets.
int ReadText(const char* text, size_t size, void** format, void** data, const char** type_url) {
  if (SerializeCreate("markal://", format) != 0) std::abort();
  void* channel = nullptr;
  if (CommGetMemoryHandle(text, static_cast<int>(size), &channel) != 0) std::abort();
  auto* f = static_cast<SerializeFormat*>(*format);
  const int rc = f->read(f, data, type_url, static_cast<CommHandle*>(channel));
  CommFreeHandle(&channel);
  return rc;
}

int Sets(void* data, const char* type_url) {
  if (type_url == nullptr || std::strcmp(type_url, "calnest://DataSets") != 0 || data == nullptr) return -1;
  auto* table = *static_cast<TallisTable**>(data);
  int n = -1;
  if (table != nullptr) table->count(table, &n);
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size > (1u << 20)) return 0;
  void* format = nullptr;
  void* data = nullptr;
  const char* type_url = nullptr;
  const int rc = ReadText(reinterpret_cast<const char*>(bytes), size, &format, &data, &type_url);
  if (rc != 0) {
    if (rc != -9 && rc != -12) std::abort();
  } else if (type_url != nullptr) {
    const int sets = Sets(data, type_url);
    void* channel = nullptr;
    CommGetMemoryHandle(nullptr, 0, &channel);
    auto* f = static_cast<SerializeFormat*>(format);
    const int written = f->write(f, data, type_url, static_cast<CommHandle*>(channel));
    if (written == 0 && sets >= 0) {
      const char* text = nullptr;
      int length = 0;
      CommMemoryContents(channel, &text, &length);
      const std::string copy(text, static_cast<size_t>(length));
      void* format2 = nullptr;
      void* data2 = nullptr;
      const char* type_url2 = nullptr;
      if (ReadText(copy.data(), copy.size(), &format2, &data2, &type_url2) != 0) std::abort();
      if (Sets(data2, type_url2) != sets) std::abort();
      SerializeDestroy(&format2);
    }
    CommFreeHandle(&channel);
  }
  SerializeDestroy(&format);
  return 0;
}
