// The writer of recorded data files ("Velmont" and "VelmontEnhanced"): the
// fixed header written at once, BCD stamps at scan boundaries, samples
// passed through (byte pairs swapped for big-endian client data), and the pad
// sets of an incomplete last scan with their count patched into the header.
#include <sys/uio.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "bcd_stamp.h"
#include "fixed_header.h"
#include "format_writers.h"
#include "tavio.h"

namespace orvela::tavio {

namespace {

// What goes to the file next, as a list of pieces written with one writev.
// Long runs of client samples are written straight from the caller's memory
// (a copy through a large stream buffer costs more than the write itself);
// stamps, short runs, pad sets and swapped words are copied into the staging
// area, which stays small so that it is still in the cache when it is
// written.  Only staged bytes wait beyond a call, so short calls still make
// few, large writes.
constexpr std::size_t kStageBytes = 64 * 1024;
constexpr std::size_t kDirectBytes = 4096;  // runs from this length on are not copied
constexpr int kMaxPieces = 64;

struct PendingOutput {
  uint8_t stage[kStageBytes];
  std::size_t staged = 0;  // bytes of stage in use
  iovec pieces[kMaxPieces];
  int count = 0;
  bool borrowed = false;  // a piece points into the caller's memory
  bool failed = false;    // a write failed since the file was created
};

// The one recorded data file that can be open for writing.
PendingOutput g_out;

void ResetPending() {
  g_out.staged = 0;
  g_out.count = 0;
  g_out.borrowed = false;
}

/*
 * Flush --
 *   Writes every pending piece in order with writev, continuing after
 *   partial writes and interruptions.
 * Results:
 *   false when a write fails.
 * Side effects:
 *   The pending pieces and the staging area are emptied either way; a
 *   failure is remembered for the close.
 */
bool Flush(std::FILE* stream) {
  iovec* piece = g_out.pieces;
  int left = g_out.count;
  bool ok = true;
  while (left > 0) {
    const ssize_t n = ::writev(fileno(stream), piece, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    auto done = static_cast<std::size_t>(n);
    while (left > 0 && done >= piece->iov_len) {
      done -= piece->iov_len;
      ++piece;
      --left;
    }
    if (left > 0) {  // a partial write: continue inside this piece
      piece->iov_base = static_cast<uint8_t*>(piece->iov_base) + done;
      piece->iov_len -= done;
    }
  }
  ResetPending();
  if (!ok) g_out.failed = true;
  return ok;
}

// Appends a piece; the last one grows when the new bytes follow it directly.
void AddPiece(const uint8_t* data, std::size_t bytes) {
  if (g_out.count > 0) {
    iovec& last = g_out.pieces[g_out.count - 1];
    if (static_cast<const uint8_t*>(last.iov_base) + last.iov_len == data) {
      last.iov_len += bytes;
      return;
    }
  }
  g_out.pieces[g_out.count++] = iovec{const_cast<uint8_t*>(data), bytes};
}

// Room in the staging area: a free piece slot and at least two bytes, after
// writing what is pending when there is none.  Returns false when that
// write fails.
bool MakeRoom(std::FILE* stream) {
  if (g_out.count < kMaxPieces && kStageBytes - g_out.staged >= 2) return true;
  return Flush(stream);
}

// Copies `bytes` (even) into the staging area, each byte pair swapped when
// `swap` is set, or, when `data` is null, fills them with the little-endian
// word `fill`.
bool Stage(std::FILE* stream, const uint8_t* data, std::size_t bytes, bool swap, uint16_t fill = 0) {
  bytes &= ~static_cast<std::size_t>(1);  // whole words only, so every step below makes progress
  while (bytes > 0) {
    if (!MakeRoom(stream)) return false;
    uint8_t* out = g_out.stage + g_out.staged;
    const std::size_t n = std::min(bytes, kStageBytes - g_out.staged) & ~static_cast<std::size_t>(1);
    if (data == nullptr) {
      for (std::size_t i = 0; i < n; i += 2) {
        out[i] = static_cast<uint8_t>(fill);
        out[i + 1] = static_cast<uint8_t>(fill >> 8);
      }
    } else if (swap) {
      for (std::size_t i = 0; i < n; i += 2) {
        out[i] = data[i + 1];
        out[i + 1] = data[i];
      }
      data += n;
    } else {
      std::memcpy(out, data, n);
      data += n;
    }
    AddPiece(out, n);
    g_out.staged += n;
    bytes -= n;
  }
  return true;
}

// Queues client sample bytes (whole sets, so an even count).
bool WriteSamples(DataFileContext& ctx, const uint8_t* data, std::size_t bytes) {
  if (bytes == 0) return true;
  if (ctx.output.swap_bytes || bytes < kDirectBytes) return Stage(ctx.output.stream, data, bytes, ctx.output.swap_bytes);
  if (g_out.count >= kMaxPieces && !Flush(ctx.output.stream)) return false;
  AddPiece(data, bytes);
  g_out.borrowed = true;
  return true;
}

bool WriteStamp(DataFileContext& ctx, bool first) {
  BcdStamp stamp{};
  if (first) {
    if (ctx.use_saved_stamp != 0) std::memcpy(stamp.data(), ctx.saved_stamp.data(), stamp.size());
    else stamp = StampFromClock();
  }
  return Stage(ctx.output.stream, stamp.data(), stamp.size(), false);
}

// Appends `sets` sample sets of pad words, little-endian whatever the client
// byte order.
bool WritePadSets(DataFileContext& ctx, uint64_t sets) {
  return Stage(ctx.output.stream, nullptr, static_cast<std::size_t>(sets * ctx.output.set_bytes), false,
               ctx.output.pad_word);
}

// The channels the segment table places, which must not exceed the file's.
unsigned SegmentChannelTotal(const DataFileContext& ctx) {
  unsigned total = 0;
  for (int s = 0; s < ctx.segment_count; ++s) total += ctx.segment_channels[static_cast<std::size_t>(s)];
  return total;
}

}  // namespace

int WriteRecordedHeader(DataFileContext& ctx) {
  const FileDescription& d = ctx.description;
  const bool enhanced = ctx.format == kFormatVelmontEnhanced;
  // The scan arithmetic needs at least one channel and one set per scan; a
  // configuration the layout cannot describe creates no file.
  if (d.channel_count == 0 || d.channel_count > kMaxChannels || d.samples_per_scan == 0 ||
      (enhanced && SegmentChannelTotal(ctx) > d.channel_count))
    return TAVIO_E_FORMAT;
  // Readers hold one scan block at a time in a work buffer; a larger block
  // would make a file that cannot be read back (and a huge last-scan pad).
  const uint64_t block = (enhanced ? 0u : static_cast<uint64_t>(kStampBytes)) +
                         static_cast<uint64_t>(d.samples_per_scan) * d.channel_count * 2u;
  if (block > kWorkBufferBytes) return TAVIO_E_FORMAT;
  FixedHeaderLayout layout;
  if (!AssembleFixedHeader(ctx, enhanced, &layout)) return TAVIO_E_FORMAT;
  std::FILE* stream = std::fopen(ctx.path, "w+b");
  if (stream == nullptr) return TAVIO_E_FILE;
  // Every byte goes out through the pending pieces, so the stream itself
  // buffers nothing.
  std::setvbuf(stream, nullptr, _IONBF, 0);
  ResetPending();
  g_out.failed = false;
  ctx.output.stream = stream;
  ctx.output.set_bytes = static_cast<uint32_t>(d.channel_count) * 2u;
  ctx.output.samples_per_scan = d.samples_per_scan;
  ctx.output.scan_stamps = !enhanced;
  ctx.output.swap_bytes = (d.input_data_type & 0x80u) != 0;
  ctx.output.pad_word = (d.input_data_type & 1u) != 0 ? 0 : 32767;  // zero volts of signed or unsigned words
  ctx.last_scan_sub_count_offset = static_cast<long>(layout.sub_count_offset);
  // The header goes out at once, so that a file that cannot take it fails
  // here rather than at the first samples.
  AddPiece(ctx.buffer.data(), layout.length);
  if (!Flush(stream)) {
    std::fclose(stream);
    ctx.output.stream = nullptr;
    return TAVIO_E_WRITE;
  }
  return 0;
}

int WriteRecordedBytes(DataFileContext& ctx, const uint8_t* data, int count) {
  if (ctx.output.stream == nullptr) return TAVIO_E_NOT_OPEN;
  if (count <= 0) return 0;
  if (data == nullptr) return TAVIO_E_INDEX;
  const uint64_t set_bytes = ctx.output.set_bytes;
  const uint64_t per_scan = ctx.output.samples_per_scan;
  uint64_t sets = static_cast<uint64_t>(count) / set_bytes;  // the rest of an incomplete set is ignored
  // Nothing to write means no stamp either, so a call with less than one set
  // cannot leave a stamp without samples.
  if (sets == 0) return 0;
  const bool velmont = ctx.output.scan_stamps;
  const auto queue = [&] {
    if (ctx.total_sets == 0.0) {
      if (!WriteStamp(ctx, true)) return false;
    } else if (velmont && ctx.sets_in_scan == 0) {
      if (!WriteStamp(ctx, false)) return false;
    }
    ctx.total_sets += static_cast<double>(sets);
    while (ctx.sets_in_scan + sets >= per_scan) {
      const uint64_t complete = per_scan - ctx.sets_in_scan;
      if (!WriteSamples(ctx, data, static_cast<std::size_t>(complete * set_bytes))) return false;
      data += complete * set_bytes;
      sets -= complete;
      ctx.sets_in_scan = 0;
      if (velmont && sets > 0 && !WriteStamp(ctx, false)) return false;
    }
    if (!WriteSamples(ctx, data, static_cast<std::size_t>(sets * set_bytes))) return false;
    ctx.sets_in_scan += static_cast<uint32_t>(sets);
    return true;
  };
  bool ok = queue();
  // Pieces in the caller's memory are written before the call returns.
  if (g_out.borrowed && !Flush(ctx.output.stream)) ok = false;
  return ok ? 0 : TAVIO_E_WRITE;
}

int CloseRecordedFile(DataFileContext& ctx) {
  std::FILE* stream = ctx.output.stream;
  if (stream == nullptr) return TAVIO_E_NOT_OPEN;
  const uint32_t held = ctx.sets_in_scan;
  uint32_t pad = 0;
  if (held > 0 && held < ctx.output.samples_per_scan) {
    pad = ctx.output.samples_per_scan - held;
    if (WritePadSets(ctx, pad)) {
      ctx.total_sets += pad;
      ctx.sets_in_scan = 0;
    }
  }
  (void)Flush(stream);
  // An earlier failed write leaves the file without some of its samples;
  // without its pads the pad count is not patched either.
  bool ok = !g_out.failed;
  if (ok && pad > 0) {
    const uint8_t count[4] = {static_cast<uint8_t>(pad), static_cast<uint8_t>(pad >> 8),
                              static_cast<uint8_t>(pad >> 16), static_cast<uint8_t>(pad >> 24)};
    ok = fseeko(stream, static_cast<off_t>(ctx.last_scan_sub_count_offset), SEEK_SET) == 0 &&
         std::fwrite(count, 1, sizeof count, stream) == sizeof count && std::fflush(stream) == 0;
  }
  ctx.output.stream = nullptr;
  if (std::fclose(stream) != 0) ok = false;
  ResetPending();
  return ok ? 0 : TAVIO_E_CLOSE;
}

}  // namespace orvela::tavio
