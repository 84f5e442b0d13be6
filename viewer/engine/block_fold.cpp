// The vectorised min/max folds over whole rows of samples.
//
// Every fold compares signed 16-bit words, which the baseline instruction
// set compares in one step (pminsw/pmaxsw); unsigned words are turned into
// signed ones of the same order by flipping their top bit.  The running
// values are kept in that signed form: signed = getVal value ^ 0x8000.
#include "block_fold.h"

#include <algorithm>

namespace trendel {
namespace {

// Lanes of the wide fold: 32 words are four 128-bit registers each for the
// minima and the maxima, which leaves room for the loads.
constexpr size_t kLanes = 32;
// Columns converted to the signed form at a time.
constexpr size_t kChunk = 256;

// kFlip is 0x8000 for unsigned samples (style 4) and 0 for signed ones.
template <uint16_t kFlip>
inline int16_t Signed(uint16_t raw) {
  return static_cast<int16_t>(raw ^ kFlip);
}

template <uint16_t kFlip>
void FoldNarrow(const uint16_t* __restrict p, size_t rows, size_t stride, size_t width, int16_t* __restrict lo,
                int16_t* __restrict hi) {
  for (size_t r = 0; r < rows; ++r, p += stride) {
    for (size_t c = 0; c < width; ++c) {
      const int16_t v = Signed<kFlip>(p[c]);
      lo[c] = v < lo[c] ? v : lo[c];
      hi[c] = v > hi[c] ? v : hi[c];
    }
  }
}

// Rows of exactly kLanes words with the running values held in registers.
template <uint16_t kFlip>
void FoldWide(const uint16_t* __restrict p, size_t rows, int16_t* __restrict lo_out, int16_t* __restrict hi_out) {
  int16_t lo[kLanes];
  int16_t hi[kLanes];
  for (size_t c = 0; c < kLanes; ++c) {
    lo[c] = lo_out[c];
    hi[c] = hi_out[c];
  }
  for (size_t r = 0; r < rows; ++r, p += kLanes) {
    for (size_t c = 0; c < kLanes; ++c) {
      const int16_t v = Signed<kFlip>(p[c]);
      lo[c] = v < lo[c] ? v : lo[c];
      hi[c] = v > hi[c] ? v : hi[c];
    }
  }
  for (size_t c = 0; c < kLanes; ++c) {
    lo_out[c] = lo[c];
    hi_out[c] = hi[c];
  }
}

// Folds columns [0, n) of rows `width` words apart into lo/hi (signed form).
template <uint16_t kFlip>
void FoldColumns(const uint16_t* p, size_t rows, size_t width, size_t n, int16_t* lo, int16_t* hi) {
  if (n == width && width <= kLanes && kLanes % width == 0) {
    // Several rows make one wide row; lane j belongs to channel j % width.
    const size_t per = kLanes / width;
    const size_t wide_rows = rows / per;
    if (wide_rows > 0) {
      int16_t wlo[kLanes];
      int16_t whi[kLanes];
      for (size_t j = 0; j < kLanes; ++j) {
        wlo[j] = lo[j % width];
        whi[j] = hi[j % width];
      }
      FoldWide<kFlip>(p, wide_rows, wlo, whi);
      for (size_t j = 0; j < kLanes; ++j) {
        lo[j % width] = std::min(lo[j % width], wlo[j]);
        hi[j % width] = std::max(hi[j % width], whi[j]);
      }
    }
    FoldNarrow<kFlip>(p + wide_rows * kLanes, rows - wide_rows * per, width, width, lo, hi);
    return;
  }
  FoldNarrow<kFlip>(p, rows, width, n, lo, hi);
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
  int16_t slo[kChunk];
  int16_t shi[kChunk];
  for (size_t base = 0; base < width; base += kChunk) {
    const size_t n = std::min(kChunk, width - base);
    for (size_t c = 0; c < n; ++c) {
      slo[c] = static_cast<int16_t>(lo[base + c] ^ 0x8000);
      shi[c] = static_cast<int16_t>(hi[base + c] ^ 0x8000);
    }
    if (signed_samples)
      FoldColumns<0>(p + base, rows, width, n, slo, shi);
    else
      FoldColumns<0x8000>(p + base, rows, width, n, slo, shi);
    for (size_t c = 0; c < n; ++c) {
      lo[base + c] = static_cast<uint16_t>(static_cast<uint16_t>(slo[c]) ^ 0x8000);
      hi[base + c] = static_cast<uint16_t>(static_cast<uint16_t>(shi[c]) ^ 0x8000);
    }
  }
}

}  // namespace trendel
