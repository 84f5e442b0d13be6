// Library loading through the dynamic linker (dlopen, dlsym, dladdr).
#include "dynlib.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace orvela::platform {

namespace {

// The folder of the module this code is linked into, with a trailing '/'.  The
// platform layer is a static library, so that module is the library (or
// program) that asked for the load: its RUNPATH is $ORIGIN, and looking there
// first gives the sibling rule even when a sanitizer runtime intercepts dlopen
// and the dynamic linker no longer sees who called it.
std::string CallerFolder() {
  const std::string self = ModuleFileName(reinterpret_cast<const void*>(&CallerFolder));
  const size_t slash = self.rfind('/');
  return slash == std::string::npos ? std::string() : self.substr(0, slash + 1);
}

// Finds the mapped file that contains `address` in /proc/self/maps; empty
// when none does.  Used when the dynamic linker knows a module only by a
// relative name (the main program, or a library opened as "./x.so").
std::string MappedFileName(const void* address) {
  FILE* maps = std::fopen("/proc/self/maps", "re");
  if (maps == nullptr) return {};
  const auto target = reinterpret_cast<uintptr_t>(address);
  std::string result;
  char line[4096 + 256];
  while (std::fgets(line, sizeof line, maps) != nullptr) {
    uintptr_t low = 0;
    uintptr_t high = 0;
    int path_at = 0;
    if (std::sscanf(line, "%" SCNxPTR "-%" SCNxPTR " %*s %*s %*s %*s %n", &low, &high, &path_at) < 2)
      continue;
    if (target < low || target >= high || path_at <= 0) continue;
    const char* path = line + path_at;
    if (path[0] == '/') {
      result = path;
      while (!result.empty() && (result.back() == '\n' || result.back() == ' ')) result.pop_back();
    }
    break;
  }
  std::fclose(maps);
  return result;
}

}  // namespace

void* LoadLibraryFile(const char* file_name) {
  if (file_name == nullptr || file_name[0] == '\0') return nullptr;
  if (std::strchr(file_name, '/') == nullptr) {
    const std::string sibling = CallerFolder() + file_name;
    if (sibling.size() > std::strlen(file_name) && access(sibling.c_str(), F_OK) == 0) {
      if (void* module = dlopen(sibling.c_str(), RTLD_NOW)) return module;
    }
  }
  return dlopen(file_name, RTLD_NOW);
}

void* ResolveSymbol(void* module, const char* symbol) {
  if (module == nullptr || symbol == nullptr) return nullptr;
  void* address = dlsym(module, symbol);
  if (address == nullptr) return nullptr;
  // dlsym also searches the libraries the module depends on, so a plug-in
  // without "close" would yield the C library's close().  Only the module's
  // own exports count, as they do for GetProcAddress.
  struct link_map* own = nullptr;
  struct link_map* found = nullptr;
  Dl_info info{};
  if (dlinfo(module, RTLD_DI_LINKMAP, &own) != 0 ||
      dladdr1(address, &info, reinterpret_cast<void**>(&found), RTLD_DL_LINKMAP) == 0 || own != found) {
    return nullptr;
  }
  return address;
}

std::string ModuleFileName(const void* address) {
  Dl_info info{};
  if (address == nullptr || dladdr(address, &info) == 0) return {};
  if (info.dli_fname != nullptr && info.dli_fname[0] == '/') return info.dli_fname;
  return MappedFileName(address);
}

std::string LastLoadError() {
  const char* text = dlerror();
  return text != nullptr ? text : "";
}

}  // namespace orvela::platform
