// Loading of the container library and lookup of its functions by name.
#include "kepr_library.h"

#include <cstring>

#include "dynlib.h"

namespace orvela::tavio {

namespace {

void* g_kepr_module = nullptr;

// Functions already looked up; the container library has 13 exports.
struct ResolvedFunction {
  char name[32];
  void* address;
};
constexpr int kMaxResolved = 32;
ResolvedFunction g_resolved[kMaxResolved];
int g_resolved_count = 0;

}  // namespace

bool LoadKeprLibrary() {
  if (g_kepr_module == nullptr) g_kepr_module = orvela::platform::LoadLibraryFile(kKeprLibraryPath);
  return g_kepr_module != nullptr;
}

void* KeprFunction(const char* name) {
  if (name == nullptr || !LoadKeprLibrary()) return nullptr;
  for (int i = 0; i < g_resolved_count; ++i) {
    if (std::strcmp(g_resolved[i].name, name) == 0) return g_resolved[i].address;
  }
  void* address = orvela::platform::ResolveSymbol(g_kepr_module, name);
  // Found functions are remembered; a name too long for the table is simply
  // looked up again next time.
  if (address != nullptr && g_resolved_count < kMaxResolved && std::strlen(name) < sizeof g_resolved[0].name) {
    ResolvedFunction& slot = g_resolved[g_resolved_count++];
    std::strcpy(slot.name, name);
    slot.address = address;
  }
  return address;
}

}  // namespace orvela::tavio
