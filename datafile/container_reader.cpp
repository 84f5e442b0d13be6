// Reading a KEPR container: the parse through the container library, the
// channel records it describes, and the calibration data sets that give its
// polynomial channels their coefficients.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/stat.h>

#include "conversion_type.h"
#include "eu.h"
#include "kepr.h"
#include "kepr_library.h"
#include "read_internal.h"

namespace orvela::tavio {

namespace {

using OpenFn = decltype(&KEPROpenFile);
using ParseFn = decltype(&KEPRParse);
using CloseFn = decltype(&KEPRCloseReadFile);

// Channel descriptor texts are 32-byte slots; a damaged container may leave a
// slot without its NUL, so they are copied by bounded length.
void CopySlot(char (&field)[kTextRoom], const char* slot) {
  char text[KEPR_TEXT_ROOM + 1];
  const std::size_t n = strnlen(slot, KEPR_TEXT_ROOM - 1);
  std::memcpy(text, slot, n);
  text[n] = '\0';
  CopyText(field, text);
}

uint16_t OffsetFromDouble(double value) {
  if (!(value > 0.0)) return 0;
  if (value >= 65535.0) return 65535;
  return static_cast<uint16_t>(value);
}

/*
 * CalibrationSets --
 *   The default sensor file, opened through an engineering-units handle on
 *   "basalt" when the first polynomial channel needs it and closed (which
 *   writes it back) when the container has been read.
 */
class CalibrationSets {
 public:
  ~CalibrationSets() {
    if (handle_ != nullptr) EUClose(&handle_);
  }

  /*
   * Fit --
   *   Replaces the polynomial of a channel by the fit through its data set.
   * Results:
   *   None; any failure leaves the channel's defaults.
   * Side effects:
   *   Opens the handle and the sensor file on first use.
   */
  void Fit(ChannelRecord& rec, const char* set_name) {
    if (!Open()) return;
    double* volts = nullptr;
    double* eus = nullptr;
    int count = 0;
    if (handle_->ops.getDataSet(handle_, collection_, set_name, &volts, &eus, &count) < 0) return;
    if (count < 1 || count > 0x10000 || volts == nullptr || eus == nullptr) return;
    const auto n = static_cast<std::size_t>(count);
    std::vector<double> coefficients(n, 0.0);
    int fitted = 0;
    if (EUleastSquares(volts, eus, count, 0, &fitted, coefficients.data()) != 0) return;
    rec.polynomial_order = static_cast<uint16_t>(count - 1);
    rec.voltage_points.assign(volts, volts + n);
    rec.eu_points.assign(eus, eus + n);
    rec.coefficients = std::move(coefficients);
  }

 private:
  bool Open() {
    if (tried_) return collection_ != nullptr;
    tried_ = true;
    if (EUInit("basalt", &handle_) < 0) {
      handle_ = nullptr;
      return false;
    }
    if (handle_->ops.openDataSets(handle_, nullptr, &collection_) < 0) collection_ = nullptr;
    return collection_ != nullptr;
  }

