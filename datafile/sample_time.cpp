// The time of the read cursor's sample, in seconds or split into days, hours,
// minutes and seconds.
#include <climits>
#include <cmath>

#include "read_internal.h"
#include "tavio.h"

namespace orvela::tavio {

namespace {

bool HasTimeBase(const DataFileContext& ctx) {
  return ctx.format == kFormatVelmont || ctx.format == kFormatVelmontEnhanced;
}

// A whole number of units as an int; NaN gives 0 and values an int cannot
// hold give its limits, rather than an undefined conversion.
int WholeUnits(double value) {
  if (!(value == value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

}  // namespace orvela::tavio

using namespace orvela::tavio;

extern "C" int TAVIO_GetCurrentSampleTimeInSeconds(double* out) {
  const DataFileContext& ctx = ReadContext();
  if (!HasTimeBase(ctx)) return TAVIO_E_FORMAT;
  if (out == nullptr) return TAVIO_E_INDEX;
  *out = CurrentSampleSeconds(ctx);
  return 0;
}

/*
 * TAVIO_GetCurrentSampleTime --
 *   Splits the current sample's time: whole days, then whole hours and
 *   minutes of what is left, and the remaining seconds with their fraction.
 * Results:
 *   0; 214 unless the read format is 1 or 2; 213 for a NULL out.
 * Side effects:
 *   None.
 */
extern "C" int TAVIO_GetCurrentSampleTime(int* days, int* hours, int* minutes, double* seconds) {
  const DataFileContext& ctx = ReadContext();
  if (!HasTimeBase(ctx)) return TAVIO_E_FORMAT;
  if (days == nullptr || hours == nullptr || minutes == nullptr || seconds == nullptr) return TAVIO_E_INDEX;
  const double t = CurrentSampleSeconds(ctx);
  const double d = std::trunc(t / 86400.0);
  double r = t - d * 86400.0;
  const double h = std::trunc(r / 3600.0);
  r -= h * 3600.0;
  const double m = std::trunc(r / 60.0);
  *days = WholeUnits(d);
  *hours = WholeUnits(h);
  *minutes = WholeUnits(m);
  *seconds = r - m * 60.0;
  return 0;
}
