// Where a channel's samples lie in a scan block: the segment layout, the
// 16-channel words of digital files, and the bounded reading of one word.
#include <array>

#include "read_internal.h"

namespace orvela::tavio {

namespace {

constexpr int kWordBytes = 2;

}  // namespace

/*
 * ComputeChannelLayout --
 *   Gives every word of a sample set its offset within a scan and its stride
 *   from the segment table, then every channel the values of its word (a
 *   digital channel shares its word with 15 others).  Words that no segment
 *   names (a table whose counts add up to less than the set) follow as one
 *   more segment, so every read stays inside the block.
 * Results:
 *   false when the segments name more words than a sample set holds.
 * Side effects:
 *   Sets scan_offset and stride of the read context's channel records.
 */
bool ComputeChannelLayout(DataFileContext& ctx) {
  const int words = WordsPerSet(ctx);
  const int64_t samples = ctx.description.samples_per_scan;
  std::array<int, kMaxChannels> offset{};
  std::array<int, kMaxChannels> stride{};
  int placed = 0;
  auto place = [&](int count) {
    const int64_t start = samples * kWordBytes * placed;
    for (int i = 0; i < count; ++i) {
      offset[static_cast<std::size_t>(placed + i)] = static_cast<int>(start + static_cast<int64_t>(i) * kWordBytes);
      stride[static_cast<std::size_t>(placed + i)] = count * kWordBytes;
    }
    placed += count;
  };
  for (int j = 0; j < ctx.segment_count; ++j) {
    const int count = ctx.segment_channels[static_cast<std::size_t>(j)];
    if (count > words - placed) return false;
    place(count);
  }
  if (placed < words) place(words - placed);
  for (int c = 0; c < ctx.description.channel_count; ++c) {
    ChannelRecord& rec = ctx.description.channels[static_cast<std::size_t>(c)];
    const int word = ctx.description.digital ? c / 16 : c;
    if (word < words) {
      rec.scan_offset = offset[static_cast<std::size_t>(word)];
      rec.stride = stride[static_cast<std::size_t>(word)];
    } else {
      rec.scan_offset = -1;  // a digital channel beyond the last whole word
      rec.stride = 0;
    }
  }
  return true;
}

/*
 * WordPosition --
 *   The byte position in the work buffer of a channel's word at the cursor's
 *   sample: within the loaded scan block, or within the one sample set a
 *   container read.
 * Results:
 *   The position, or -1 for a channel without a word.
 * Side effects:
 *   None.
 */
int WordPosition(const DataFileContext& ctx, int index) {
  if (index < 0 || index >= kMaxChannels) return -1;
  const ChannelRecord& rec = ctx.description.channels[static_cast<std::size_t>(index)];
  if (ctx.format == kFormatKepr) return index * kWordBytes;
  if (rec.scan_offset < 0) return -1;
  return ctx.scan_header_size + rec.scan_offset + ctx.cursor.index_in_scan * rec.stride;
}

/*
 * ChannelCount --
 *   The raw value of a channel at the cursor's sample: its bit for digital
 *   files, else its word, signed when the file's data type is signed.
 * Results:
 *   The value; 0.0 for a position outside the work buffer.
 * Side effects:
 *   None.
 */
double ChannelCount(const DataFileContext& ctx, int index) {
  const int pos = WordPosition(ctx, index);
  if (pos < 0 || static_cast<std::size_t>(pos) + kWordBytes > kWorkBufferBytes) return 0.0;
  const auto word = static_cast<uint16_t>(ctx.buffer[static_cast<std::size_t>(pos)] |
                                          (ctx.buffer[static_cast<std::size_t>(pos) + 1] << 8));
  if (ctx.description.digital) return ((word >> (index % 16)) & 1) != 0 ? 1.0 : 0.0;
  if (ctx.description.data_type == 0) return word;
  return static_cast<int16_t>(word);
}

}  // namespace orvela::tavio
