// The "KEPR" writer: the container form written through the container
// library, whose functions are looked up by name on first use; the samples
// are appended unchanged.
#include <cstring>
#include <ctime>
#include <vector>

#include "format_writers.h"
#include "kepr.h"
#include "kepr_library.h"
#include "tavio.h"

namespace orvela::tavio {

namespace {

using CreateFileFn = int (*)(const char*);
using WriteChunkFn = int (*)(int, uint32_t, KEPRBodyWriter, void*);
using WriteBytesFn = int (*)(int, const void*, int);
using CloseFn = int (*)(int);

// Copies a channel text into a descriptor slot; texts longer than the slot's
// 31 characters are cut.
void CopySlot(char (&slot)[KEPR_TEXT_ROOM], const char* text) {
  std::size_t n = strnlen(text, KEPR_TEXT_ROOM - 1);
  std::memcpy(slot, text, n);
  slot[n] = '\0';
}

KEPRChannel Descriptor(const ChannelRecord& rec) {
  KEPRChannel d{};
  CopySlot(d.name, rec.name);
  CopySlot(d.conversionType, rec.conversion_text);
  CopySlot(d.units, rec.units);
  CopySlot(d.referenceChannel, rec.tc_ref_text);
  CopySlot(d.calibrationSet, rec.units);  // the calibration set is named by the units text
  d.countsPerVolt = rec.counts_per_volt;
  d.tare = -rec.manual_eu_adder;
  d.shuntCal = rec.shunt_cal_factor;
  d.gaugeFactor = rec.gauge_factor;
  d.zeroOffset = static_cast<double>(rec.offset_count);
  return d;
}

}  // namespace

int WriteKeprHeader(DataFileContext& ctx) {
  auto write_form = KeprFunctionAs<KEPRBodyWriter>("KEPRWriteForm");
  auto write_chunk = KeprFunctionAs<WriteChunkFn>("KEPRWriteChunk");
  auto create_file = KeprFunctionAs<CreateFileFn>("KEPRCreateFile");
  if (write_form == nullptr || write_chunk == nullptr || create_file == nullptr) return TAVIO_E_FILE;
  const int count = ctx.description.channel_count < kMaxChannels ? ctx.description.channel_count : kMaxChannels;
  std::vector<KEPRChannel> channels;
  channels.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) channels.push_back(Descriptor(ctx.description.channels[static_cast<std::size_t>(i)]));
  KEPRForm form{};
  form.clockRate = ctx.description.clock_rate;
  form.creationTime = static_cast<uint32_t>(std::time(nullptr));
  form.channelCount = count;
  form.channels = channels.data();

  const int handle = create_file(ctx.path);
  if (handle == -1) return TAVIO_E_FILE;
  if (write_chunk(handle, KEPR_ID_FORM, write_form, &form) < 0) {
    // The file is no container; release its handle rather than leak it.
    if (auto close_file = KeprFunctionAs<CloseFn>("KEPRCloseReadFile")) close_file(handle);
    return TAVIO_E_FILE;
  }
  ctx.output.kepr_handle = handle;
  return 0;
}

int WriteKeprBytes(DataFileContext& ctx, const uint8_t* data, int count) {
  auto write_bytes = KeprFunctionAs<WriteBytesFn>("KEPRWriteBytes");
  if (write_bytes == nullptr) return TAVIO_E_FILE;
  return write_bytes(ctx.output.kepr_handle, data, count);
}

int CloseKeprFile(DataFileContext& ctx) {
  auto close_file = KeprFunctionAs<CloseFn>("KEPRCloseWriteFile");
  if (close_file == nullptr) return TAVIO_E_CLOSE;
  const int handle = ctx.output.kepr_handle;
  ctx.output.kepr_handle = -1;
  // A failed close leaves the container without its chunk lengths.
  return close_file(handle) == 0 ? 0 : TAVIO_E_CLOSE;
}

}  // namespace orvela::tavio
