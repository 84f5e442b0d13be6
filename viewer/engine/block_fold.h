// The inner loops of the reduction: folding rows of 16-bit samples into
// per-channel minima and maxima.  Written so that the compiler vectorises
// them with the baseline instruction set (no -march=native).
#ifndef TRENDEL_ENGINE_BLOCK_FOLD_H
#define TRENDEL_ENGINE_BLOCK_FOLD_H

#include <cstddef>
#include <cstdint>

namespace trendel {

// Folds `rows` rows of a contiguous row-major matrix of `width` samples at
// `p` into lo[0 .. width-1] and hi[0 .. width-1].  With `signed_samples` the
// samples are signed words and lo/hi hold them in offset binary (the value
// getVal gives: the top bit inverted), so that both styles compare alike.
void FoldRows(const uint16_t* p, size_t rows, size_t width, bool signed_samples, uint16_t* lo, uint16_t* hi);

}  // namespace trendel

#endif
