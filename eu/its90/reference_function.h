// The ITS-90 thermocouple reference functions (temperature to thermoelectric
// voltage) read from the coefficient file, evaluated in extended precision and
// rounded to the 0.00001 mV of the lookup tables.  Used by the build-time
// table generator and by the tests that check the tables.
#ifndef ORVELA_EU_ITS90_REFERENCE_FUNCTION_H
#define ORVELA_EU_ITS90_REFERENCE_FUNCTION_H

#include <cstdint>
#include <string>
#include <vector>

namespace orvela::eu::its90 {

// The letters of the eight types in type-code order: code 3 is 'B' ... 10 'T'.
inline constexpr char kLetters[] = "BEJKNRST";
inline constexpr int kFirstTypeCode = 3;

// One polynomial sub-range: E(t) = sum c[i] t^i for lo <= t <= hi.
struct SubRange {
  double lo = 0.0;
  double hi = 0.0;
  std::vector<long double> c;
};

// The type K exponential term a0 * exp(a1 * (t - a2)^2), added in the
// sub-range whose bounds are [lo, hi].
struct Exponential {
  bool present = false;
  double lo = 0.0;
  double hi = 0.0;
  long double a0 = 0.0L, a1 = 0.0L, a2 = 0.0L;
};

// The reference function of one letter type.
struct ReferenceFunction {
  char letter = 0;
  std::vector<SubRange> ranges;  // ascending temperature
  Exponential exponential;

  // Whole degrees of the table: the first and last integers inside the range.
  int FirstDegree() const;
  int LastDegree() const;
  // E(t) in mV, evaluated in long double; the first sub-range (in file order)
  // with lo <= t <= hi owns t, so a shared boundary belongs to the lower one.
  // t outside the range gives NaN.
  long double Millivolts(double t) const;
};

// Parses the coefficient file text into the eight functions, in kLetters
// order.  Returns false with a message in *error when the text is malformed,
// a number is not finite, a range lies outside -273.15 to 10000 degC, a
// sub-range has more than 32 coefficients or a type is missing.
bool ParseCoefficients(const std::string& text, std::vector<ReferenceFunction>* out, std::string* error);

// True when `millivolts` is a voltage a thermocouple table can hold (finite,
// within +-1000 mV): the generator refuses a coefficient file that yields
// anything else.
bool Plausible(long double millivolts);

// Reads and parses the coefficient file at `path`.
bool LoadCoefficients(const std::string& path, std::vector<ReferenceFunction>* out, std::string* error);

// mV rounded to whole hundred-thousandths of a mV, halves away from zero:
// 4.096225 gives 409623.  A value that does not fit (or NaN) gives 0; see
// Plausible().
int64_t RoundToHundredThousandths(long double millivolts);

// The rounded value as a plain decimal with five decimals ("-0.00258",
// "0.00000"): no exponent, no negative zero.
std::string FormatHundredThousandths(int64_t units);

}  // namespace orvela::eu::its90

#endif
