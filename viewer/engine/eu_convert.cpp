// Classification of conversion types and units, thermocouple references,
// and the conversion of counts to engineering units.
#include <cmath>
#include <cstring>

#include "engine.h"

namespace trendel {

namespace {

// Position = conversion code.
const char* const kConversionStr[] = {"DEF", "None", "Counts", "Volts", "Linear", "Polynomial", "TC_Reference", "RTD_Reference"};
// Table i serves code 10 + i.
const char* const kTcType[] = {"TYPE_B", "TYPE_E", "TYPE_J", "TYPE_K", "TYPE_N", "TYPE_R", "TYPE_S", "TYPE_T"};

bool IsThermocouple(int code) { return code >= CONV_TYPE_B && code <= CONV_TYPE_T; }

bool ValidChannel(int c) { return c >= 0 && c < MAX_CHANNELS; }

}  // namespace

/*
 * ClassifyConversion --
 *   Turns channel c's conversion type text into its code.
 * Results:
 *   None.
 * Side effects:
 *   Sets sConversionType, iConversionType and iRefChannel (-1) of c; a
 *   TC_Reference channel joins tcRefChans; temperature channels take their
 *   unit code from the last letter of their unit text.
 */
void ClassifyConversion(int c, const char* text) {
  if (!ValidChannel(c)) return;
  CopyText(sConversionType[c], kStrSize, text);
  iRefChannel[c] = -1;
  int code = -1;
  for (int i = 0; i < static_cast<int>(std::size(kConversionStr)) && code < 0; ++i)
    if (cmpstr(text, kConversionStr[i], true) == 0) code = i;
  for (int i = 0; i < static_cast<int>(std::size(kTcType)) && code < 0; ++i)
    if (cmpstr(text, kTcType[i], true) == 0) code = CONV_TYPE_B + i;
  if (code < 0) code = CONV_COUNTS;
  iConversionType[c] = code;
  if (code == CONV_TC_REFERENCE && iNumRef < MAX_CHANNELS) tcRefChans[iNumRef++] = c;
  if (code == CONV_TC_REFERENCE || IsThermocouple(code)) {
    const size_t n = std::strlen(sUnits[c]);
    const char last = n > 0 ? sUnits[c][n - 1] : '\0';
    if (last == 'C' || last == 'c') iUnits[c] = UNIT_DEG_C;
    else if (last == 'F' || last == 'f') iUnits[c] = UNIT_DEG_F;
    else if (last == 'K' || last == 'k') iUnits[c] = UNIT_DEG_K;
  }
}

/*
 * ResolveReference --
 *   Gives channel c the reference channel named `name`.
 * Results:
 *   None.
 * Side effects:
 *   Sets iRefChannel[c] to the last TC_Reference channel of that name;
 *   an empty or unknown name leaves it -1.
 */
void ResolveReference(int c, const char* name) {
  if (!ValidChannel(c) || name[0] == '\0') return;
  for (int k = 0; k < iNumRef; ++k) {
    const int r = tcRefChans[k];
    if (ValidChannel(r) && cmpstr(sChannelName[r], name, true) == 0) iRefChannel[c] = r;
  }
}

double QelDegCToF(double degc) { return degc * 1.8 + 32.0; }

double GetThermocoupleTemperatureEU(double v, int unit) {
  if (unit == UNIT_DEG_F) return QelDegCToF(v);
  if (unit == UNIT_DEG_K) return v + 273.15;
  return v;
}

/*
 * GetThermocoupleTemperature --
 *   Linearises a thermocouple voltage, compensated by its reference
 *   channel's sample when there is one and the sample is not exactly 0.
 * Results:
 *   The temperature in the channel's unit.
 * Side effects:
 *   None.
 */
double GetThermocoupleTemperature(int c, double mv, double refcounts) {
  if (!ValidChannel(c)) return 0.0;
  const int t = iConversionType[c] - CONV_TYPE_B;
  double degc;
  const int r = iRefChannel[c];
  if (refcounts != 0.0 && ValidChannel(r)) {
    if (m_iXferStyle == 5) refcounts -= 32768.0;
    const double ref_degc = (refcounts - dOffset_Volts[r]) / dCounts_Volt[r];
    degc = QelConvertMvToDegC(t, mv + QelConvertDegCToMv(t, ref_degc)) + dEUAddr[c];
  } else {
    degc = QelConvertMvToDegC(t, mv) + dEUAddr[c];
  }
  return GetThermocoupleTemperatureEU(degc, iUnits[c]);
}

/*
 * Counts2EU --
 *   Converts a raw count of channel c (as getVal gives it) to engineering
 *   units by the channel's conversion code.
 * Results:
 *   The value; a channel index outside the tables gives the counts.
 * Side effects:
 *   None.
 */
double Counts2EU(double counts, double refcounts, int c) {
  if (!ValidChannel(c)) return counts;
  const int code = iConversionType[c];
  if (code == CONV_COUNTS) return counts;
  if (m_iXferStyle == 5) counts -= 32768.0;  // undo the offset binary of getVal
  const double volts = (counts - dOffset_Volts[c]) / dCounts_Volt[c];
  if (IsThermocouple(code)) return GetThermocoupleTemperature(c, volts * 1000.0, refcounts);
  switch (code) {
    case CONV_VOLTS:
      return volts + dEUAddr[c];
    case CONV_LINEAR:
      return volts * dPolyCoeff[c][1] + dPolyCoeff[c][0] + dEUAddr[c];
    case CONV_POLYNOMIAL: {
      double sum = dPolyCoeff[c][0];
      // The coefficient table holds orders 0 to 9.
      const int order = usPolyOrder[c] < kPolyTerms - 1 ? usPolyOrder[c] : kPolyTerms - 1;
      for (int k = 1; k <= order; ++k) sum += std::pow(volts, k) * dPolyCoeff[c][k];
      return sum + dEUAddr[c];
    }
    case CONV_TC_REFERENCE:
      return GetThermocoupleTemperatureEU(volts, iUnits[c]);
    default:
      return counts;
  }
}

}  // namespace trendel
