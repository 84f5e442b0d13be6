// The fixed header: the 14-byte first part, the 1000-byte block with the
// segment table and lastScanSubCount, the four TAB/VT text lists and the
// seven per-channel numeric blocks, all little-endian.
#include "fixed_header.h"

#include <cmath>
#include <cstring>

#include "references.h"
#include "work_buffer.h"

namespace orvela::tavio {

namespace {

constexpr uint8_t kTab = 9;
constexpr uint8_t kVt = 11;
constexpr std::size_t kBlockStart = 14;  // the 1000-byte block starts at `enhanced`
constexpr std::size_t kBlockBytes = 1000;
constexpr int kStoredPoints = 10;  // point-major blocks hold 10 values per channel
constexpr int kMaxStoredOrder = 9;

bool IsBridgeText(const ChannelRecord& rec) { return std::strcmp(rec.conversion_text, "bridge") == 0; }

// Value m of one of the channel's arrays as the numeric blocks store it:
// 0.0 beyond the (capped) order or the values the channel holds.
double StoredValue(const ChannelRecord& rec, const std::vector<double>& values, int m) {
  const int order = rec.polynomial_order > kMaxStoredOrder ? kMaxStoredOrder : rec.polynomial_order;
  if (m > order || static_cast<std::size_t>(m) >= values.size()) return 0.0;
  return values[static_cast<std::size_t>(m)];
}

void PutTextList(BufferWriter& w, const DataFileContext& ctx, int count, bool leading_tab,
                 const char (ChannelRecord::*field)[kTextRoom]) {
  for (int i = 0; i < count; ++i) {
    if (i > 0 || leading_tab) w.PutU8(kTab);
    w.PutText(ctx.description.channels[static_cast<std::size_t>(i)].*field);
  }
  w.PutU8(kVt);
}

}  // namespace

uint32_t RecordedClockRate(double hz) {
  if (!(hz > 0.0)) return 0;
  const double up = std::ceil(hz);
  return up >= 4294967295.0 ? 4294967295u : static_cast<uint32_t>(up);
}

bool AssembleFixedHeader(DataFileContext& ctx, bool enhanced, FixedHeaderLayout* layout) {
  ResolveReferences(ctx);
  const FileDescription& d = ctx.description;
  const int n = d.channel_count < kMaxChannels ? d.channel_count : kMaxChannels;
  const auto& ch = d.channels;
  BufferWriter w(ctx.buffer.data(), ctx.buffer.size());

  w.PutU16(static_cast<uint16_t>(n));
  w.PutU32(d.samples_per_scan);
  w.PutU16(d.xfer_style);
  w.PutU16(0);  // calibration point count: always 0
  w.PutU32(RecordedClockRate(d.clock_rate));

  w.PutU8(enhanced ? 1 : 0);
  if (enhanced) {
    w.PutU8(ctx.segment_count);
    for (int s = 0; s < ctx.segment_count; ++s) w.PutU16(ctx.segment_channels[static_cast<std::size_t>(s)]);
  }
  w.PutU8(1);  // reference conversion: value and option follow
  w.PutDouble(1.0);
  w.PutU8(0);
  const std::size_t sub_count_offset = w.Offset();
  w.PutU32(0);  // lastScanSubCount, patched when the file is closed
  w.PutRepeated(0, kBlockStart + kBlockBytes - w.Offset());

  w.PutU8(0);  // separator byte 1014
  PutTextList(w, ctx, n, false, &ChannelRecord::name);
  PutTextList(w, ctx, n, true, &ChannelRecord::units);
  for (int i = 0; i < n; ++i) {
    w.PutU8(kTab);
    w.PutText(IsBridgeText(ch[static_cast<std::size_t>(i)]) ? "volts" : ch[static_cast<std::size_t>(i)].conversion_text);
  }
  w.PutU8(kVt);
  w.PutText("TC_Ref");
  for (int i = 0; i < n; ++i) {
    w.PutU8(kTab);
    const int ref = ch[static_cast<std::size_t>(i)].reference_index;
    if (ref >= 0 && ref < n) w.PutText(ch[static_cast<std::size_t>(ref)].name);
  }
  w.PutU8(kVt);

  for (int i = 0; i < n; ++i) {
    const ChannelRecord& rec = ch[static_cast<std::size_t>(i)];
    // A bridge is recorded as a volts channel whose counts per volt fold in
    // the bridge's gauge and shunt factors.
    w.PutDouble(IsBridgeText(rec) ? rec.gauge_factor * rec.counts_per_volt / (4.0 * rec.shunt_cal_factor)
                                  : rec.counts_per_volt);
  }
  for (int i = 0; i < n; ++i) w.PutDouble(static_cast<double>(ch[static_cast<std::size_t>(i)].offset_count));
  for (auto array : {&ChannelRecord::voltage_points, &ChannelRecord::eu_points, &ChannelRecord::coefficients}) {
    for (int m = 0; m < kStoredPoints; ++m) {
      for (int i = 0; i < n; ++i) {
        const ChannelRecord& rec = ch[static_cast<std::size_t>(i)];
        w.PutDouble(StoredValue(rec, rec.*array, m));
      }
    }
  }
  for (int i = 0; i < n; ++i) {
    const uint16_t order = ch[static_cast<std::size_t>(i)].polynomial_order;
    w.PutU16(order > kMaxStoredOrder ? kMaxStoredOrder : order);
  }
  for (int i = 0; i < n; ++i) w.PutDouble(ch[static_cast<std::size_t>(i)].manual_eu_adder);

  if (!w.Ok()) return false;
  layout->length = w.Offset();
  layout->sub_count_offset = sub_count_offset;
  return true;
}

}  // namespace orvela::tavio
