// Reading the loaded file scan block by scan block into the block buffer and
// reducing its rows: the traversal every statistics loader shares.
#ifndef TRENDEL_ENGINE_BLOCK_SCAN_H
#define TRENDEL_ENGINE_BLOCK_SCAN_H

#include <cstdint>

#include "engine.h"

namespace trendel {

// Where the rows of one block lie in the block buffer.
struct BlockLayout {
  struct Segment {
    int first_channel;
    int channels;
    int64_t base;         // buffer offset of row 0, channel first_channel
    uint32_t row_stride;  // bytes between rows
    uint32_t elem_stride; // bytes between channels of a row
  };
  Segment segments[kMaxSegments];
  int num_segments = 0;
  uint32_t row_begin = 0;  // first row present
  uint32_t row_end = 0;    // one past the last complete row present
};

// Accumulates rows into groups of `group` sample sets (0: every sample set
// is kept) and appends the results to `graphs`.
class Reduction {
 public:
  Reduction(cGraph* graphs, uint32_t group);
  // Folds or appends rows [begin, end) of a block laid out as `layout`.
  void AddRows(const BlockLayout& layout, uint32_t begin, uint32_t end);
  // Appends the group being gathered, if it holds anything.
  void FlushPartial();
  uint32_t inGroup() const { return in_group_; }

 private:
  void Emit();
  void Restart();
  cGraph* graphs_;
  uint32_t group_;
  uint32_t in_group_ = 0;
  uint16_t lo_[MAX_CHANNELS];
  uint16_t hi_[MAX_CHANNELS];
};

// Reads the next block from fileParse (the first one from scan position
// `s0` when `first`), and describes where its rows lie.  Returns the bytes
// read; 0 at the end of the usable length.
uint32_t ReadBlock(bool first, uint32_t s0, BlockLayout* layout);

}  // namespace trendel

#endif
