// Parser of the fixed header of a recorded data file: the first part, the
// 1000-byte block, the four text lists and the per-channel numeric blocks.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "conversion_type.h"
#include "read_internal.h"

namespace orvela::tavio {

namespace {

constexpr uint8_t kVerticalTab = 11;
constexpr uint16_t kDigitalStyleBit = 0x80;
constexpr int64_t kBlockStart = 14;      // the 1000-byte block begins at offset 14
constexpr int64_t kListStart = 1014;     // separator byte before list 1
constexpr int kPointsPerChannel = 10;    // entries of each point-major block
constexpr uint16_t kMaxStoredOrder = 9;  // orders above have no coefficients in the file
constexpr int kNumericBytesPerChannel = 266;

/*
 * ReadList --
 *   Reads one TAB/VT list of `count` items.  A list that ends (VT) early
 *   gives empty items for the remaining channels; items beyond `count` are
 *   skipped up to the list's VT.  Items are cut to 255 characters.
 * Results:
 *   false when the file ends before the list's VT.
 * Side effects:
 *   Consumes the list.
 */
bool ReadList(ByteReader& rd, int count, std::vector<std::string>* items) {
  items->assign(static_cast<std::size_t>(count), std::string());
  uint8_t separator = 0;
  bool ended = false;
  for (int i = 0; i < count && !ended; ++i) {
    if (!rd.GetListItem(&(*items)[static_cast<std::size_t>(i)], kTextRoom - 1, &separator)) return false;
    ended = separator == kVerticalTab;
  }
  std::string extra;
  while (!ended) {
    if (!rd.GetListItem(&extra, 0, &separator)) return false;
    ended = separator == kVerticalTab;
  }
  return true;
}

void StoreText(char (&field)[kTextRoom], const std::string& text) {
  CopyText(field, text.c_str());
}

// An offset count is stored as a double; a value outside 0..65535 (or NaN)
// from a damaged file is clamped instead of converted out of range.
uint16_t OffsetFromDouble(double value) {
  if (!(value > 0.0)) return 0;
  if (value >= 65535.0) return 65535;
  return static_cast<uint16_t>(value);
}

// Reads a point-major block of 10 values per channel into one array of each
// channel record.
bool ReadPointBlock(ByteReader& rd, DataFileContext& ctx, int channels,
                    std::vector<double> ChannelRecord::*array) {
  for (int i = 0; i < channels; ++i) (ctx.description.channels[static_cast<std::size_t>(i)].*array).assign(kPointsPerChannel, 0.0);
  for (int m = 0; m < kPointsPerChannel; ++m) {
    for (int i = 0; i < channels; ++i) {
      double value = 0.0;
      if (!rd.GetF64(&value)) return false;
      (ctx.description.channels[static_cast<std::size_t>(i)].*array)[static_cast<std::size_t>(m)] = value;
    }
  }
  return true;
}

/*
 * ReadBlock1000 --
 *   Reads the 1000-byte block: layout flags, segment table, reference
 *   conversion and lastScanSubCount, then moves to the lists.
 * Results:
 *   false when the file is too short.
 * Side effects:
 *   Sets the read format, header sizes, segment table and cursor fields.
 */
bool ReadBlock1000(ByteReader& rd, DataFileContext& ctx) {
  uint8_t enhanced = 0;
  if (!rd.GetU8(&enhanced)) return false;
  if (enhanced != 0) {
    ctx.format = kFormatVelmontEnhanced;
    ctx.data_header_size = kStampBytes;
    ctx.scan_header_size = 0;
    uint8_t segments = 0;
    if (!rd.GetU8(&segments)) return false;
    ctx.segment_count = segments;
    ctx.segment_channels.fill(0);
    for (int j = 0; j < segments; ++j) {
      if (!rd.GetU16(&ctx.segment_channels[static_cast<std::size_t>(j)])) return false;
    }
  } else {
    ctx.format = kFormatVelmont;
    ctx.data_header_size = 0;
    ctx.scan_header_size = kStampBytes;
    ctx.segment_count = 1;
    ctx.segment_channels.fill(0);
    ctx.segment_channels[0] = static_cast<uint16_t>(WordsPerSet(ctx));
  }
  uint8_t ref_conv = 0;
  if (!rd.GetU8(&ref_conv)) return false;
  ctx.cursor.ref_conv_value = 1.0;
  ctx.cursor.ref_conv_option = 0;
  if (ref_conv == 1) {
    uint8_t option = 0;
    if (!rd.GetF64(&ctx.cursor.ref_conv_value) || !rd.GetU8(&option)) return false;
    ctx.cursor.ref_conv_option = option;
  }
  if (!rd.GetU32(&ctx.cursor.last_scan_sub_count)) return false;
  // The rest of the block is padding; the separator byte follows it.
  return rd.Seek(kListStart) && rd.Skip(1);
}

/*
 * ReadTextLists --
 *   Reads names, units, conversion types and the optional reference list.
 * Results:
 *   false when a list is truncated.
 * Side effects:
 *   Fills the texts, conversion codes, reference marks and reference list.
 */
bool ReadTextLists(ByteReader& rd, DataFileContext& ctx, int n) {
  std::vector<std::string> items;
  if (!ReadList(rd, n, &items)) return false;
  for (int i = 0; i < n; ++i) StoreText(ctx.description.channels[static_cast<std::size_t>(i)].name, items[static_cast<std::size_t>(i)]);
  if (!rd.Skip(1) || !ReadList(rd, n, &items)) return false;
  for (int i = 0; i < n; ++i) StoreText(ctx.description.channels[static_cast<std::size_t>(i)].units, items[static_cast<std::size_t>(i)]);
  if (!rd.Skip(1) || !ReadList(rd, n, &items)) return false;
  ctx.reference_count = 0;
  for (int i = 0; i < n; ++i) {
    ChannelRecord& rec = ctx.description.channels[static_cast<std::size_t>(i)];
    const std::string& text = items[static_cast<std::size_t>(i)];
    StoreText(rec.conversion_text, text);
    rec.conversion_code = ConversionCodeFromText(rec.conversion_text, nullptr);
    rec.is_reference = (text == "TC_Reference" || text == "RTD_Reference") ? 1 : 0;
    if (rec.is_reference) ctx.references[static_cast<std::size_t>(ctx.reference_count++)] = i;
  }
  if (!rd.LooksAt("TC_Ref", 6)) return true;
  if (!rd.Skip(7) || !ReadList(rd, n, &items)) return false;
  for (int i = 0; i < n; ++i) {
    ChannelRecord& rec = ctx.description.channels[static_cast<std::size_t>(i)];
    const std::string& wanted = items[static_cast<std::size_t>(i)];
    rec.reference_index = -1;
    rec.tc_ref_text[0] = '\0';
    if (wanted.empty() || rec.is_reference) continue;
    for (int r = 0; r < ctx.reference_count; ++r) {
      const int index = ctx.references[static_cast<std::size_t>(r)];
      if (wanted == ctx.description.channels[static_cast<std::size_t>(index)].name) {
        rec.reference_index = index;
        StoreText(rec.tc_ref_text, wanted);
        break;
      }
    }
  }
  return true;
}

/*
 * ReadNumericBlocks --
 *   Reads counts per volt, offsets, the three point-major blocks, orders and
 *   manual adders.
 * Results:
 *   false when the file ends inside the blocks.
 * Side effects:
 *   Fills the channel records; orders above 9 are cut to 9, the last order
 *   whose coefficients the file holds.
 */
bool ReadNumericBlocks(ByteReader& rd, DataFileContext& ctx, int n) {
  if (rd.Remaining() < static_cast<int64_t>(kNumericBytesPerChannel) * n) return false;
  auto& channels = ctx.description.channels;
  for (int i = 0; i < n; ++i) {
    if (!rd.GetF64(&channels[static_cast<std::size_t>(i)].counts_per_volt)) return false;
  }
  for (int i = 0; i < n; ++i) {
    double offset = 0.0;
    if (!rd.GetF64(&offset)) return false;
    channels[static_cast<std::size_t>(i)].offset_count = OffsetFromDouble(offset);
  }
  if (!ReadPointBlock(rd, ctx, n, &ChannelRecord::voltage_points) ||
      !ReadPointBlock(rd, ctx, n, &ChannelRecord::eu_points) ||
      !ReadPointBlock(rd, ctx, n, &ChannelRecord::coefficients))
    return false;
  for (int i = 0; i < n; ++i) {
    uint16_t order = 0;
    if (!rd.GetU16(&order)) return false;
    channels[static_cast<std::size_t>(i)].polynomial_order = order > kMaxStoredOrder ? kMaxStoredOrder : order;
  }
  for (int i = 0; i < n; ++i) {
    if (!rd.GetF64(&channels[static_cast<std::size_t>(i)].manual_eu_adder)) return false;
  }
  return true;
}

}  // namespace

/*
 * ParseFixedHeader --
 *   Parses a fixed header from offset 0.
 * Results:
 *   0, or 200 for a truncated header, a channel count of 0 or above 128, no
 *   samples per scan, or a digital file with fewer than 16 channels.
 * Side effects:
 *   Fills the read context's description; the reader is left at the start
 *   of the data.
 */
int ParseFixedHeader(ByteReader& rd, DataFileContext& ctx) {
  uint16_t channels = 0;
  uint32_t samples = 0;
  uint16_t style = 0;
  uint16_t cal_points = 0;
  uint32_t clock = 0;
  if (!rd.Seek(0) || !rd.GetU16(&channels) || !rd.GetU32(&samples) || !rd.GetU16(&style) ||
      !rd.GetU16(&cal_points) || !rd.GetU32(&clock))
    return TAVIO_E_FILE;
  if (channels == 0 || channels > kMaxChannels || samples == 0) return TAVIO_E_FILE;
  ApplyReadDefaults(ctx, channels);
  FileDescription& d = ctx.description;
  d.channel_count = channels;
  d.samples_per_scan = samples;
  d.clock_rate = clock;
  if ((style & kDigitalStyleBit) != 0) {
    d.digital = 1;
    d.data_type = static_cast<uint16_t>(style & ~kDigitalStyleBit);
    if (channels < 16) return TAVIO_E_FILE;
  } else if (style == 4) {
    d.data_type = 0;
  } else if (style == 5) {
    d.data_type = 1;
  }
  if (!rd.Seek(kBlockStart) || !ReadBlock1000(rd, ctx)) return TAVIO_E_FILE;
  if (!ReadTextLists(rd, ctx, channels) || !ReadNumericBlocks(rd, ctx, channels)) return TAVIO_E_FILE;
  return 0;
}

}  // namespace orvela::tavio
