// Opening and closing the file being read: format detection, the derived
// layout (block size, scan and sample counts) and the read defaults.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/types.h>

#include "bcd_stamp.h"
#include "conversion_type.h"
#include "read_internal.h"
#include "references.h"
#include "tavio.h"

namespace orvela::tavio {

namespace {

constexpr uint16_t kDefaultOffset = 32767;
// Stream buffer of a recorded data file: sequential reads of scan blocks are
// served from it, with one system call per buffer instead of two per block.
// Two buffers take turns, since a new file is opened before the previous
// one is released.
constexpr std::size_t kStreamBufferBytes = 256 * 1024;
char g_stream_buffers[2][kStreamBufferBytes];
int g_stream_buffer_in_use = 1;  // the buffer of the open read stream
constexpr double kDefaultCountsPerVolt = 2675.0;

// Size of an open stream in bytes, or -1.
int64_t StreamSize(std::FILE* stream) {
  if (fseeko(stream, 0, SEEK_END) != 0) return -1;
  const off_t size = ftello(stream);
  if (size < 0 || fseeko(stream, 0, SEEK_SET) != 0) return -1;
  return static_cast<int64_t>(size);
}

bool IsContainerTag(const char* tag) {
  return std::memcmp(tag, "FORM", 4) == 0 || std::memcmp(tag, "CAT ", 4) == 0 || std::memcmp(tag, "LIST", 4) == 0;
}

// Releases the stream or container of the file read before; no block of it
// counts as loaded any more.
int ReleaseReadFile(DataFileContext& ctx) {
  int rc = 0;
  ctx.cursor.reload = 1;
  if (ctx.cursor.kepr_parse != nullptr) rc = CloseContainer(ctx);
  if (ctx.cursor.stream != nullptr) {
    std::fclose(ctx.cursor.stream);
    ctx.cursor.stream = nullptr;
  }
  return rc;
}

// Forgets the description of a file that could not be read, so that no
// getter, conversion or position works on a half-filled one.
void ForgetDescription(DataFileContext& ctx) {
  ctx.description.channel_count = 0;
  ctx.cursor.sample_count = 0.0;
  ctx.cursor.scan_count = 0.0;
  ctx.cursor.reload = 1;
  // The cursor points at no word: a sample read now is 0, not a word of
  // the file read before.
  ctx.cursor.byte_position = -1;
  ctx.format = kFormatNone;
}

/*
 * FinishLayout --
 *   Derives the block size, channel layout, time base and (for recorded data
 *   files) the scan and sample counts, then moves the cursor to sample 0 of
 *   channel 1.
 * Results:
 *   0, or 200 when a block does not fit the work buffer or the segment table
 *   does not fit the sample set.
 * Side effects:
 *   Fills the layout fields of the read context and loads the first block.
 */
int FinishLayout(DataFileContext& ctx, int64_t data_start) {
  FileDescription& d = ctx.description;
  ReadCursor& c = ctx.cursor;
  const int words = WordsPerSet(ctx);
  if (words < 1 || d.samples_per_scan == 0) return TAVIO_E_FILE;
  const int64_t block = ctx.scan_header_size + static_cast<int64_t>(words) * d.samples_per_scan * 2;
  if (block > kMaxBlockBytes) return TAVIO_E_FILE;
  if (!ComputeChannelLayout(ctx)) return TAVIO_E_FILE;
  d.clock_period = 1.0 / d.clock_rate;
  d.bytes_per_sample = static_cast<uint16_t>(words * 2);
  c.block_bytes = static_cast<double>(block);
  c.current_channel = 0;
  c.current_index = 0.0;
  c.index_in_scan = 0;
  c.reload = 1;
  c.byte_position = WordPosition(ctx, 0);
  if (ctx.format == kFormatKepr) {
    // The container's creation time (set by its reader) holds at sample 0.
    c.time_base_index = 0.0;
    if (c.sample_count > 0.0) PositionAt(ctx, 0.0);
    return 0;
  }
  c.time_base_index = -1.0;
  c.time_base_seconds = 0.0;
  c.data_start = static_cast<double>(data_start);
  const double span = c.file_size - c.data_start - ctx.data_header_size;
  c.scan_count = span > 0.0 ? std::floor(span / c.block_bytes) : 0.0;
  const double sets = c.scan_count * d.samples_per_scan - c.last_scan_sub_count;
  c.sample_count = sets > 0.0 ? sets : 0.0;
  if (ctx.format == kFormatVelmontEnhanced && ctx.data_header_size >= kStampBytes &&
      c.file_size >= c.data_start + kStampBytes) {
    uint8_t stamp[kStampBytes];
    if (fseeko(c.stream, static_cast<off_t>(data_start), SEEK_SET) == 0 &&
        std::fread(stamp, 1, sizeof stamp, c.stream) == sizeof stamp) {
      c.time_base_seconds = StampSeconds(stamp);
      c.time_base_index = 0.0;
    }
  }
  return PositionAt(ctx, 0.0);
}

/*
 * ReadRecordedFile --
 *   Parses a recorded data file (fixed or keyed header) from its stream.
 * Results:
 *   0, 200 or 212.
 * Side effects:
 *   Fills the read context.
 */
int ReadRecordedFile(DataFileContext& ctx) {
  std::FILE* stream = ctx.cursor.stream;
  const int64_t size = StreamSize(stream);
  if (size < 0) return TAVIO_E_FILE;
  ctx.cursor.file_size = static_cast<double>(size);
  ByteReader rd(stream, size);
  uint16_t count = 0;
  uint32_t samples = 0;
  ctx.format = kFormatNone;
  if (!rd.GetU16(&count) || !rd.GetU32(&samples)) return TAVIO_E_FILE;
  int rc = 0;
  if (count == kKeyedMarkerCount && samples == kKeyedMarkerSamples) {
    rc = ParseKeyedHeader(rd, ctx);
  } else {
    rc = ParseFixedHeader(rd, ctx);
  }
  if (rc != 0) return rc;
  return FinishLayout(ctx, rd.Offset());
}

}  // namespace

/*
 * ApplyReadDefaults --
 *   Gives the read description the values of a fresh unsigned recording of
 *   `channels` channels, for everything a header may leave unset.
 * Results:
 *   None.
 * Side effects:
 *   Resets every channel record and the file-wide fields of the read context.
 */
void ApplyReadDefaults(DataFileContext& ctx, int channels) {
  FileDescription& d = ctx.description;
  d.samples_per_scan = 0;
  d.clock_rate = 0.0;
  d.clock_period = 0.0;
  d.data_type = 0;
  d.bytes_per_sample = 2;
  d.digital = 0;
  ctx.reference_count = 0;
  ctx.data_header_size = 0;
  ctx.scan_header_size = 0;
  ctx.segment_count = 1;
  ctx.segment_channels.fill(0);
  ctx.segment_channels[0] = static_cast<uint16_t>(channels);
  ctx.cursor.last_scan_sub_count = 0;
  ctx.cursor.ref_conv_value = 1.0;
  ctx.cursor.ref_conv_option = 0;
  for (int i = 0; i < kMaxChannels; ++i) {
    ChannelRecord& rec = d.channels[static_cast<std::size_t>(i)];
    rec.offset_count = kDefaultOffset;
    rec.counts_per_volt = kDefaultCountsPerVolt;
    std::snprintf(rec.name, sizeof rec.name, "Ch%d", i + 1);
    CopyText(rec.units, "Volts");
    CopyText(rec.conversion_text, "Polynomial");
    rec.conversion_code = ConversionCodeFromText(rec.conversion_text, nullptr);
    rec.tc_ref_text[0] = '\0';
    rec.reference_index = -1;
    rec.manual_eu_adder = 0.0;
    rec.shunt_cal_factor = 1.0;
    rec.gauge_factor = 1.0;
    rec.polynomial_order = 1;
    rec.coefficients.assign({0.0, 1.0});
    rec.eu_points.assign({-10.0, 10.0});
    rec.voltage_points.assign({-10.0, 10.0});
    rec.is_reference = 0;
    rec.scan_offset = 0;
    rec.stride = 0;
  }
}

}  // namespace orvela::tavio

