// Byte-order-aware copies of multi-byte values.
#include "ostrel.h"

namespace {

// The host byte-order code the copy compares against: the host is little-endian.
constexpr int kHostByteOrder = OSTREL_BYTE_ORDER_HOST;

}  // namespace

extern "C" void ZORQmemcpyt(void* dst, const void* src, int count, int order) {
  if (dst == nullptr || src == nullptr || count <= 0) return;
  auto* out = static_cast<unsigned char*>(dst);
  const auto* in = static_cast<const unsigned char*>(src);
  if (order == kHostByteOrder) {
    for (int i = 0; i < count; ++i) out[i] = in[i];
    return;
  }
  for (int i = 0; i < count; ++i) out[count - 1 - i] = in[i];
}

extern "C" void ZORQmemcpy(void* dst, const void* src, int count) {
  ZORQmemcpyt(dst, src, count, OSTREL_BYTE_ORDER_REVERSED);
}
