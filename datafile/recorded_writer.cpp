// The writer of recorded data files ("Velmont" and "VelmontEnhanced"): the
// fixed header written at once, BCD stamps at scan boundaries, samples
// passed through (byte pairs swapped for big-endian client data), and the pad
// sets of an incomplete last scan with their count patched into the header.
#include <algorithm>
#include <cstring>

#include "bcd_stamp.h"
#include "fixed_header.h"
#include "format_writers.h"
#include "tavio.h"

namespace orvela::tavio {

namespace {

// The buffer of the one recorded data file that can be open for writing.
char g_stream_buffer[1 << 20];

bool WriteRaw(std::FILE* stream, const void* data, std::size_t bytes) {
  return bytes == 0 || std::fwrite(data, 1, bytes, stream) == bytes;
}

// Writes client sample bytes, swapping each byte pair through the work buffer
// when the client's words are big-endian.
bool WriteSamples(DataFileContext& ctx, const uint8_t* data, std::size_t bytes) {
  if (!ctx.output.swap_bytes) return WriteRaw(ctx.output.stream, data, bytes);
  const std::size_t chunk = kWorkBufferBytes & ~static_cast<std::size_t>(1);
  while (bytes > 0) {
    const std::size_t n = std::min(bytes, chunk);
    uint8_t* out = ctx.buffer.data();
    for (std::size_t i = 0; i + 1 < n; i += 2) {
      out[i] = data[i + 1];
      out[i + 1] = data[i];
    }
    if (!WriteRaw(ctx.output.stream, out, n)) return false;
    data += n;
    bytes -= n;
  }
  return true;
}

bool WriteStamp(DataFileContext& ctx, bool first) {
  BcdStamp stamp{};
  if (first) {
    if (ctx.use_saved_stamp != 0) std::memcpy(stamp.data(), ctx.saved_stamp.data(), stamp.size());
    else stamp = StampFromClock();
  }
  return WriteRaw(ctx.output.stream, stamp.data(), stamp.size());
}

// Appends `sets` sample sets of pad words, little-endian whatever the client
// byte order.
bool WritePadSets(DataFileContext& ctx, uint64_t sets) {
  const uint16_t pad = ctx.output.pad_word;
  uint64_t bytes = sets * ctx.output.set_bytes;
  const std::size_t chunk = kWorkBufferBytes & ~static_cast<std::size_t>(1);
  const std::size_t fill = static_cast<std::size_t>(std::min<uint64_t>(bytes, chunk));
  for (std::size_t i = 0; i + 1 < fill; i += 2) {
    ctx.buffer[i] = static_cast<uint8_t>(pad);
    ctx.buffer[i + 1] = static_cast<uint8_t>(pad >> 8);
  }
  while (bytes > 0) {
    const std::size_t n = static_cast<std::size_t>(std::min<uint64_t>(bytes, chunk));
    if (!WriteRaw(ctx.output.stream, ctx.buffer.data(), n)) return false;
    bytes -= n;
  }
  return true;
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
  // A large stream buffer gathers the stamps and the pieces of sample runs
  // split at scan boundaries into few, large writes.
  std::setvbuf(stream, g_stream_buffer, _IOFBF, sizeof g_stream_buffer);
  ctx.output.stream = stream;
  ctx.output.set_bytes = static_cast<uint32_t>(d.channel_count) * 2u;
  ctx.output.samples_per_scan = d.samples_per_scan;
  ctx.output.scan_stamps = !enhanced;
  ctx.output.swap_bytes = (d.input_data_type & 0x80u) != 0;
  ctx.output.pad_word = (d.input_data_type & 1u) != 0 ? 0 : 32767;  // zero volts of signed or unsigned words
  ctx.last_scan_sub_count_offset = static_cast<long>(layout.sub_count_offset);
  // The header goes out at once, so that a file that cannot take it fails
  // here rather than at the first samples.
  if (!WriteRaw(stream, ctx.buffer.data(), layout.length) || std::fflush(stream) != 0) {
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
  if (ctx.total_sets == 0.0) {
    if (!WriteStamp(ctx, true)) return TAVIO_E_WRITE;
  } else if (velmont && ctx.sets_in_scan == 0) {
    if (!WriteStamp(ctx, false)) return TAVIO_E_WRITE;
  }
  ctx.total_sets += static_cast<double>(sets);
  while (ctx.sets_in_scan + sets >= per_scan) {
    const uint64_t complete = per_scan - ctx.sets_in_scan;
    if (!WriteSamples(ctx, data, static_cast<std::size_t>(complete * set_bytes))) return TAVIO_E_WRITE;
    data += complete * set_bytes;
    sets -= complete;
    ctx.sets_in_scan = 0;
    if (velmont && sets > 0 && !WriteStamp(ctx, false)) return TAVIO_E_WRITE;
  }
  if (!WriteSamples(ctx, data, static_cast<std::size_t>(sets * set_bytes))) return TAVIO_E_WRITE;
  ctx.sets_in_scan += static_cast<uint32_t>(sets);
  return 0;
}

int CloseRecordedFile(DataFileContext& ctx) {
  std::FILE* stream = ctx.output.stream;
  if (stream == nullptr) return TAVIO_E_NOT_OPEN;
  bool ok = true;
  const uint32_t held = ctx.sets_in_scan;
  if (held > 0 && held < ctx.output.samples_per_scan) {
    const uint32_t pad = ctx.output.samples_per_scan - held;
    ok = WritePadSets(ctx, pad);
    if (ok) {
      ctx.total_sets += pad;
      ctx.sets_in_scan = 0;
      uint8_t count[4] = {static_cast<uint8_t>(pad), static_cast<uint8_t>(pad >> 8),
                          static_cast<uint8_t>(pad >> 16), static_cast<uint8_t>(pad >> 24)};
      ok = fseeko(stream, static_cast<off_t>(ctx.last_scan_sub_count_offset), SEEK_SET) == 0 &&
           WriteRaw(stream, count, sizeof count);
    }
  }
  ctx.output.stream = nullptr;
  // An earlier failed write leaves the file without some of its samples.
  if (std::ferror(stream) != 0) ok = false;
  if (std::fclose(stream) != 0) ok = false;
  return ok ? 0 : TAVIO_E_CLOSE;
}

}  // namespace orvela::tavio
