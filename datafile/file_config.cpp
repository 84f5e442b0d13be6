// File-wide setters of the file being written: clock, scans, segments, data
// type and format.
#include "tavio.h"
#include "tavio_state.h"

namespace orvela::tavio {

namespace {

bool KnownDataType(int type) { return type == 0 || type == 1 || type == 128 || type == 129; }

// Transfer style the fixed header records: 4 unsigned, 5 signed.
uint16_t TransferStyle(int type) { return (type & 1) != 0 ? 5 : 4; }

bool RecordedDataFormat(int format) { return format == kFormatVelmont || format == kFormatVelmontEnhanced; }

}  // namespace

}  // namespace orvela::tavio

using namespace orvela::tavio;

extern "C" int TAVIO_SetClockRate(unsigned int hz) {
  WriteContext().description.clock_rate = static_cast<double>(hz);
  return 0;
}

extern "C" int TAVIO_SetClockRateEx(double hz) {
  WriteContext().description.clock_rate = hz;
  return 0;
}

extern "C" int TAVIO_SetNumScanSamples(int samples) {
  DataFileContext& ctx = WriteContext();
  ctx.description.samples_per_scan = static_cast<uint32_t>(samples);
  ctx.progress_samples_per_scan = static_cast<uint32_t>(samples);
  return 0;
}

extern "C" int TAVIO_SetDataHeaderSize(int bytes) {
  WriteContext().data_header_size = bytes;
  return 0;
}

extern "C" int TAVIO_SetScanHeaderSize(int bytes) {
  WriteContext().scan_header_size = bytes;
  return 0;
}

extern "C" int TAVIO_SetNumScanSegments(int count) {
  WriteContext().segment_count = static_cast<uint8_t>(count & 0xFF);
  return 0;
}

extern "C" int TAVIO_SetNumChannelsInScanSegment(int segment, int channels) {
  DataFileContext& ctx = WriteContext();
  const int index = segment & 0xFF;
  ctx.segment_channels[static_cast<std::size_t>(index)] = static_cast<uint16_t>(channels & 0xFFFF);
  if (index >= ctx.segment_count) ctx.segment_count = static_cast<uint8_t>(index + 1);
  return 0;
}

extern "C" int TAVIO_SetDataType(int type) {
  DataFileContext& ctx = WriteContext();
  if (KnownDataType(type)) ctx.description.bytes_per_sample = 2;
  if (!RecordedDataFormat(ctx.format)) return TAVIO_E_FORMAT;
  if (!KnownDataType(type)) return TAVIO_E_DATA_TYPE;
  ctx.description.input_data_type = static_cast<uint16_t>(type);
  ctx.description.recorded_data_type = static_cast<uint16_t>(type);
  ctx.description.xfer_style = TransferStyle(type);
  return 0;
}

extern "C" int TAVIO_ConvertToVelmontDataType(int type) {
  DataFileContext& ctx = WriteContext();
  if (!KnownDataType(type)) return TAVIO_E_DATA_TYPE;
  ctx.description.recorded_data_type = static_cast<uint16_t>(type);
  ctx.description.xfer_style = TransferStyle(type);
  return 0;
}

extern "C" int TAVIO_ConvertToDataType(int type) {
  if (!RecordedDataFormat(WriteContext().format)) return TAVIO_E_FORMAT;
  return TAVIO_ConvertToVelmontDataType(type);
}

extern "C" int TAVIO_SetFormatVelmont(void) {
  DataFileContext& ctx = WriteContext();
  ctx.format = kFormatVelmont;
  ctx.data_header_size = 0;
  ctx.scan_header_size = kStampBytes;
  return 0;
}

extern "C" int TAVIO_SetFormatVelmontEnhanced(void) {
  DataFileContext& ctx = WriteContext();
  ctx.format = kFormatVelmontEnhanced;
  ctx.data_header_size = kStampBytes;
  ctx.scan_header_size = 0;
  return 0;
}
