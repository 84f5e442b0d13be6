// The process-wide table behind the bridge's handle numbers.
#include "handle_table.h"

#include <array>
#include <mutex>

namespace orvela::caldera {
namespace {

// Process-wide state: the slots and the lock that guards them (different Java
// objects may be used from different threads).
struct HandleTable {
  std::mutex lock;
  std::array<void*, kHandleSlots> slots{};
};

HandleTable& Table() {
  static HandleTable table;
  return table;
}

}  // namespace

int HandleAdd(void* pointer) {
  if (pointer == nullptr) return 0;
  HandleTable& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  for (int i = 0; i < kHandleSlots; ++i) {
    if (t.slots[i] == nullptr) {
      t.slots[i] = pointer;
      return i + 1;
    }
  }
  return 0;
}

void* HandleGet(int number) {
  if (number < 1 || number > kHandleSlots) return nullptr;
  HandleTable& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  return t.slots[number - 1];
}

void HandleRemove(int number) {
  if (number < 1 || number > kHandleSlots) return;
  HandleTable& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  t.slots[number - 1] = nullptr;
}

}  // namespace orvela::caldera
