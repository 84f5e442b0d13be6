// Getters of the description of the file open for reading.
#include <cstring>

#include "tavio.h"
#include "tavio_state.h"

namespace orvela::tavio {

namespace {

// Runs `copy` on the record of channel ch of the read context, or returns 210
// for a channel the file does not have and 213 for a NULL out-parameter.
template <typename Out, typename Copy>
int WithReadChannel(int ch, Out* out, Copy&& copy) {
  return GuardedCall([&] {
    DataFileContext& ctx = ReadContext();
    if (!ValidChannel(ctx, ch)) return static_cast<int>(TAVIO_E_CHANNEL);
    if (out == nullptr) return static_cast<int>(TAVIO_E_INDEX);
    copy(Channel(ctx, ch));
    return 0;
  });
}

int GetText(int ch, char* out, const char (ChannelRecord::*field)[kTextRoom]) {
  return WithReadChannel(ch, out, [&](const ChannelRecord& rec) {
    const char(&text)[kTextRoom] = rec.*field;
    std::size_t n = strnlen(text, kTextRoom - 1);
    std::memcpy(out, text, n);
    out[n] = '\0';
  });
}

int GetDouble(int ch, double* out, double ChannelRecord::*field) {
  return WithReadChannel(ch, out, [&](const ChannelRecord& rec) { *out = rec.*field; });
}

// Copies value number index (from 1) of one of the channel's arrays; 213 also
// when the file supplied fewer values than its order promises.
int GetArrayValue(int ch, int index, double* out, std::vector<double> ChannelRecord::*array) {
  return GuardedCall([&] {
    DataFileContext& ctx = ReadContext();
    if (!ValidChannel(ctx, ch)) return static_cast<int>(TAVIO_E_CHANNEL);
    const ChannelRecord& rec = Channel(ctx, ch);
    const std::vector<double>& values = rec.*array;
    if (out == nullptr || index < 1 || index > rec.polynomial_order + 1 ||
        static_cast<std::size_t>(index) > values.size())
      return static_cast<int>(TAVIO_E_INDEX);
    *out = values[static_cast<std::size_t>(index - 1)];
    return 0;
  });
}

template <typename T>
int Copy(T* out, T value) {
  if (out == nullptr) return TAVIO_E_INDEX;
  *out = value;
  return 0;
}

}  // namespace

}  // namespace orvela::tavio

using namespace orvela::tavio;

extern "C" int TAVIO_GetChannelCount(int* out) { return Copy(out, static_cast<int>(ReadContext().description.channel_count)); }

extern "C" int TAVIO_GetChannelName(int ch, char* out) { return GetText(ch, out, &ChannelRecord::name); }
extern "C" int TAVIO_GetChannelUnits(int ch, char* out) { return GetText(ch, out, &ChannelRecord::units); }
extern "C" int TAVIO_GetChannelTCRef(int ch, char* out) { return GetText(ch, out, &ChannelRecord::tc_ref_text); }
extern "C" int TAVIO_GetConversionType(int ch, char* out) {
  return GetText(ch, out, &ChannelRecord::conversion_text);
}

extern "C" int TAVIO_GetCountsPerVolt(int ch, double* out) {
  return GetDouble(ch, out, &ChannelRecord::counts_per_volt);
}
extern "C" int TAVIO_GetManualEuAdder(int ch, double* out) {
  return GetDouble(ch, out, &ChannelRecord::manual_eu_adder);
}
extern "C" int TAVIO_GetShuntCalCF(int ch, double* out) { return GetDouble(ch, out, &ChannelRecord::shunt_cal_factor); }
extern "C" int TAVIO_GetGaugeFactor(int ch, double* out) { return GetDouble(ch, out, &ChannelRecord::gauge_factor); }

extern "C" int TAVIO_GetOffsetCount(int ch, unsigned short* out) {
  return WithReadChannel(ch, out, [&](const ChannelRecord& rec) { *out = rec.offset_count; });
}

extern "C" int TAVIO_GetPolynomialOrder(int ch, unsigned short* out) {
  return WithReadChannel(ch, out, [&](const ChannelRecord& rec) { *out = rec.polynomial_order; });
}

extern "C" int TAVIO_GetPolynomialCoeff(int ch, int index, double* out) {
  return GetArrayValue(ch, index, out, &ChannelRecord::coefficients);
}
extern "C" int TAVIO_GetPolyCon(int ch, int index, double* out) {
  return GetArrayValue(ch, index, out, &ChannelRecord::coefficients);
}
extern "C" int TAVIO_GetCalibrationVoltagePoint(int ch, int point, double* out) {
  return GetArrayValue(ch, point, out, &ChannelRecord::voltage_points);
}
extern "C" int TAVIO_GetCalRaw(int ch, int point, double* out) {
  return GetArrayValue(ch, point, out, &ChannelRecord::voltage_points);
}
extern "C" int TAVIO_GetEuCalibrationPoint(int ch, int point, double* out) {
  return GetArrayValue(ch, point, out, &ChannelRecord::eu_points);
}
extern "C" int TAVIO_GetCalEU(int ch, int point, double* out) {
  return GetArrayValue(ch, point, out, &ChannelRecord::eu_points);
}

extern "C" int TAVIO_GetClockRate(int* out) {
  const double rate = ReadContext().description.clock_rate;
  // Truncation toward zero, kept inside the range of an int.
  int value = 0;
  if (rate >= 2147483647.0) value = 2147483647;
  else if (rate <= -2147483648.0) value = -2147483647 - 1;
  else if (rate == rate) value = static_cast<int>(rate);
  return Copy(out, value);
}

extern "C" int TAVIO_GetClockRateEx(double* out) { return Copy(out, ReadContext().description.clock_rate); }

extern "C" int TAVIO_GetNumScanSamples(int* out) {
  return Copy(out, static_cast<int>(ReadContext().description.samples_per_scan));
}

extern "C" int TAVIO_GetDataType(int* out) { return Copy(out, static_cast<int>(ReadContext().description.data_type)); }

extern "C" int TAVIO_GetInputType(int* out) { return Copy(out, ReadContext().description.digital != 0 ? 1 : 0); }

extern "C" int TAVIO_GetNumBytesPerSample(int* out) {
  const FileDescription& d = ReadContext().description;
  const int words = d.digital != 0 ? d.channel_count / 16 : d.channel_count;
  return Copy(out, words * 2);
}

extern "C" int TAVIO_GetFormatType(int* out) { return Copy(out, ReadContext().format); }

extern "C" int TAVIO_GetScanCount(int* out) {
  const double scans = ReadContext().cursor.scan_count;
  return Copy(out, scans >= 2147483647.0 ? 2147483647 : static_cast<int>(scans > 0.0 ? scans : 0.0));
}

extern "C" int TAVIO_GetSampleCount(double* out) { return Copy(out, ReadContext().cursor.sample_count); }
