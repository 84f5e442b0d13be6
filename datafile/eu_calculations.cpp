// Counts to volts to engineering units for the channels of the file being
// read, thermocouple millivolt lookups, and the calibration fit of a channel
// of the file being written.
#include <cmath>
#include <cstring>

#include "conversion_type.h"
#include "eu.h"
#include "read_internal.h"
#include "tavio.h"

namespace orvela::tavio {

namespace {

constexpr int kTypeK = 6;

// Thermocouple type number for the eu lookups: the letter types B to T, with
// type K standing in for any other value.
int LookupType(int type) {
  return (type >= kConversionTypeB && type <= kConversionTypeT) ? type : kTypeK;
}

// The units rule for temperatures: Fahrenheit when the units text holds an f,
// else Kelvin when it holds a k, else Celsius.
double ApplyTemperatureUnits(const ChannelRecord& rec, double celsius) {
  const char* units = rec.units;
  const std::size_t n = strnlen(units, kTextRoom);
  if (std::memchr(units, 'f', n) != nullptr || std::memchr(units, 'F', n) != nullptr) return celsius * 1.8 + 32.0;
  if (std::memchr(units, 'k', n) != nullptr || std::memchr(units, 'K', n) != nullptr) return celsius + 273.15;
  return celsius;
}

double Coefficient(const ChannelRecord& rec, std::size_t m) {
  return m < rec.coefficients.size() ? rec.coefficients[m] : 0.0;
}

/*
 * ThermocoupleVolts --
 *   The thermocouple voltage of a channel compensated by its reference
 *   channel: the reference's word at the current sample set, read as degrees
 *   Celsius, converted to the type's millivolts and added.
 * Results:
 *   The compensated voltage (the voltage unchanged without a reference).
 * Side effects:
 *   None: the cursor stays on the caller's channel.
 */
double ThermocoupleVolts(DataFileContext& ctx, const ChannelRecord& rec, double volts, int type) {
  const int r = rec.reference_index;
  if (r < 0 || r >= ctx.description.channel_count) return volts;
  const ChannelRecord& ref = ctx.description.channels[static_cast<std::size_t>(r)];
  const double word = ChannelCount(ctx, r);
  const double reference_celsius = (word - ref.offset_count) / ref.counts_per_volt + ref.manual_eu_adder;
  return EUlookup_c2mv(reference_celsius, type) * 0.001 + volts;
}

}  // namespace

/*
 * EuFromVolts --
 *   Applies the conversion rule of the channel's type to a voltage.
 * Results:
 *   true and *eu set, or false for a type code without a rule.
 * Side effects:
 *   None.
 */
bool EuFromVolts(DataFileContext& ctx, int index, double volts, double* eu) {
  const ChannelRecord& rec = ctx.description.channels[static_cast<std::size_t>(index)];
  const double adder = rec.manual_eu_adder;
  const int code = rec.conversion_code;
  if (code == kConversionVolts) {
    *eu = volts + adder;
  } else if (code == kConversionLinear) {
    *eu = volts * Coefficient(rec, 1) + adder + Coefficient(rec, 0);
  } else if (code == kConversionPolynomial) {
    double sum = Coefficient(rec, 0);
    // The coefficient array may be shorter than the order promises (a
    // damaged or keyed file): missing coefficients count as 0.
    for (std::size_t k = 1; k <= rec.polynomial_order && k < rec.coefficients.size(); ++k)
      sum += std::pow(volts, static_cast<double>(k)) * rec.coefficients[k];
    *eu = sum + adder;
  } else if (code >= kConversionTypeB && code <= kConversionTypeT) {
    const double compensated = ThermocoupleVolts(ctx, rec, volts, code);
    const double celsius = EUlookup_mv2c(compensated * 1000.0, code);
    *eu = ApplyTemperatureUnits(rec, celsius) + adder;
  } else if (code == kConversionTcReference) {
    *eu = ApplyTemperatureUnits(rec, volts) + adder;
  } else if (code == kConversionBridge) {
    *eu = (-4.0 * volts * rec.shunt_cal_factor) / ((2.0 * volts - 1.0) * rec.gauge_factor) + adder;
  } else {
    return false;
  }
  return true;
}

}  // namespace orvela::tavio

using namespace orvela::tavio;

extern "C" int TAVIO_CalcVoltsFromCounts(int ch, double counts, double* volts) {
  return GuardedCall([&] {
    DataFileContext& ctx = ReadContext();
    if (!ValidChannel(ctx, ch)) return static_cast<int>(TAVIO_E_CHANNEL);
    if (volts == nullptr) return static_cast<int>(TAVIO_E_INDEX);
    const ChannelRecord& rec = Channel(ctx, ch);
    *volts = (counts - rec.offset_count) / rec.counts_per_volt;
    return 0;
  });
}

extern "C" int TAVIO_CalcEUFromVolts(int ch, double volts, double* eu) {
  return GuardedCall([&] {
    DataFileContext& ctx = ReadContext();
    if (!ValidChannel(ctx, ch)) return static_cast<int>(TAVIO_E_CHANNEL);
    if (eu == nullptr) return static_cast<int>(TAVIO_E_INDEX);
    EuFromVolts(ctx, ch - 1, volts, eu);
    return 0;
  });
}

extern "C" int TAVIO_CalcEUFromCounts(int ch, double counts, double* eu) {
  double volts = 0.0;
  const int rc = TAVIO_CalcVoltsFromCounts(ch, counts, &volts);
  if (rc != 0) return rc;
  return TAVIO_CalcEUFromVolts(ch, volts, eu);
}

extern "C" int TAVIO_CalcMvFromDegC(double degrees, int type, double* millivolts) {
  if (millivolts == nullptr) return TAVIO_E_INDEX;
  *millivolts = EUlookup_c2mv(degrees, LookupType(type));
  return 0;
}

extern "C" int TAVIO_CalcDegCFromMv(double millivolts, int type, double* degrees) {
  if (degrees == nullptr) return TAVIO_E_INDEX;
  *degrees = EUlookup_mv2c(millivolts, LookupType(type));
  return 0;
}

/*
 * TAVIO_GeneratePolynomialCoeffs --
 *   Fits coefficients 1 to n of a channel of the write file through its first
 *   n calibration voltage and EU points.
 * Results:
 *   0; 210 for a bad channel; 213 for a point count that cannot be fitted
 *   (1, negative, more than order + 1, or more than the arrays hold); 223
 *   when the fit fails.
 * Side effects:
 *   Replaces the first n coefficients; the order is unchanged.
 */
extern "C" int TAVIO_GeneratePolynomialCoeffs(int ch, int points) {
  return GuardedCall([&] {
    DataFileContext& ctx = WriteContext();
    if (!ValidChannel(ctx, ch)) return static_cast<int>(TAVIO_E_CHANNEL);
    if (points == 0) return 0;
    ChannelRecord& rec = Channel(ctx, ch);
    const auto n = static_cast<std::size_t>(points);
    if (points < 2 || points > rec.polynomial_order + 1 || n > rec.coefficients.size() ||
        n > rec.voltage_points.size() || n > rec.eu_points.size())
      return static_cast<int>(TAVIO_E_INDEX);
    int count = 0;
    if (EUleastSquares(rec.voltage_points.data(), rec.eu_points.data(), points, 0, &count,
                       rec.coefficients.data()) != 0)
      return static_cast<int>(TAVIO_E_FIT);
    return 0;
  });
}
