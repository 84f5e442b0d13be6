// The vectorised min/max folds over whole rows of samples.
#include "block_fold.h"

#include <algorithm>
#include <cstring>

namespace trendel {
namespace {

// Lanes of the wide fold: 32 words are four 128-bit registers each for the
// minima and the maxima, which leaves room for the loads.
constexpr size_t kLanes = 32;

template <typename T>
void FoldNarrow(const T* p, size_t rows, size_t width, T* lo, T* hi) {
  for (size_t r = 0; r < rows; ++r, p += width) {
    for (size_t c = 0; c < width; ++c) {
      lo[c] = std::min(lo[c], p[c]);
      hi[c] = std::max(hi[c], p[c]);
    }
  }
}

// Rows of exactly kLanes words with the accumulators held in registers.
template <typename T>
void FoldWide(const T* p, size_t rows, T* lo_out, T* hi_out) {
  T lo[kLanes];
  T hi[kLanes];
  std::memcpy(lo, lo_out, sizeof lo);
  std::memcpy(hi, hi_out, sizeof hi);
  for (size_t r = 0; r < rows; ++r, p += kLanes) {
    for (size_t c = 0; c < kLanes; ++c) {
      lo[c] = std::min(lo[c], p[c]);
      hi[c] = std::max(hi[c], p[c]);
    }
  }
  std::memcpy(lo_out, lo, sizeof lo);
  std::memcpy(hi_out, hi, sizeof hi);
}

template <typename T>
void FoldTyped(const T* p, size_t rows, size_t width, T* lo, T* hi) {
  if (width == 0 || rows == 0) return;
  if (width <= kLanes && kLanes % width == 0) {
    // Several rows make one wide row; lane j belongs to channel j % width.
    const size_t per = kLanes / width;
    const size_t wide_rows = rows / per;
    if (wide_rows > 0) {
      T wlo[kLanes];
      T whi[kLanes];
      for (size_t j = 0; j < kLanes; ++j) {
        wlo[j] = lo[j % width];
        whi[j] = hi[j % width];
      }
      FoldWide(p, wide_rows, wlo, whi);
      for (size_t j = 0; j < kLanes; ++j) {
        lo[j % width] = std::min(lo[j % width], wlo[j]);
        hi[j % width] = std::max(hi[j % width], whi[j]);
      }
    }
    FoldNarrow(p + wide_rows * kLanes, rows - wide_rows * per, width, lo, hi);
    return;
  }
  FoldNarrow(p, rows, width, lo, hi);
}

}  // namespace

/*
 * FoldRows --
 *   Folds rows of samples into running minima and maxima.
 * Results:
 *   None.
 * Side effects:
 *   Updates lo and hi.
 */
void FoldRows(const uint16_t* p, size_t rows, size_t width, bool signed_samples, uint16_t* lo, uint16_t* hi) {
  if (rows == 0 || width == 0) return;
  if (!signed_samples) {
    FoldTyped(p, rows, width, lo, hi);
    return;
  }
  // Offset binary orders like the signed word it came from, so signed words
  // are folded directly and the results converted back.
  constexpr size_t kChunk = 256;
  int16_t slo[kChunk];
  int16_t shi[kChunk];
  for (size_t base = 0; base < width; base += kChunk) {
    const size_t n = std::min(kChunk, width - base);
    for (size_t c = 0; c < n; ++c) {
      slo[c] = static_cast<int16_t>(lo[base + c] ^ 0x8000);
      shi[c] = static_cast<int16_t>(hi[base + c] ^ 0x8000);
    }
    if (n == width) {
      FoldTyped(reinterpret_cast<const int16_t*>(p), rows, width, slo, shi);
    } else {
      // Very wide rows: fold the chunk's columns row by row.
      const int16_t* sp = reinterpret_cast<const int16_t*>(p) + base;
      for (size_t r = 0; r < rows; ++r, sp += width)
        for (size_t c = 0; c < n; ++c) {
          slo[c] = std::min(slo[c], sp[c]);
          shi[c] = std::max(shi[c], sp[c]);
        }
    }
    for (size_t c = 0; c < n; ++c) {
      lo[base + c] = static_cast<uint16_t>(static_cast<uint16_t>(slo[c]) ^ 0x8000);
      hi[base + c] = static_cast<uint16_t>(static_cast<uint16_t>(shi[c]) ^ 0x8000);
    }
  }
}

}  // namespace trendel