using namespace orvela::tavio;

/*
 * TAVIO_ReadDataFile --
 *   Opens a recorded data file or container for reading.
 * Results:
 *   0; 200 when the file cannot be opened, is shorter than 4 bytes, is
 *   damaged or describes what the library cannot hold, or the container
 *   cannot be read; 212 for a keyed header naming an unknown format.
 * Side effects:
 *   Closes the file read before and replaces the read description; after a
 *   failure the description is empty (no channels).
 */
extern "C" int TAVIO_ReadDataFile(const char* path) {
  return GuardedCall([&] {
    if (path == nullptr || path[0] == '\0') return static_cast<int>(TAVIO_E_FILE);
    std::FILE* stream = std::fopen(path, "rb");
    if (stream == nullptr) return static_cast<int>(TAVIO_E_FILE);
    const int buffer = g_stream_buffer_in_use ^ 1;
    std::setvbuf(stream, g_stream_buffers[buffer], _IOFBF, kStreamBufferBytes);
    char tag[4];
    if (std::fread(tag, 1, sizeof tag, stream) != sizeof tag) {
      std::fclose(stream);
      return static_cast<int>(TAVIO_E_FILE);
    }
    DataFileContext& ctx = ReadContext();
    ReleaseReadFile(ctx);
    g_read_open = false;
    int rc = 0;
    if (IsContainerTag(tag)) {
      std::fclose(stream);
      rc = OpenContainer(path, ctx);
      if (rc == 0) {
        CopyText(ctx.path, path);
        g_read_open = true;
        rc = FinishLayout(ctx, 0);
      }
    } else {
      CopyText(ctx.path, path);
      g_read_open = true;
      ctx.cursor.stream = stream;
      g_stream_buffer_in_use = buffer;
      rc = ReadRecordedFile(ctx);
    }
    if (rc != 0) {
      ForgetDescription(ctx);
      return rc;
    }
    ResolveReferences(ctx);
    return 0;
  });
}

extern "C" int TAVIO_CloseReadFile(void) {
  return GuardedCall([&] {
    if (!g_read_open) return static_cast<int>(TAVIO_E_NOT_OPEN);
    DataFileContext& ctx = ReadContext();
    const int rc = ReleaseReadFile(ctx);
    g_read_open = false;
    return rc;
  });
}

extern "C" int TAVIO_ExistFile(const char* path) {
  if (path == nullptr || path[0] == '\0') return 0;
  std::FILE* stream = std::fopen(path, "rb");
  if (stream == nullptr) return 0;
  std::fclose(stream);
  return 1;
}
