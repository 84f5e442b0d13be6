// Conversion type texts of a channel and their codes.
#ifndef TAVIO_CONVERSION_TYPE_H
#define TAVIO_CONVERSION_TYPE_H

namespace orvela::tavio {

inline constexpr int kConversionVolts = 0;
inline constexpr int kConversionLinear = 1;
inline constexpr int kConversionPolynomial = 2;
inline constexpr int kConversionTypeB = 3;
inline constexpr int kConversionTypeT = 10;
inline constexpr int kConversionTcReference = 11;
inline constexpr int kConversionBridge = 12;

// Returns the code of a conversion type text, matched without regard to case;
// *known (nullable) tells whether the text is one of the recognised names.
// An unknown or NULL text gives code 0.
int ConversionCodeFromText(const char* text, bool* known);

}  // namespace orvela::tavio

#endif
