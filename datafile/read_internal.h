// Internal interface between the reader's files: header parsers, container
// reading, sample positioning, the time base and the EU rules.  Nothing here
// is exported.
#ifndef TAVIO_READ_INTERNAL_H
#define TAVIO_READ_INTERNAL_H

#include <cstdint>

#include "byte_reader.h"
#include "tavio_state.h"

namespace orvela::tavio {

// Largest block (scan header and one scan) the reader holds: the work buffer.
inline constexpr int64_t kMaxBlockBytes = static_cast<int64_t>(kWorkBufferBytes);

// Marker of a keyed header: the first u16 and the next u32 of the file.
inline constexpr uint16_t kKeyedMarkerCount = 0x7FFF;
inline constexpr uint32_t kKeyedMarkerSamples = 0x7FFFFFFF;

// Parses the fixed header at the reader's position (offset 0) into ctx: the
// description, channel records, segment table and lastScanSubCount.
// Returns 0, or 200 when the header is truncated or describes what the
// context cannot hold (channel count 0 or over 128, S = 0).
int ParseFixedHeader(ByteReader& rd, DataFileContext& ctx);

// Parses the keyed header records that follow the 6-byte marker.  Every field
// the header does not set takes the defaults of a fresh unsigned recording.
// Returns 0; 212 when "Format" is missing or names neither format; 200 for a
// truncated record or values the context cannot hold.
int ParseKeyedHeader(ByteReader& rd, DataFileContext& ctx);

// Opens and parses a KEPR container into ctx (read format 5), fitting the
// polynomial of every "polynomial" channel from its calibration data set.
// Returns 0 or 200.
int OpenContainer(const char* path, DataFileContext& ctx);

// Closes the container handle of ctx and releases its parse result.
// Returns 0, or 219 when the container library cannot close it.
int CloseContainer(DataFileContext& ctx);

// Gives every channel its offset within a scan and its stride from the
// segment table; words of digital files are shared by 16 channels.  Returns
// false when the table cannot describe the file's words.
bool ComputeChannelLayout(DataFileContext& ctx);

// Resets every channel record and the description fields a header may leave
// unset to the defaults of a fresh unsigned recording of `channels` channels.
void ApplyReadDefaults(DataFileContext& ctx, int channels);

// Words of 16 bits in one sample set of the read file.
inline int WordsPerSet(const DataFileContext& ctx) {
  const int n = ctx.description.channel_count;
  return ctx.description.digital ? n / 16 : n;
}

// Loads the block (or container sample set) holding sample k and moves the
// cursor there.  Returns 0, 500 or 219 as TAVIO_SetSample does.
int PositionAt(DataFileContext& ctx, double k);

// Byte position in the work buffer of channel `index` (0-based) at the
// cursor's current sample.
int WordPosition(const DataFileContext& ctx, int index);

// The raw word of channel `index` (0-based) at the cursor's sample, as the
// file's data type reads it (signed or unsigned); digital channels give their
// bit.  Never reads outside the work buffer.
double ChannelCount(const DataFileContext& ctx, int index);

// EU of channel `index` (0-based) of the read file from volts, by its
// conversion type; false when the type has no rule (output not written).
bool EuFromVolts(DataFileContext& ctx, int index, double volts, double* eu);

}  // namespace orvela::tavio

#endif