  EUHandle* handle_ = nullptr;
  EUDataSetCollection* collection_ = nullptr;
  bool tried_ = false;
};

int64_t FileSize(const char* path) {
  struct stat st {};
  if (stat(path, &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

/*
 * FillDescription --
 *   Turns the parse result into the read description.
 * Results:
 *   0, or 200 when the container has no channels or more than 128.
 * Side effects:
 *   Replaces the read description; polynomial channels read their data sets.
 */
int FillDescription(DataFileContext& ctx, const KEPRParseResult& parse, int64_t file_size) {
  const int n = parse.channelCount;
  if (n < 1 || n > kMaxChannels || parse.channels == nullptr) return TAVIO_E_FILE;
  ApplyReadDefaults(ctx, n);
  FileDescription& d = ctx.description;
  ctx.format = kFormatKepr;
  d.channel_count = static_cast<uint16_t>(n);
  d.clock_rate = parse.clockRate;
  // A container has no scans: every sample set is a block of its own.
  d.samples_per_scan = 1;
  ctx.data_header_size = 0;
  ctx.scan_header_size = kStampBytes;
  // Samples are counted from what the DATA chunk claims, but never beyond
  // what the file holds after the chunk's start.
  const int64_t set_bytes = 2 * static_cast<int64_t>(n);
  int64_t data_bytes = parse.dataLength > 0 ? parse.dataLength : 0;
  const int64_t held = file_size - (parse.dataOffset > 0 ? parse.dataOffset : 0);
  if (data_bytes > held) data_bytes = held > 0 ? held : 0;
  ctx.cursor.sample_count = static_cast<double>(data_bytes / set_bytes);
  ctx.cursor.scan_count = ctx.cursor.sample_count;
  ctx.cursor.file_size = static_cast<double>(file_size);
  CalibrationSets sets;
  for (int i = 0; i < n; ++i) {
    const KEPRChannel& in = parse.channels[i];
    ChannelRecord& rec = d.channels[static_cast<std::size_t>(i)];
    CopySlot(rec.name, in.name);
    CopySlot(rec.conversion_text, in.conversionType);
    rec.conversion_code = ConversionCodeFromText(rec.conversion_text, nullptr);
    CopySlot(rec.units, in.units);
    CopySlot(rec.tc_ref_text, in.referenceChannel);
    rec.counts_per_volt = in.countsPerVolt;
    rec.offset_count = OffsetFromDouble(std::trunc(in.zeroOffset));
    rec.manual_eu_adder = -in.tare;
    rec.shunt_cal_factor = in.shuntCal;
    rec.gauge_factor = in.gaugeFactor;
    if (rec.conversion_code == kConversionPolynomial) {
      char set_name[KEPR_TEXT_ROOM];
      const std::size_t len = strnlen(in.calibrationSet, KEPR_TEXT_ROOM - 1);
      std::memcpy(set_name, in.calibrationSet, len);
      set_name[len] = '\0';
      sets.Fit(rec, set_name);
    }
    if (rec.conversion_code == kConversionTcReference) rec.is_reference = 1;
  }
  ctx.cursor.time_base_seconds = static_cast<double>(parse.creationTime);
  return 0;
}

}  // namespace

/*
 * OpenContainer --
 *   Opens a container read-only, parses it and fills the read description.
 * Results:
 *   0, or 200 when the container library, a function, the open or the parse
 *   fails, or the container describes what the library cannot hold.
 * Side effects:
 *   Loads the container library on first use; keeps the read handle (and the
 *   parse result it owns) in the read cursor until CloseContainer.
 */
int OpenContainer(const char* path, DataFileContext& ctx) {
  const auto open_file = KeprFunctionAs<OpenFn>("KEPROpenFile");
  const auto parse = KeprFunctionAs<ParseFn>("KEPRParse");
  if (open_file == nullptr || parse == nullptr) return TAVIO_E_FILE;
  // The read handle KEPRSetSample expects (the file handle, then the parse
  // result) stays in the cursor for as long as the file is open.
  auto read = std::make_unique<KEPRReadHandle>();
  std::memset(read.get(), 0, sizeof *read);
  read->handle = open_file(path, 0);
  if (read->handle < 0) return TAVIO_E_FILE;
  ctx.cursor.kepr_handle = read->handle;
  KEPRReadHandle* handle = read.release();
  ctx.cursor.kepr_parse = handle;
  const int parsed = parse(handle->handle, &handle->result);
  // A "STRM" stream recording parses too, but is not a data file.
  if (parsed != 1 || handle->result.formType != KEPR_FORM_KEPR) {
    CloseContainer(ctx);
    return TAVIO_E_FILE;
  }
  const int rc = FillDescription(ctx, handle->result.kepr, FileSize(path));
  if (rc != 0) CloseContainer(ctx);
  return rc;
}

/*
 * CloseContainer --
 *   Closes the container of the read context and frees its parse result.
 * Results:
 *   0, or 219 when the close fails or the function is missing.
 * Side effects:
 *   Clears the cursor's container fields.
 */
int CloseContainer(DataFileContext& ctx) {
  std::unique_ptr<KEPRReadHandle> owned(static_cast<KEPRReadHandle*>(ctx.cursor.kepr_parse));
  if (owned == nullptr) return 0;
  int rc = TAVIO_E_CLOSE;
  const auto close_file = KeprFunctionAs<CloseFn>("KEPRCloseReadFile");
  if (close_file != nullptr && close_file(owned->handle) != 0) rc = 0;
  // The parse result's descriptors belong to the reader once parsed (a
  // result KEPRParse never set up is still zero-filled).
  KEPRParsed& result = owned->result;
  if (result.formType == KEPR_FORM_KEPR) {
    std::free(result.kepr.channels);
  } else if (result.formType == KEPR_FORM_STRM && result.strm.channels != nullptr) {
    for (int i = 0; i < KEPR_MAX_CHANNELS; ++i) {
      std::free(result.strm.channels[i].precisions);
      std::free(result.strm.channels[i].positions);
    }
    std::free(result.strm.channels);
  }
  ctx.cursor.kepr_parse = nullptr;
  ctx.cursor.kepr_handle = -1;
  return rc;
}

}  // namespace orvela::tavio
