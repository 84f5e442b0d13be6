// The library's global state: the read and write contexts with their channel
// records, and the flags of the open files.  Shared by every source file of
// the library; nothing here is exported.
#ifndef TAVIO_STATE_H
#define TAVIO_STATE_H

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "tavio_codes.h"

namespace orvela::tavio {

inline constexpr int kMaxChannels = 128;
inline constexpr int kTextRoom = 256;  // 255 characters and the NUL
inline constexpr int kMaxSegments = 256;
inline constexpr std::size_t kWorkBufferBytes = 4096100;
inline constexpr int kStampBytes = 24;

// Write format codes; the read side adds 3 and 4 (keyed headers) and uses 5.
inline constexpr int kFormatNone = 0;
inline constexpr int kFormatVelmont = 1;
inline constexpr int kFormatVelmontEnhanced = 2;
inline constexpr int kFormatVelmontKeyed = 3;
inline constexpr int kFormatVelmontEnhancedKeyed = 4;
inline constexpr int kFormatKepr = 5;
inline constexpr int kFormatDiz = 6;
inline constexpr int kFormatDizNoHeader = 7;

// One channel; channel n (from 1) is record n - 1.  The three arrays hold
// polynomial order + 1 values once the channel is configured or read; a
// record never configured since the library was loaded has empty arrays.
struct ChannelRecord {
  uint16_t offset_count = 0;
  double counts_per_volt = 0.0;
  char name[kTextRoom] = {};
  char units[kTextRoom] = {};
  char conversion_text[kTextRoom] = {};
  char tc_ref_text[kTextRoom] = {};
  int reference_index = -1;  // 0-based channel index, -1 = none
  int conversion_code = 0;
  double manual_eu_adder = 0.0;
  double shunt_cal_factor = 1.0;
  double gauge_factor = 1.0;
  uint16_t polynomial_order = 0;
  std::vector<double> coefficients;
  std::vector<double> eu_points;
  std::vector<double> voltage_points;
  int is_reference = 0;
  int scan_offset = 0;  // byte offset of the channel's word within a scan
  int stride = 0;       // bytes between the channel's successive words
};

struct FileDescription {
  uint16_t channel_count = 0;
  uint32_t samples_per_scan = 0;
  double clock_rate = 0.0;    // Hz
  double clock_period = 0.0;  // seconds, 1 / clock rate (reader)
  uint16_t data_type = 0;     // as read: 0 unsigned, 1 signed
  uint16_t bytes_per_sample = 2;
  uint16_t input_data_type = 0;  // write side: 0, 1, 128, 129
  uint16_t xfer_style = 4;       // recorded transfer style, 4 or 5
  uint16_t recorded_data_type = 0;
  int digital = 0;  // read side: sixteen 1-bit channels per word
  std::array<ChannelRecord, kMaxChannels> channels;
};

// Where the current recording goes (write side only).
struct WriteOutput {
  std::FILE* stream = nullptr;  // recorded data file, or the text file
  int kepr_handle = -1;         // container file handle, -1 = none
  int column = 0;               // text formats: channel of the next value
  // Layout fixed when the header was written, so that setters called later
  // cannot change the geometry of the file being written.
  uint32_t set_bytes = 0;
  uint32_t samples_per_scan = 0;
  bool scan_stamps = false;  // "Velmont": a stamp before every scan
  bool swap_bytes = false;   // big-endian client words
  uint16_t pad_word = 0;     // fills an incomplete last scan
};

// Position in the file being read and its time base (read side only).
struct ReadCursor {
  std::FILE* stream = nullptr;
  double file_size = 0.0;
  double data_start = 0.0;  // file offset right after the header
  double block_bytes = 0.0; // scan header + one scan of samples
  double scan_count = 0.0;
  double sample_count = 0.0;
  uint32_t last_scan_sub_count = 0;
  double ref_conv_value = 1.0;
  int ref_conv_option = 0;
  double current_index = 0.0;
  int current_channel = 0;  // 0-based
  int index_in_scan = 0;
  int byte_position = 0;    // of the current channel's word in the buffer
  double buffer_first = 0.0;
  double buffer_last = -1.0;
  int reload = 1;
  double time_base_seconds = 0.0;
  double time_base_index = -1.0;  // -1 = not set
  int kepr_handle = -1;
  void* kepr_parse = nullptr;  // the container's parse result (reader owns it)
};

struct DataFileContext {
  char path[kTextRoom] = {};
  int format = kFormatNone;
  int use_saved_stamp = 0;
  std::array<uint8_t, kStampBytes> saved_stamp = {};
  std::array<uint8_t, kWorkBufferBytes> buffer = {};
  FileDescription description;
  std::array<int, kMaxChannels> references = {};  // 0-based channel indices
  int reference_count = 0;
  int data_header_size = 0;
  int scan_header_size = 0;
  uint8_t segment_count = 0;
  std::array<uint16_t, kMaxSegments> segment_channels = {};
  // Write progress.
  uint32_t progress_samples_per_scan = 0;
  uint32_t sets_in_scan = 0;
  double total_sets = 0.0;
  long last_scan_sub_count_offset = 0;
  WriteOutput output;
  ReadCursor cursor;
};

// The two contexts and the open flags, for the life of the loaded library.
DataFileContext& ReadContext();
DataFileContext& WriteContext();
extern bool g_write_open;
extern bool g_read_open;

// True when 1 <= ch <= the context's channel count (and the table holds it).
inline bool ValidChannel(const DataFileContext& ctx, int ch) {
  return ch >= 1 && ch <= ctx.description.channel_count && ch <= kMaxChannels;
}

// The channel record of channel ch (from 1); call ValidChannel first.
inline ChannelRecord& Channel(DataFileContext& ctx, int ch) {
  return ctx.description.channels[static_cast<std::size_t>(ch - 1)];
}

// Copies text into a 256-character field, cutting what does not fit.
void CopyText(char (&field)[kTextRoom], const char* text);

// The time in seconds of the read cursor's current sample.
inline double CurrentSampleSeconds(const DataFileContext& ctx) {
  return (ctx.cursor.current_index - ctx.cursor.time_base_index) * ctx.description.clock_period +
         ctx.cursor.time_base_seconds;
}

// Runs the body of an exported function: no exception leaves the library
// (the only one possible is running out of memory for a channel's arrays).
template <typename Body>
int GuardedCall(Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return TAVIO_E_FILE;
  }
}

}  // namespace orvela::tavio

#endif
