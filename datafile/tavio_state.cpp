// The global read and write contexts of the library.
#include "tavio_state.h"

#include <cstring>

namespace orvela::tavio {

namespace {

// Each context holds a 4 MB work buffer, so they live in static storage.
DataFileContext g_read_context;
DataFileContext g_write_context;

}  // namespace

bool g_write_open = false;
bool g_read_open = false;

DataFileContext& ReadContext() { return g_read_context; }
DataFileContext& WriteContext() { return g_write_context; }

void CopyText(char (&field)[kTextRoom], const char* text) {
  if (text == nullptr) text = "";
  std::size_t n = std::strlen(text);
  if (n > kTextRoom - 1) n = kTextRoom - 1;
  std::memmove(field, text, n);
  field[n] = '\0';
}

}  // namespace orvela::tavio
