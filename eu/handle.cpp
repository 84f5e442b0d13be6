// EUInit and EUClose: opening a handle on an implementation library and
// closing it with everything it owns.
#include <cstring>

#include "dynlib.h"
#include "handle.h"
#include "ostrel.h"

static_assert(sizeof(EUOperationTable) == EU_OPERATION_COUNT * sizeof(void (*)()),
              "the operation table has exactly its 19 slots");
static_assert(EU_NAME_ROOM <= OSTREL_NAME_MAX + 1, "every name EUInit accepts fits LibLoader");

/*
 *----------------------------------------------------------------------
 * EUInit --
 *   Loads the implementation library `name`, lets its "init" create the
 *   handle record, then completes the record: an empty resource list, the
 *   module and the operation table filled by name.
 * Results:
 *   init's result, or EU_E_NOT_LOADED / EU_E_NO_INIT / init's failure.
 * Side effects:
 *   The library stays loaded for the life of the process.
 *----------------------------------------------------------------------
 */
extern "C" int EUInit(const char* name, EUHandle** out) {
  if (name == nullptr || out == nullptr) return EU_E_NOT_LOADED;
  // The bare name has a fixed room; a longer one names no library and is
  // refused before anything copies it.
  if (strnlen(name, EU_NAME_ROOM) >= EU_NAME_ROOM) return EU_E_NOT_LOADED;
  void* module = LibLoader(name);
  if (module == nullptr) return EU_E_NOT_LOADED;
  auto init = reinterpret_cast<EUImplementationInitFn>(orvela::platform::ResolveSymbol(module, "init"));
  if (init == nullptr) return EU_E_NO_INIT;
  const int rc = init(out);
  if (rc < 0) return rc;
  EUHandle* h = *out;
  // An init that reports success without a record has failed to allocate it.
  if (h == nullptr) return EU_E_NOMEM;
  orvela::eu::InitResourceList(h);
  h->module = module;
  orvela::eu::FillOperationTable(h, module);
  return rc;
}

/*
 *----------------------------------------------------------------------
 * EUClose --
 *   Releases every resource block of the handle *p in creation order
 *   (destructors first: open data-set collections are written back), then
 *   hands the record to the implementation's "close".
 * Results:
 *   EU_E_NO_HANDLE for no handle; close's result; 0 without a "close".
 * Side effects:
 *   With "close", the record is freed and *p nulled.
 *----------------------------------------------------------------------
 */
extern "C" int EUClose(EUHandle** p) {
  if (p == nullptr || *p == nullptr) return EU_E_NO_HANDLE;
  orvela::eu::ReleaseAllResources(*p);
  auto close = reinterpret_cast<EUImplementationCloseFn>(orvela::platform::ResolveSymbol((*p)->module, "close"));
  if (close == nullptr) return 0;
  return close(p);
}
