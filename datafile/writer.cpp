// Dispatch of writing: the table of output formats, the create functions,
// and TAVIO_WriteHeader, TAVIO_WriteBytes and TAVIO_CloseWriteFile over the
// format of the file being written.
#include <strings.h>

#include <algorithm>
#include <cstring>

#include "bcd_stamp.h"
#include "format_writers.h"
#include "kepr_library.h"
#include "tavio.h"

namespace orvela::tavio {

namespace {

constexpr FormatWriter kFormatWriters[] = {
    {kFormatVelmont, "Velmont", 0, kStampBytes, WriteRecordedHeader, WriteRecordedBytes, CloseRecordedFile},
    {kFormatVelmontEnhanced, "VelmontEnhanced", kStampBytes, 0, WriteRecordedHeader, WriteRecordedBytes,
     CloseRecordedFile},
    {kFormatKepr, "KEPR", 0, 0, WriteKeprHeader, WriteKeprBytes, CloseKeprFile},
    {kFormatDiz, "DIZ", 0, 0, WriteTextHeader, WriteTextRows, CloseTextFile},
    {kFormatDizNoHeader, "DIZ_NOHEADER", 0, 0, WriteTextHeader, WriteTextRows, CloseTextFile},
};

const FormatWriter* FindFormatWriterByName(const char* name) {
  if (name == nullptr) return nullptr;
  for (const FormatWriter& writer : kFormatWriters) {
    if (strcasecmp(name, writer.name) == 0) return &writer;
  }
  return nullptr;
}

// The format whose file is open: fixed by TAVIO_WriteHeader, so that a new
// TAVIO_CreateDataFile cannot hand an open file to another format's writer.
int g_open_format = kFormatNone;

}  // namespace

const FormatWriter* FindFormatWriter(int format) {
  for (const FormatWriter& writer : kFormatWriters) {
    if (writer.format == format) return &writer;
  }
  return nullptr;
}

}  // namespace orvela::tavio

using namespace orvela::tavio;

extern "C" int TAVIO_CreateDataFile(const char* format, int type, const char* path) {
  const FormatWriter* writer = FindFormatWriterByName(format);
  if (writer == nullptr) return TAVIO_E_FORMAT;
  // A path cut to fit would name another file.
  if (path != nullptr && std::strlen(path) > kTextRoom - 1) return TAVIO_E_FILE;
  DataFileContext& ctx = WriteContext();
  CopyText(ctx.path, path);
  ctx.format = writer->format;
  ctx.data_header_size = writer->data_header_size;
  ctx.scan_header_size = writer->scan_header_size;
  ctx.segment_count = 1;
  (void)TAVIO_SetDataType(type);  // records no data type outside the recorded data layouts
  ctx.description.channel_count = 0;
  ctx.description.samples_per_scan = 0;
  ctx.progress_samples_per_scan = 0;
  ctx.description.clock_rate = 0.0;
  ctx.segment_channels.fill(0);
  return 0;
}

extern "C" int TAVIO_CreateVelmontDataFile(const char* path, int type, int channels, unsigned int clock_rate,
                                           int samples_per_scan) {
  int rc = TAVIO_CreateDataFile("Velmont", type, path);
  if (rc == 0) rc = TAVIO_SetChannelCount(channels);
  if (rc == 0) rc = TAVIO_SetClockRate(clock_rate);
  if (rc == 0) rc = TAVIO_SetNumScanSamples(samples_per_scan);
  return rc;
}

extern "C" int TAVIO_CreateKEPRFile(const char* path, int type, int channels, double clock_rate) {
  if (!LoadKeprLibrary()) return TAVIO_E_FILE;
  int rc = TAVIO_CreateDataFile("KEPR", type, path);
  if (rc == 0) rc = TAVIO_SetChannelCount(channels);
  if (rc == 0) rc = TAVIO_SetClockRateEx(clock_rate);
  return rc;
}

extern "C" int TAVIO_CreateDIZFile(const char* path, int type, int channels, double clock_rate, int with_header) {
  int rc = TAVIO_CreateDataFile(with_header != 0 ? "DIZ" : "DIZ_NOHEADER", type, path);
  if (rc == 0) rc = TAVIO_SetChannelCount(channels);
  if (rc == 0) rc = TAVIO_SetClockRateEx(clock_rate);
  return rc;
}

extern "C" int TAVIO_WriteHeader(void) {
  return GuardedCall([] {
    if (g_write_open) return static_cast<int>(TAVIO_E_ALREADY_OPEN);
    DataFileContext& ctx = WriteContext();
    g_write_open = true;
    ctx.total_sets = 0.0;
    ctx.sets_in_scan = 0;
    g_open_format = ctx.format;
    const FormatWriter* writer = FindFormatWriter(ctx.format);
    // With no format the file stays marked open until TAVIO_CloseWriteFile.
    if (writer == nullptr || writer->write_header == nullptr) return static_cast<int>(TAVIO_E_FORMAT);
    const int rc = writer->write_header(ctx);
    if (rc != 0) {
      g_write_open = false;
      g_open_format = kFormatNone;
    }
    return rc;
  });
}

extern "C" int TAVIO_WriteBytes(const void* data, int count) {
  return GuardedCall([&] {
    if (!g_write_open) return static_cast<int>(TAVIO_E_NOT_OPEN);
    const FormatWriter* writer = FindFormatWriter(g_open_format);
    if (writer == nullptr || writer->write_bytes == nullptr) return static_cast<int>(TAVIO_E_FORMAT);
    return writer->write_bytes(WriteContext(), static_cast<const uint8_t*>(data), count);
  });
}

extern "C" int TAVIO_CloseWriteFile(void) {
  return GuardedCall([] {
    if (!g_write_open) return static_cast<int>(TAVIO_E_NOT_OPEN);
    const FormatWriter* writer = FindFormatWriter(g_open_format);
    g_write_open = false;
    g_open_format = kFormatNone;
    if (writer == nullptr || writer->close == nullptr) return 0;
    return writer->close(WriteContext());
  });
}

extern "C" int TAVIO_UseSystemTimeStamp(void) {
  WriteContext().use_saved_stamp = 0;
  return 0;
}

extern "C" int TAVIO_SaveReadTimeStamp(void) {
  DataFileContext& ctx = WriteContext();
  ctx.use_saved_stamp = 1;
  const BcdStamp stamp = StampFromSeconds(CurrentSampleSeconds(ReadContext()));
  std::copy(stamp.begin(), stamp.end(), ctx.saved_stamp.begin());
  return 0;
}
