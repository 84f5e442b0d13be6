// The read cursor: moving to a sample set and a channel, and the value at
// the cursor as counts, volts or engineering units.
#include <cmath>
#include <cstring>
#include <sys/types.h>

#include "bcd_stamp.h"
#include "kepr.h"
#include "kepr_library.h"
#include "read_internal.h"
#include "tavio.h"

namespace orvela::tavio {

namespace {

// Beyond 2^53 sample indices are no longer whole numbers; such a position
// lies past any file and reads as zeros.
constexpr double kLargestIndex = 9007199254740992.0;

/*
 * LoadBlock --
 *   Reads the scan block whose first sample set is `first` into the work
 *   buffer.  What the file does not hold (a short last block, a block past
 *   the end or before the start) reads as zeros, never as bytes of an
 *   earlier block.
 * Results:
 *   The number of bytes read from the file.
 * Side effects:
 *   Overwrites the first block_bytes bytes of the work buffer.
 */
int64_t LoadBlock(DataFileContext& ctx, double scan) {
  ReadCursor& c = ctx.cursor;
  const auto block = static_cast<int64_t>(c.block_bytes);
  const double offset = scan * c.block_bytes + ctx.data_header_size + c.data_start;
  int64_t got = 0;
  // Blocks read in order need no seek, which keeps the stream's buffer.
  if (scan >= 0.0 && offset < c.file_size && c.stream != nullptr &&
      (ftello(c.stream) == static_cast<off_t>(offset) || fseeko(c.stream, static_cast<off_t>(offset), SEEK_SET) == 0)) {
    got = static_cast<int64_t>(std::fread(ctx.buffer.data(), 1, static_cast<std::size_t>(block), c.stream));
  }
  if (got < block) std::memset(ctx.buffer.data() + got, 0, static_cast<std::size_t>(block - got));
  return got;
}

/*
 * PositionInFile --
 *   Moves the cursor of a recorded data file to sample set k, reusing the
 *   loaded block when it holds k.
 * Results:
 *   0.
 * Side effects:
 *   May load another block and update the time base ("Velmont" stamps).
 */
int PositionInFile(DataFileContext& ctx, double k) {
  ReadCursor& c = ctx.cursor;
  const double whole = std::trunc(k);
  if (c.reload == 0 && whole >= c.buffer_first && whole <= c.buffer_last) {
    // The index within the block follows from the block's first index, so
    // fractional indices cannot make it drift out of the block.
    c.current_index = k;
    c.index_in_scan = static_cast<int>(whole - c.buffer_first);
    c.byte_position = WordPosition(ctx, c.current_channel);
    return 0;
  }
  const double s = ctx.description.samples_per_scan;
  c.current_index = k;
  if (!(std::fabs(whole) <= kLargestIndex)) {
    // Not a position in any file (NaN, infinite or huge): zeros, and the next
    // call loads afresh.
    std::memset(ctx.buffer.data(), 0, static_cast<std::size_t>(c.block_bytes));
    c.reload = 1;
    c.index_in_scan = 0;
    c.byte_position = WordPosition(ctx, c.current_channel);
    return 0;
  }
  const double scan = std::floor(whole / s);
  const double first = scan * s;
  const int64_t got = LoadBlock(ctx, scan);
  // A block before the start (all zeros) is not kept: a loaded block always
  // starts at a sample index of 0 or more, which the moves inside it rely on.
  c.reload = first < 0.0 ? 1 : 0;
  c.buffer_first = first;
  c.buffer_last = first + s - 1.0;
  c.index_in_scan = static_cast<int>(whole - first);
  c.byte_position = WordPosition(ctx, c.current_channel);
  if (ctx.format == kFormatVelmont && got >= kStampBytes && StampIsSet(ctx.buffer.data())) {
    c.time_base_seconds = StampSeconds(ctx.buffer.data());
    c.time_base_index = first;
  }
  return 0;
}

/*
 * PositionInContainer --
 *   Reads sample set k of a container into the start of the work buffer.
 * Results:
 *   0; 500 when the container cannot supply the set (cursor unchanged); 219
 *   when the container library lacks the function.
 * Side effects:
 *   Moves the cursor.
 */
int PositionInContainer(DataFileContext& ctx, double k) {
  ReadCursor& c = ctx.cursor;
  using SetSampleFn = decltype(&KEPRSetSample);
  const auto set_sample = KeprFunctionAs<SetSampleFn>("KEPRSetSample");
  if (set_sample == nullptr) return TAVIO_E_CLOSE;
  // Indices the container's 32-bit positions cannot reach, and negative or
  // undefined ones, are refused before the library sees them.
  if (!(k >= 0.0) || !(k < ctx.cursor.sample_count) || c.kepr_parse == nullptr) return TAVIO_E_POSITION;
  if (set_sample(k, static_cast<const KEPRReadHandle*>(c.kepr_parse), ctx.buffer.data()) != 1) return TAVIO_E_POSITION;
  c.current_index = k;
  c.index_in_scan = 0;
  c.byte_position = WordPosition(ctx, c.current_channel);
  return 0;
}

}  // namespace

int PositionAt(DataFileContext& ctx, double k) {
  if (ctx.format == kFormatKepr) return PositionInContainer(ctx, k);
  return PositionInFile(ctx, k);
}

namespace {

// Moves the cursor to channel `index` (0-based) of the current sample.
inline void MoveToChannel(DataFileContext& ctx, int index) {
  ReadCursor& c = ctx.cursor;
  if (index != c.current_channel) {
    c.current_channel = index;
    c.byte_position = WordPosition(ctx, index);
  }
}

// TAVIO_SetSample without the export's indirection, so that the combined
// calls stay cheap: a move inside the loaded block is arithmetic only.
int SetSample(DataFileContext& ctx, double k) {
  // Without an open file there is no block to load (and, after a failed
  // open, no layout to load it with).
  if (!g_read_open || ctx.description.channel_count == 0) return TAVIO_E_NOT_OPEN;
  if (ctx.format != kFormatKepr && ctx.cursor.stream == nullptr) return TAVIO_E_NOT_OPEN;
  return PositionAt(ctx, k);
}

// The sample at the cursor: the word at its byte position, read within the
// work buffer only.
inline double CursorCount(const DataFileContext& ctx) {
  const int pos = ctx.cursor.byte_position;
  // One unsigned comparison also refuses negative positions.
  if (static_cast<unsigned>(pos) > kWorkBufferBytes - 2) return 0.0;
  const auto word = static_cast<uint16_t>(ctx.buffer[static_cast<std::size_t>(pos)] |
                                          (ctx.buffer[static_cast<std::size_t>(pos) + 1] << 8));
  if (ctx.description.digital) return ((word >> (ctx.cursor.current_channel % 16)) & 1) != 0 ? 1.0 : 0.0;
  if (ctx.description.data_type == 0) return word;
  return static_cast<int16_t>(word);
}

// TAVIO_SetSampleAndChannel outside the loaded block, kept out of line so
// that the move inside it needs no stack frame.
[[gnu::noinline]] int SetSampleAndChannelSlowly(double k, int ch) {
  return GuardedCall([&] {
    DataFileContext& ctx = ReadContext();
    if (!ValidChannel(ctx, ch)) return static_cast<int>(TAVIO_E_CHANNEL);
    MoveToChannel(ctx, ch - 1);
    return SetSample(ctx, k);
  });
}

// The read context, bound once: the per-sample calls below reach it without
// a call.
DataFileContext* const g_reader = &ReadContext();

}  // namespace

}  // namespace orvela::tavio

