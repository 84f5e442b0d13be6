// The operation table of a handle, filled by name from the implementation
// library, with a stub of the right type for every operation it lacks.
#include "dynlib.h"
#include "handle.h"

namespace orvela::eu {

namespace {

// The stub of one slot: takes the slot's arguments and answers that the
// implementation does not provide the operation.  One stub per slot type, so
// that every call goes through a pointer of the callee's own type.
template <typename Fn>
struct Stub;

template <typename... Args>
struct Stub<int (*)(Args...)> {
  static int Call(Args...) { return EU_E_NOT_PROVIDED; }
};

template <typename Fn>
void FillSlot(Fn* slot, void* module, const char* name) {
  void* found = platform::ResolveSymbol(module, name);
  *slot = found != nullptr ? reinterpret_cast<Fn>(found) : &Stub<Fn>::Call;
}

}  // namespace

#define EU_OPERATION_NAME_(slot) #slot,
const char* const kOperationNames[EU_OPERATION_COUNT] = {EU_OPERATIONS(EU_OPERATION_NAME_)};
#undef EU_OPERATION_NAME_

void FillOperationTable(EUHandle* h, void* module) {
#define EU_FILL_SLOT_(slot) FillSlot(&h->ops.slot, module, #slot);
  EU_OPERATIONS(EU_FILL_SLOT_)
#undef EU_FILL_SLOT_
}

}  // namespace orvela::eu
