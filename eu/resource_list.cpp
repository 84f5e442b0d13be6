// The resource list of a handle: blocks handed out on the handle's behalf,
// released in creation order when the handle closes.
#include <cstdint>
#include <cstdlib>

#include "handle.h"

namespace orvela::eu {

namespace {

void* PayloadOf(EUResourceBlock* block) {
  return reinterpret_cast<unsigned char*>(block) + kResourcePayloadOffset;
}

// Runs the block's destructor and frees it through the release function the
// block carries.  The caller has read block->next already.
void DestroyBlock(EUResourceBlock* block) {
  if (block->destructor != nullptr) block->destructor(PayloadOf(block));
  block->release(block);
}

void FreeBlock(void* block) { std::free(block); }

}  // namespace

void InitResourceList(EUHandle* h) {
  h->resourceHead = nullptr;
  h->resourceTail = &h->resourceHead;
  h->resourceRelease = FreeBlock;
}

void* AddResource(EUHandle* h, std::size_t payload_size, void (*destructor)(void* payload)) {
  if (h == nullptr || h->resourceTail == nullptr) return nullptr;
  if (payload_size > SIZE_MAX - kResourcePayloadOffset) return nullptr;
  auto* block = static_cast<EUResourceBlock*>(std::calloc(1, kResourcePayloadOffset + payload_size));
  if (block == nullptr) return nullptr;
  block->next = nullptr;
  block->release = h->resourceRelease != nullptr ? h->resourceRelease : FreeBlock;
  block->destructor = destructor;
  *h->resourceTail = block;
  h->resourceTail = &block->next;
  return PayloadOf(block);
}

bool ReleaseResource(EUHandle* h, void* payload) {
  if (h == nullptr || payload == nullptr) return false;
  EUResourceBlock** link = &h->resourceHead;
  while (*link != nullptr && PayloadOf(*link) != payload) link = &(*link)->next;
  EUResourceBlock* block = *link;
  if (block == nullptr) return false;
  *link = block->next;
  if (h->resourceTail == &block->next) h->resourceTail = link;
  DestroyBlock(block);
  return true;
}

bool HoldsResource(const EUHandle* h, const void* payload) {
  if (h == nullptr || payload == nullptr) return false;
  for (EUResourceBlock* block = h->resourceHead; block != nullptr; block = block->next) {
    if (PayloadOf(block) == payload) return true;
  }
  return false;
}

void ReleaseAllResources(EUHandle* h) {
  if (h == nullptr) return;
  // The chain is detached before it is walked, so a destructor that adds or
  // releases blocks works on a consistent (new) list instead of blocks that
  // are being freed; such new blocks are released by the next round.
  while (h->resourceHead != nullptr) {
    EUResourceBlock* block = h->resourceHead;
    h->resourceHead = nullptr;
    h->resourceTail = &h->resourceHead;
    while (block != nullptr) {
      EUResourceBlock* next = block->next;
      DestroyBlock(block);
      block = next;
    }
  }
  h->resourceTail = &h->resourceHead;
}

}  // namespace orvela::eu