using namespace orvela::tavio;

extern "C" int TAVIO_SetChannel(int ch) {
  DataFileContext& ctx = ReadContext();
  if (!ValidChannel(ctx, ch)) return TAVIO_E_CHANNEL;
  MoveToChannel(ctx, ch - 1);
  return 0;
}

extern "C" int TAVIO_SetSample(double k) {
  return GuardedCall([&] { return SetSample(ReadContext(), k); });
}

extern "C" int TAVIO_SetSampleAndChannel(double k, int ch) {
  DataFileContext& ctx = *g_reader;
  ReadCursor& c = ctx.cursor;
  // The common case of reading a file in order: a set of the loaded block
  // (reload is set whenever no block of an open file is loaded).  A loaded
  // block starts at an index of 0 or more, so for k inside it k - first is
  // exact and its whole part is the index within the scan; channel counts
  // never exceed the table.
  if (c.reload == 0 && k >= c.buffer_first && k < c.buffer_last + 1.0 &&
      static_cast<unsigned>(ch) - 1u < ctx.description.channel_count) {
    const ChannelRecord& rec = ctx.description.channels[(static_cast<unsigned>(ch) - 1u) % kMaxChannels];
    const int index = static_cast<int>(k - c.buffer_first);
    c.current_channel = ch - 1;
    c.current_index = k;
    c.index_in_scan = index;
    c.byte_position = rec.scan_offset < 0 ? -1 : ctx.scan_header_size + rec.scan_offset + index * rec.stride;
    return 0;
  }
  return SetSampleAndChannelSlowly(k, ch);
}

extern "C" int TAVIO_GetSampleAndChannel(double* k, int* ch) {
  if (k == nullptr || ch == nullptr) return TAVIO_E_INDEX;
  const ReadCursor& c = ReadContext().cursor;
  *k = c.current_index;
  *ch = c.current_channel + 1;
  return 0;
}

/*
 * TAVIO_GetSingleSample --
 *   The sample at the cursor: counts (mode 0), volts (1) or EU (2).
 * Results:
 *   0, or 213 for a NULL out; another mode leaves *out unchanged.
 * Side effects:
 *   None: the thermocouple rule reads its reference word without moving the
 *   cursor.
 */
extern "C" int TAVIO_GetSingleSample(int mode, double* out) {
  if (out == nullptr) return TAVIO_E_INDEX;
  DataFileContext& ctx = *g_reader;
  const int channel = ctx.cursor.current_channel;
  const double count = CursorCount(ctx);
  if (ctx.description.digital || mode == 0) {
    *out = count;
    return 0;
  }
  if (mode == 1) return TAVIO_CalcVoltsFromCounts(channel + 1, count, out);
  if (mode == 2) return TAVIO_CalcEUFromCounts(channel + 1, count, out);
  return 0;
}

extern "C" int TAVIO_GetSingleSampleExtended(int mode, double k, int ch, double* out) {
  const int rc = TAVIO_SetSampleAndChannel(k, ch);
  if (rc != 0) return rc;
  return TAVIO_GetSingleSample(mode, out);
}
