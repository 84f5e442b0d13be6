// Library loading through the dynamic linker (dlopen, dlsym, dladdr).
#include "dynlib.h"

#include <dlfcn.h>

namespace orvela::platform {

void* LoadLibraryFile(const char* file_name) {
  if (file_name == nullptr || file_name[0] == '\0') return nullptr;
  return dlopen(file_name, RTLD_NOW);
}

void* ResolveSymbol(void* module, const char* symbol) {
  if (module == nullptr || symbol == nullptr) return nullptr;
  return dlsym(module, symbol);
}

std::string ModuleFileName(const void* address) {
  Dl_info info{};
  if (address == nullptr || dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
  return info.dli_fname;
}

std::string LastLoadError() {
  const char* text = dlerror();
  return text != nullptr ? text : "";
}

}  // namespace orvela::platform
