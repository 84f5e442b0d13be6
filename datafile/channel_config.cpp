// Setters of the channel records of the file being written.
#include <cstdio>

#include "conversion_type.h"
#include "tavio.h"
#include "tavio_state.h"

namespace orvela::tavio {

namespace {

bool SignedInput(uint16_t type) { return (type & 1u) != 0; }

// Gives channel record `index` (0-based) the defaults of a fresh channel,
// which depend on the input data type.
void ApplyChannelDefaults(DataFileContext& ctx, int index) {
  ChannelRecord& rec = ctx.description.channels[static_cast<std::size_t>(index)];
  const bool is_signed = SignedInput(ctx.description.input_data_type);
  rec.offset_count = is_signed ? 0 : 32767;
  rec.counts_per_volt = is_signed ? 3200.0 : 2675.0;
  std::snprintf(rec.name, sizeof rec.name, "Ch%d", index + 1);
  CopyText(rec.units, "Volts");
  CopyText(rec.conversion_text, "Polynomial");
  rec.tc_ref_text[0] = '\0';
  rec.reference_index = -1;
  rec.manual_eu_adder = 0.0;
  rec.shunt_cal_factor = 1.0;
  rec.gauge_factor = 1.0;
  rec.polynomial_order = 1;
  rec.coefficients = {0.0, 1.0};
  rec.eu_points = {-10.0, 10.0};
  rec.voltage_points = {-10.0, 10.0};
  rec.is_reference = 0;
}

// Runs `store` on the record of channel ch of the write context, or returns
// 210 when the file has no such channel.
template <typename Store>
int WithWriteChannel(int ch, Store&& store) {
  return GuardedCall([&] {
    DataFileContext& ctx = WriteContext();
    if (!ValidChannel(ctx, ch)) return static_cast<int>(TAVIO_E_CHANNEL);
    return store(Channel(ctx, ch));
  });
}

int SetText(int ch, const char* text, char (ChannelRecord::*field)[kTextRoom]) {
  return WithWriteChannel(ch, [&](ChannelRecord& rec) {
    if (text != nullptr && text[0] != '\0') CopyText(rec.*field, text);
    return 0;
  });
}

// Stores value number index (from 1) of one of the channel's arrays.
int SetArrayValue(int ch, int index, double value, std::vector<double> ChannelRecord::*array) {
  return WithWriteChannel(ch, [&](ChannelRecord& rec) {
    std::vector<double>& values = rec.*array;
    if (index < 1 || index > rec.polynomial_order + 1 || static_cast<std::size_t>(index) > values.size())
      return static_cast<int>(TAVIO_E_INDEX);
    values[static_cast<std::size_t>(index - 1)] = value;
    return 0;
  });
}

}  // namespace

}  // namespace orvela::tavio

using namespace orvela::tavio;

extern "C" int TAVIO_SetChannelCount(int count) {
  return GuardedCall([&] {
    DataFileContext& ctx = WriteContext();
    const int wanted = count & 0xFFFF;
    if (wanted > kMaxChannels) return static_cast<int>(TAVIO_E_CHANNEL);
    const int current = ctx.description.channel_count;
    if (current == 0) {
      for (int i = 0; i < wanted; ++i) ApplyChannelDefaults(ctx, i);
      ctx.segment_channels[0] = static_cast<uint16_t>(wanted);
    } else {
      // Channels added to a configured file start from the defaults too, so
      // that no channel is written with arrays it never had.
      for (int i = current; i < wanted; ++i) ApplyChannelDefaults(ctx, i);
    }
    ctx.description.channel_count = static_cast<uint16_t>(wanted);
    return 0;
  });
}

extern "C" int TAVIO_SetChannelName(int ch, const char* name) { return SetText(ch, name, &ChannelRecord::name); }

extern "C" int TAVIO_SetChannelUnits(int ch, const char* units) {
  return SetText(ch, units, &ChannelRecord::units);
}

extern "C" int TAVIO_SetChannelTCRef(int ch, const char* reference_name) {
  return SetText(ch, reference_name, &ChannelRecord::tc_ref_text);
}

extern "C" int TAVIO_SetConversionType(int ch, const char* type) {
  return WithWriteChannel(ch, [&](ChannelRecord& rec) {
    CopyText(rec.conversion_text, type);
    bool known = false;
    rec.conversion_code = ConversionCodeFromText(type, &known);
    // A channel once marked as a reference stays marked.
    if (rec.conversion_code == kConversionTcReference) rec.is_reference = 1;
    return known ? 0 : static_cast<int>(TAVIO_E_CONVERSION);
  });
}

extern "C" int TAVIO_SetCountsPerVolt(int ch, double counts_per_volt) {
  return WithWriteChannel(ch, [&](ChannelRecord& rec) {
    rec.counts_per_volt = counts_per_volt;
    return 0;
  });
}

extern "C" int TAVIO_SetOffsetCount(int ch, int count) {
  return WithWriteChannel(ch, [&](ChannelRecord& rec) {
    rec.offset_count = static_cast<uint16_t>(count & 0xFFFF);
    return 0;
  });
}

extern "C" int TAVIO_SetManualEuAdder(int ch, double adder) {
  return WithWriteChannel(ch, [&](ChannelRecord& rec) {
    rec.manual_eu_adder = adder;
    return 0;
  });
}

extern "C" int TAVIO_SetShuntCalCF(int ch, double factor) {
  return WithWriteChannel(ch, [&](ChannelRecord& rec) {
    rec.shunt_cal_factor = factor;
    return 0;
  });
}

extern "C" int TAVIO_SetGaugeFactor(int ch, double factor) {
  return WithWriteChannel(ch, [&](ChannelRecord& rec) {
    rec.gauge_factor = factor;
    return 0;
  });
}

extern "C" int TAVIO_SetPolynomialOrder(int ch, int order) {
  return WithWriteChannel(ch, [&](ChannelRecord& rec) {
    rec.polynomial_order = static_cast<uint16_t>(order & 0xFFFF);
    const std::size_t size = static_cast<std::size_t>(rec.polynomial_order) + 1;
    rec.coefficients.resize(size, 0.0);
    rec.eu_points.resize(size, 0.0);
    rec.voltage_points.resize(size, 0.0);
    return 0;
  });
}

extern "C" int TAVIO_SetPolynomialCoeff(int ch, int index, double value) {
  return SetArrayValue(ch, index, value, &ChannelRecord::coefficients);
}

extern "C" int TAVIO_SetPolyCon(int ch, int index, double value) {
  return SetArrayValue(ch, index, value, &ChannelRecord::coefficients);
}

extern "C" int TAVIO_SetCalibrationVoltagePoint(int ch, int point, double volts) {
  return SetArrayValue(ch, point, volts, &ChannelRecord::voltage_points);
}

extern "C" int TAVIO_SetCalRaw(int ch, int point, double volts) {
  return SetArrayValue(ch, point, volts, &ChannelRecord::voltage_points);
}

extern "C" int TAVIO_SetEuCalibrationPoint(int ch, int point, double eu) {
  return SetArrayValue(ch, point, eu, &ChannelRecord::eu_points);
}

extern "C" int TAVIO_SetCalEU(int ch, int point, double eu) {
  return SetArrayValue(ch, point, eu, &ChannelRecord::eu_points);
}
