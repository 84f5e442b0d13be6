// Internal interface of eu shared by its source files: the operation table of
// a handle and the handle's resource list.  Not installed, not exported.
//
// Resource list.  Everything eu hands out on behalf of a handle (data-set
// collections, point arrays, records, name arrays) is the payload of one
// resource block: a single heap allocation holding the EUResourceBlock header
// (next-link, release function, destructor) and, kResourcePayloadOffset bytes
// from its start, the payload.  Blocks are appended at the tail, so walking
// from the head visits them in creation order; EUClose releases them all.
#ifndef ORVELA_EU_HANDLE_H
#define ORVELA_EU_HANDLE_H

#include <cstddef>

#include "eu.h"

namespace orvela::eu {

// The slots of EUOperationTable in table order; each slot is filled from the
// implementation library's export of the same name.
#define EU_OPERATIONS(X)                                                                           \
  X(getLibName) X(setCountType) X(getCountType) X(setCurveFitAlgorithm) X(setCountByteOrder)       \
  X(getCountByteOrder) X(counts2Volts) X(volts2EUs) X(counts2EUs) X(calcPolyCoefs) X(openDataSets) \
  X(openDataSetsCOMM) X(getDataSet) X(setDataSet) X(updateDataSet) X(removeDataSet)                \
  X(getDataSetsIds) X(getNumDataSets) X(closeDataSets)

// The exported names an implementation library may supply, in table order;
// kOperationNames[i] fills the i-th slot of EUOperationTable.
extern const char* const kOperationNames[EU_OPERATION_COUNT];

// Fills every slot of h->ops with the export of `module` of that slot's name,
// or, when the module has none, with a stub of the slot's type that answers
// EU_E_NOT_PROVIDED.
// Results: None.  Side effects: overwrites h->ops.
void FillOperationTable(EUHandle* h, void* module);

// Offset of the payload from the start of a resource block: the header
// rounded up so that the payload suits any type.
inline constexpr std::size_t kResourcePayloadOffset =
    (sizeof(EUResourceBlock) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) *
    alignof(std::max_align_t);

// Makes h's resource list empty (head null, tail at the head, release
// function the C library's free).  Results: None.  Side effects: forgets any
// blocks the list held without releasing them.
void InitResourceList(EUHandle* h);

// Allocates a zero-filled block with room for `payload_size` bytes and
// appends it at the tail of h's list.  `destructor` (nullable) is run with the
// payload address when the block is released.
// Results: the payload address, or null without memory (or for a null h or a
// size that cannot be allocated).  Side effects: the list grows by one block.
void* AddResource(EUHandle* h, std::size_t payload_size, void (*destructor)(void* payload));

// Unlinks the block whose payload is `payload` from h's list (keeping the
// tail right), runs its destructor and releases it.
// Results: true when the block was found; false (nothing done) otherwise.
bool ReleaseResource(EUHandle* h, void* payload);

// Results: true when `payload` is the payload of a block on h's list.
// Side effects: None.
bool HoldsResource(const EUHandle* h, const void* payload);

// Releases every block of h's list in creation order: each block's next-link
// is read first, then its destructor runs, then the block is freed.  The list
// is not relinked while it is walked; afterwards it is empty.
// Results: None.
void ReleaseAllResources(EUHandle* h);

// Returns the message of an EU_* result code, or "unknown result code" for a
// value that is not one.
const char* ResultText(int code);

}  // namespace orvela::eu

#endif
