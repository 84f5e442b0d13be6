// The block traversal shared by the statistics loaders.
#include "block_scan.h"

#include <algorithm>
#include <cstring>

#include "block_fold.h"

namespace trendel {

namespace {

// The rows of a segment whose samples lie wholly inside the bytes read.
void LimitRows(const BlockLayout::Segment& seg, uint32_t bytes, uint32_t* begin, uint32_t* end) {
  if (seg.channels == 0) return;
  const int64_t span = static_cast<int64_t>(seg.channels - 1) * seg.elem_stride + 2;
  // First row at a non-negative offset.
  if (seg.base < 0) {
    const int64_t need = (-seg.base + seg.row_stride - 1) / seg.row_stride;
    if (need > *begin) *begin = static_cast<uint32_t>(std::min<int64_t>(need, SamplesPerChannel));
  }
  const int64_t room = static_cast<int64_t>(bytes) - seg.base - span;
  const int64_t last = room < 0 ? -1 : room / seg.row_stride;  // last complete row
  const int64_t limit = std::min<int64_t>(last + 1, SamplesPerChannel);
  if (limit < *end) *end = static_cast<uint32_t>(std::max<int64_t>(limit, 0));
}

bool FastStyle() { return (m_iXferStyle == 4 || m_iXferStyle == 5) && dataSize == 2; }

}  // namespace

uint32_t ReadBlock(bool first, uint32_t s0, BlockLayout* layout) {
  const uint32_t n = ChannelCount;
  const uint32_t S = SamplesPerChannel;
  uint32_t want;
  int64_t shift;
  layout->num_segments = 0;
  if (enhanced == 0) {
    want = first ? (S - s0) * ChannelSize : BlockSize();
    shift = first ? static_cast<int64_t>(kStampSize) + static_cast<int64_t>(s0) * ChannelSize : 0;
    layout->segments[0] = {0, static_cast<int>(n), static_cast<int64_t>(kStampSize) - shift, n * 2u, 2u};
    layout->num_segments = 1;
  } else {
    shift = first ? static_cast<int64_t>(s0) * sampleOffset[0] : 0;
    want = BlockSize() - static_cast<uint32_t>(shift);
    int channel = 0;
    for (int j = 0; j < numMbSegments; ++j) {
      const int nj = channelsInMbSegment[j];
      if (nj > 0)
        layout->segments[layout->num_segments++] = {channel, nj, static_cast<int64_t>(channelOffset[channel]) - shift,
                                                     sampleOffset[channel], static_cast<uint32_t>(dataSize)};
      channel += nj;
    }
  }
  const uint32_t got = fileParse.readBytes(BlockBytes(), std::min(want, kBlockBufferSize));
  layout->row_begin = first ? s0 : 0;
  layout->row_end = S;
  for (int j = 0; j < layout->num_segments; ++j)
    LimitRows(layout->segments[j], got, &layout->row_begin, &layout->row_end);
  if (layout->row_end < layout->row_begin) layout->row_end = layout->row_begin;
  return got;
}

Reduction::Reduction(cGraph* graphs, uint32_t group) : graphs_(graphs), group_(group) { Restart(); }

void Reduction::Restart() {
  std::memcpy(lo_, ff_values, sizeof lo_);
  std::memcpy(hi_, zero_values, sizeof hi_);
  in_group_ = 0;
}

void Reduction::Emit() {
  for (int c = 0; c < ChannelCount; ++c) graphs_[c].addPair(lo_[c], hi_[c]);
  Restart();
}

void Reduction::FlushPartial() {
  if (in_group_ > 0) Emit();
}

/*
 * Reduction::AddRows --
 *   Takes rows [begin, end) of the block in the buffer into the reduction.
 * Results:
 *   None.
 * Side effects:
 *   Updates the running minima and maxima; appends every finished group (or
 *   every sample, without grouping) to the graphs.
 */
void Reduction::AddRows(const BlockLayout& layout, uint32_t begin, uint32_t end) {
  const uint8_t* buf = BlockBytes();
  const bool fast = FastStyle();
  const bool is_signed = m_iXferStyle == 5;
  if (group_ == 0) {
    for (uint32_t s = begin; s < end; ++s)
      for (int j = 0; j < layout.num_segments; ++j) {
        const auto& seg = layout.segments[j];
        const int64_t row = seg.base + static_cast<int64_t>(s) * seg.row_stride;
        for (int i = 0; i < seg.channels; ++i)
          graphs_[seg.first_channel + i].addData(getVal(buf, static_cast<uint32_t>(row + i * int64_t{seg.elem_stride})));
      }
    return;
  }
  uint32_t s = begin;
  while (s < end) {
    const uint32_t take = std::min(group_ - in_group_, end - s);
    for (int j = 0; j < layout.num_segments; ++j) {
      const auto& seg = layout.segments[j];
      const int64_t row = seg.base + static_cast<int64_t>(s) * seg.row_stride;
      uint16_t* lo = lo_ + seg.first_channel;
      uint16_t* hi = hi_ + seg.first_channel;
      if (fast && seg.row_stride == static_cast<uint32_t>(seg.channels) * 2u && seg.elem_stride == 2) {
        FoldRows(data_words + row / 2, take, static_cast<size_t>(seg.channels), is_signed, lo, hi);
      } else {
        for (uint32_t r = 0; r < take; ++r) {
          const int64_t at = row + static_cast<int64_t>(r) * seg.row_stride;
          for (int i = 0; i < seg.channels; ++i) {
            const uint16_t v = getVal(buf, static_cast<uint32_t>(at + i * int64_t{seg.elem_stride}));
            lo[i] = std::min(lo[i], v);
            hi[i] = std::max(hi[i], v);
          }
        }
      }
    }
    in_group_ += take;
    s += take;
    if (in_group_ == group_) Emit();
  }
}

}  // namespace trendel
