// Tests for the vectorised min/max folds against a plain loop.
#include "block_fold.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace trendel {
namespace {

TEST(FoldRows, MatchesAPlainLoopForEveryWidth) {
  std::mt19937 rng(7);
  for (bool is_signed : {false, true}) {
    for (size_t width : {1u, 2u, 3u, 4u, 5u, 8u, 16u, 17u, 32u, 33u, 64u, 300u}) {
      for (size_t rows : {0u, 1u, 3u, 7u, 65u}) {
        std::vector<uint16_t> m(rows * width);
        for (auto& v : m) v = static_cast<uint16_t>(rng());
        std::vector<uint16_t> lo(width, 0xFFFF), hi(width, 0), elo(lo), ehi(hi);
        FoldRows(m.data(), rows, width, is_signed, lo.data(), hi.data());
        for (size_t r = 0; r < rows; ++r)
          for (size_t c = 0; c < width; ++c) {
            const uint16_t v = is_signed ? static_cast<uint16_t>(m[r * width + c] ^ 0x8000) : m[r * width + c];
            elo[c] = std::min(elo[c], v);
            ehi[c] = std::max(ehi[c], v);
          }
        EXPECT_EQ(lo, elo) << "width " << width << " rows " << rows << " signed " << is_signed;
        EXPECT_EQ(hi, ehi) << "width " << width << " rows " << rows << " signed " << is_signed;
      }
    }
  }
}

}  // namespace
}  // namespace trendel
