// Numbers for native pointers kept in the Java int fields of the bridge.  Java
// ints cannot hold 64-bit pointers, so the bridge hands out small positive
// numbers (0 means none) and keeps the pointers in one process-wide table.
#ifndef ORVELA_CALDERA_HANDLE_TABLE_H
#define ORVELA_CALDERA_HANDLE_TABLE_H

namespace orvela::caldera {

// Number of pointers the table can hold at once.
inline constexpr int kHandleSlots = 4096;

// Stores `pointer` and returns its number (1 to kHandleSlots), or 0 when the
// pointer is null or the table is full.
int HandleAdd(void* pointer);

// Returns the pointer stored under `number`, or null for 0, a number out of
// range or a free slot.
void* HandleGet(int number);

// Frees the slot `number`; numbers out of range and free slots are ignored.
void HandleRemove(int number);

}  // namespace orvela::caldera

#endif
