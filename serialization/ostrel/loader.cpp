// LibLoader: loads a library by its bare name.
#include <cstring>

#include "dynlib.h"
#include "ostrel.h"

extern "C" void* LibLoader(const char* name) {
  if (name == nullptr) return nullptr;
  // The name and its suffix are formed in a 64-byte buffer, as the interface
  // has always done; a longer name cannot name a library.
  char file_name[64];
  const size_t length = std::strlen(name);
  if (length == 0 || length > OSTREL_NAME_MAX) return nullptr;
  const auto suffix = orvela::platform::kLibrarySuffix;
  std::memcpy(file_name, name, length);
  std::memcpy(file_name + length, suffix.data(), suffix.size());
  file_name[length + suffix.size()] = '\0';
  return orvela::platform::LoadLibraryFile(file_name);
}
