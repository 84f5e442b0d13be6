// Parser of the keyed header: records of key, payload length and payload
// after the 6-byte marker.  Every record is checked against the bytes left in
// the file, and everything the header does not set starts from the defaults
// of a fresh unsigned recording, never from the previously read file.
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <strings.h>

#include "read_internal.h"

namespace orvela::tavio {

namespace {

constexpr std::size_t kPayloadRoom = 2 + kTextRoom;  // channel number and a text
constexpr uint32_t kSignedDefaultOffset = 0;
constexpr double kSignedDefaultCountsPerVolt = 3200.0;

// What the records said, applied once the header has ended.
struct KeyedValues {
  int format = kFormatNone;
  std::optional<uint16_t> channel_count;
  std::optional<uint32_t> samples_per_scan;
  std::optional<uint16_t> data_type;
  std::optional<uint32_t> clock_rate;
  std::optional<uint32_t> data_header_size;
  std::optional<uint32_t> scan_header_size;
  std::optional<uint8_t> segment_count;
  std::array<std::optional<uint16_t>, kMaxSegments> segment_channels;
  std::array<std::optional<std::string>, kMaxChannels> names;
  std::array<std::optional<std::string>, kMaxChannels> units;
  std::array<std::optional<double>, kMaxChannels> counts_per_volt;
  std::array<std::optional<uint16_t>, kMaxChannels> offsets;
};

// Little-endian fields of a payload that is already in memory and whose
// length was checked by the caller.
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
double F64(const uint8_t* p) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | p[i];
  double value = 0.0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// The 0-based channel index a per-channel record names, or -1 when it names
// a channel the table cannot hold (such a record is ignored).
int ChannelIndex(const uint8_t* payload) {
  const int ch = U16(payload);
  return (ch >= 1 && ch <= kMaxChannels) ? ch - 1 : -1;
}

enum class Record { kKeep, kEnd, kDamaged, kUnknownFormat };

/*
 * ApplyRecord --
 *   Takes the fields of one record from the start of its payload.
 * Results:
 *   kKeep to read on, kEnd after "End", kDamaged when the payload is shorter
 *   than the key's fields, kUnknownFormat for a "Format" naming neither
 *   format.
 * Side effects:
 *   Stores the fields in *v.
 */
Record ApplyRecord(const std::string& key, const uint8_t* p, uint32_t length, std::size_t held, KeyedValues* v) {
  const char* k = key.c_str();
  auto need = [&](uint32_t bytes) { return length >= bytes; };
  if (strcasecmp(k, "Format") == 0) {
    const std::string text(reinterpret_cast<const char*>(p), held);
    if (length == held && strcasecmp(text.c_str(), "Velmont") == 0 && text.size() == 7) {
      v->format = kFormatVelmontKeyed;
    } else if (length == held && strcasecmp(text.c_str(), "VelmontEnhanced") == 0 && text.size() == 15) {
      v->format = kFormatVelmontEnhancedKeyed;
    } else {
      return Record::kUnknownFormat;
    }
  } else if (strcasecmp(k, "ChannelCount") == 0) {
    if (!need(2)) return Record::kDamaged;
    v->channel_count = U16(p);
  } else if (strcasecmp(k, "ScanNumSamples") == 0) {
    if (!need(4)) return Record::kDamaged;
    v->samples_per_scan = U32(p);
  } else if (strcasecmp(k, "DataType") == 0) {
    if (!need(2)) return Record::kDamaged;
    v->data_type = U16(p) == 0 ? 0 : 1;
  } else if (strcasecmp(k, "ClockRate") == 0) {
    if (!need(4)) return Record::kDamaged;
    v->clock_rate = U32(p);
  } else if (strcasecmp(k, "DataHeaderSize") == 0) {
    if (!need(4)) return Record::kDamaged;
    v->data_header_size = U32(p);
  } else if (strcasecmp(k, "ScanHeaderSize") == 0) {
    if (!need(4)) return Record::kDamaged;
    v->scan_header_size = U32(p);
  } else if (strcasecmp(k, "NumScanSegments") == 0) {
    if (!need(1)) return Record::kDamaged;
    v->segment_count = p[0];
  } else if (strcasecmp(k, "NumScanSegmentChannels") == 0) {
    if (!need(3)) return Record::kDamaged;
    v->segment_channels[p[0]] = U16(p + 1);
  } else if (strcasecmp(k, "ChannelName") == 0 || strcasecmp(k, "ChannelUnits") == 0) {
    if (!need(2)) return Record::kDamaged;
    const int index = ChannelIndex(p);
    if (index < 0) return Record::kKeep;
    // Texts longer than a channel field holds are cut to 255 characters.
    std::size_t n = held - 2;
    if (n > kTextRoom - 1) n = kTextRoom - 1;
    std::string text(reinterpret_cast<const char*>(p + 2), n);
    text = text.substr(0, strnlen(text.c_str(), n));
    auto& slot = (k[7] == 'N' || k[7] == 'n') ? v->names : v->units;
    slot[static_cast<std::size_t>(index)] = text;
  } else if (strcasecmp(k, "CountsPerVolt") == 0) {
    if (!need(10)) return Record::kDamaged;
    const int index = ChannelIndex(p);
    if (index >= 0) v->counts_per_volt[static_cast<std::size_t>(index)] = F64(p + 2);
  } else if (strcasecmp(k, "OffsetCount") == 0) {
    if (!need(4)) return Record::kDamaged;
    const int index = ChannelIndex(p);
    if (index >= 0) v->offsets[static_cast<std::size_t>(index)] = U16(p + 2);
  } else if (strcasecmp(k, "End") == 0) {
    return Record::kEnd;
  }
  return Record::kKeep;
}

/*
 * ApplyValues --
 *   Builds the read description from the defaults and the records.
 * Results:
 *   0, or 200 when the header gives no usable channel count or scan size.
 * Side effects:
 *   Replaces the description, header sizes and segment table of ctx.
 */
int ApplyValues(const KeyedValues& v, DataFileContext& ctx) {
  const int n = v.channel_count.value_or(0);
  const uint32_t s = v.samples_per_scan.value_or(0);
  if (n < 1 || n > kMaxChannels || s == 0) return TAVIO_E_FILE;
  ApplyReadDefaults(ctx, n);
  FileDescription& d = ctx.description;
  d.channel_count = static_cast<uint16_t>(n);
  d.samples_per_scan = s;
  d.data_type = v.data_type.value_or(0);
  d.clock_rate = v.clock_rate.value_or(0);
  ctx.format = v.format;
  // Without size keys a file keeps the layout its format name stands for.
  const bool enhanced = v.format == kFormatVelmontEnhancedKeyed;
  const int64_t data_header = v.data_header_size.value_or(enhanced ? kStampBytes : 0);
  const int64_t scan_header = v.scan_header_size.value_or(enhanced ? 0 : kStampBytes);
  if (data_header > INT32_MAX || scan_header > kMaxBlockBytes) return TAVIO_E_FILE;
  ctx.data_header_size = static_cast<int>(data_header);
  ctx.scan_header_size = static_cast<int>(scan_header);
  if (v.segment_count.has_value()) {
    ctx.segment_count = *v.segment_count;
    ctx.segment_channels.fill(0);
    for (int j = 0; j < kMaxSegments; ++j)
      ctx.segment_channels[static_cast<std::size_t>(j)] = v.segment_channels[static_cast<std::size_t>(j)].value_or(0);
  }
  for (int i = 0; i < n; ++i) {
    ChannelRecord& rec = d.channels[static_cast<std::size_t>(i)];
    if (d.data_type != 0) {
      rec.offset_count = kSignedDefaultOffset;
      rec.counts_per_volt = kSignedDefaultCountsPerVolt;
    }
    const auto index = static_cast<std::size_t>(i);
    if (v.names[index]) CopyText(rec.name, v.names[index]->c_str());
    if (v.units[index]) CopyText(rec.units, v.units[index]->c_str());
    if (v.counts_per_volt[index]) rec.counts_per_volt = *v.counts_per_volt[index];
    if (v.offsets[index]) rec.offset_count = *v.offsets[index];
  }
  return 0;
}

}  // namespace

/*
 * ParseKeyedHeader --
 *   Reads the records of a keyed header (the reader stands after the marker).
 * Results:
 *   0; 212 when "Format" is missing or names neither format; 200 for a key
 *   or payload that runs past the file, a payload too short for its key, or
 *   no usable channel count or scan size.
 * Side effects:
 *   Fills the read context; the reader is left at the data header.
 */
int ParseKeyedHeader(ByteReader& rd, DataFileContext& ctx) {
  KeyedValues values;
  std::array<uint8_t, kPayloadRoom> payload{};
  for (;;) {
    uint8_t key_length = 0;
    if (!rd.GetU8(&key_length)) return TAVIO_E_FILE;
    if (key_length == 0) break;
    char key_bytes[256];
    uint32_t length = 0;
    if (!rd.GetBytes(key_bytes, key_length) || !rd.GetU32(&length)) return TAVIO_E_FILE;
    if (length > rd.Remaining()) return TAVIO_E_FILE;  // payload runs past the file
    const std::string key(key_bytes, strnlen(key_bytes, key_length));
    const std::size_t held = length < payload.size() ? length : payload.size();
    if (!rd.GetBytes(payload.data(), static_cast<int64_t>(held)) ||
        !rd.Skip(static_cast<int64_t>(length - held)))
      return TAVIO_E_FILE;
    const Record result = ApplyRecord(key, payload.data(), length, held, &values);
    if (result == Record::kDamaged) return TAVIO_E_FILE;
    if (result == Record::kUnknownFormat) return TAVIO_E_FORMAT_NAME;
    if (result == Record::kEnd) break;
  }
  if (values.format == kFormatNone) return TAVIO_E_FORMAT_NAME;
  return ApplyValues(values, ctx);
}

}  // namespace orvela::tavio
