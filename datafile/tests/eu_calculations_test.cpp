// Counts to volts to EU by conversion type, the units rule, thermocouples
// with a reference channel, and the calibration fit of the write side.
#include <cmath>

#include "eu.h"
#include "read_fixture.h"

namespace orvela::tavio::testing {
namespace {

class EuCalculationsTest : public ReaderTest {
 protected:
  // One channel per row of the conversion table below, plus a thermocouple
  // (channel 10) referenced to a cold-junction channel (channel 11).
  void ReadTable(uint16_t style = 4) {
    HeaderFields h;
    h.channels = 11;
    h.samples = 1;
    h.style = style;
    h.names = {"v", "lin", "poly", "refF", "refK", "tk", "tkft", "bridge", "odd", "tc", "cold"};
    h.types = {"volts", "LINEAR", "polynomial", "TC_Reference", "TC_Reference", "type_k",
               "type_k", "bridge", "strain", "type_j", "TC_Reference"};
    h.units = {"V", "N", "x", "degF", "K", "C", "ft", "ue", "V", "C", "C"};
    h.refs = {"", "", "", "", "", "", "", "", "", "cold", ""};
    h.adders = {0.25, 0.5, 0.25, 1.0, 0.0, 0.0, 0.0, 0.1, 0.0, 0.0, 0.0};
    h.orders = {1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1};
    h.coefficients = {{0.0, 1.0}, {1.0, 3.0}, {1.0, 2.0, 0.5}};
    // The cold junction reads 25 degrees C: (counts - 0) / 4 = 25 at 100 counts.
    h.cpv = std::vector<double>(10, 2675.0);
    h.cpv.push_back(4.0);
    h.offsets = std::vector<double>(10, style == 5 ? 0.0 : 32767.0);
    h.offsets.push_back(style == 5 ? 20.0 : 0.0);
    ByteBuilder b;
    b.Append(FixedHeader(h)).Zeros(24);
    for (int c = 0; c < 10; ++c) b.U16(style == 5 ? 1000 : 33767);
    b.U16(style == 5 ? static_cast<uint16_t>(-80) : 100);  // signed: (-80 - 20) / 4 = -25 degrees C
    ASSERT_EQ(TAVIO_ReadDataFile(WriteFile("eu.dat", b.bytes).c_str()), 0);
  }
};

TEST_F(EuCalculationsTest, EuByConversionType) {
  ReadTable();
  double v = 0.0;
  ASSERT_EQ(TAVIO_CalcVoltsFromCounts(1, 38117.0, &v), 0);
  EXPECT_DOUBLE_EQ(v, 2.0);
  struct Case {
    int ch;
    double volts;
    double eu;
  };
  const double bridge = (-4.0 * 0.2 * 1.0) / ((2.0 * 0.2 - 1.0) * 1.0) + 0.1;
  const Case cases[] = {
      {1, 2.0, 2.25},
      {2, 2.0, 2.0 * 3.0 + 0.5 + 1.0},
      {3, 2.0, 1.0 + 4.0 + 2.0 + 0.25},
      {4, 25.0, 77.0 + 1.0},
      {5, 25.0, 298.15},
      {6, 0.004096, EUlookup_mv2c(4.096, 6)},
      {7, 0.004096, EUlookup_mv2c(4.096, 6) * 1.8 + 32.0},
      {8, 0.2, bridge},
      {9, 1.5, 1.5},  // an unrecognised text converts as volts
  };
  for (const Case& c : cases) {
    double eu = -1.0;
    ASSERT_EQ(TAVIO_CalcEUFromVolts(c.ch, c.volts, &eu), 0) << c.ch;
    EXPECT_NEAR(eu, c.eu, 1e-9) << "channel " << c.ch;
  }
  // Every thermocouple code is its own lookup type (channel 6: units C, no
  // reference).
  for (int code = 3; code <= 10; ++code) {
    ReadContext().description.channels[5].conversion_code = code;
    double tc = 0.0;
    ASSERT_EQ(TAVIO_CalcEUFromVolts(6, 0.004096, &tc), 0);
    EXPECT_EQ(tc, EUlookup_mv2c(4.096, code)) << "code " << code;
  }
  ReadContext().description.channels[5].conversion_code = 6;

  double eu = 0.0;
  EXPECT_EQ(TAVIO_CalcEUFromVolts(0, 1.0, &eu), TAVIO_E_CHANNEL);
  EXPECT_EQ(TAVIO_CalcEUFromVolts(12, 1.0, &eu), TAVIO_E_CHANNEL);
  EXPECT_EQ(TAVIO_CalcVoltsFromCounts(12, 1.0, &v), TAVIO_E_CHANNEL);
  EXPECT_EQ(TAVIO_CalcEUFromCounts(1, 1.0, nullptr), TAVIO_E_INDEX);
  ASSERT_EQ(TAVIO_CalcEUFromCounts(2, 38117.0, &eu), 0);
  EXPECT_DOUBLE_EQ(eu, 7.5);

  // A code without a rule leaves the output alone.
  ReadContext().description.channels[0].conversion_code = 99;
  eu = 42.0;
  EXPECT_EQ(TAVIO_CalcEUFromVolts(1, 1.0, &eu), 0);
  EXPECT_EQ(eu, 42.0);
}

TEST_F(EuCalculationsTest, ThermocoupleReadsItsReferenceWithoutMovingTheCursor) {
  for (uint16_t style : {4, 5}) {
    ReadTable(style);
    const double cold = style == 5 ? -25.0 : 25.0;
    const double volts = 1000.0 / 2675.0;  // both styles give a count 1000 above the offset
    const double expected = EUlookup_mv2c((EUlookup_c2mv(cold, 5) * 0.001 + volts) * 1000.0, 5);
    double eu = 0.0;
    ASSERT_EQ(TAVIO_GetSingleSampleExtended(2, 0, 10, &eu), 0);
    EXPECT_NEAR(eu, expected, 1e-9) << "style " << style;
    double k = -1.0;
    int ch = 0;
    TAVIO_GetSampleAndChannel(&k, &ch);
    EXPECT_EQ(ch, 10) << "the cursor stays on the thermocouple";
    double count = 0.0;
    ASSERT_EQ(TAVIO_GetSingleSample(0, &count), 0);
    EXPECT_EQ(count, style == 5 ? 1000.0 : 33767.0);
    EXPECT_EQ(Sample(2, 0, 11), cold);
  }
}

TEST_F(EuCalculationsTest, MillivoltLookupsUseTypeKForUnknownTypes) {
  struct Case {
    int type;
    int lookup;
  };
  for (const Case c : {Case{3, 3}, Case{5, 5}, Case{10, 10}, Case{6, 6}, Case{11, 6}, Case{0, 6}, Case{-1, 6}}) {
    double mv = 0.0;
    double deg = 0.0;
    ASSERT_EQ(TAVIO_CalcMvFromDegC(300.0, c.type, &mv), 0);
    EXPECT_EQ(mv, EUlookup_c2mv(300.0, c.lookup)) << c.type;
    ASSERT_EQ(TAVIO_CalcDegCFromMv(5.0, c.type, &deg), 0);
    EXPECT_EQ(deg, EUlookup_mv2c(5.0, c.lookup)) << c.type;
  }
  EXPECT_EQ(TAVIO_CalcMvFromDegC(1.0, 6, nullptr), TAVIO_E_INDEX);
  EXPECT_EQ(TAVIO_CalcDegCFromMv(1.0, 6, nullptr), TAVIO_E_INDEX);
}

TEST_F(EuCalculationsTest, GeneratePolynomialCoeffsFitsTheWriteChannel) {
  ASSERT_EQ(TAVIO_CreateDataFile("Velmont", 0, Path("w.dat").c_str()), 0);
  ASSERT_EQ(TAVIO_SetChannelCount(2), 0);
  TAVIO_SetPolynomialCoeff(1, 1, 5.0);
  TAVIO_SetPolynomialCoeff(1, 2, 5.0);
  ASSERT_EQ(TAVIO_GeneratePolynomialCoeffs(1, 2), 0);
  const ChannelRecord& rec = WriteContext().description.channels[0];
  EXPECT_NEAR(rec.coefficients[0], 0.0, 1e-12);
  EXPECT_NEAR(rec.coefficients[1], 1.0, 1e-12);

  struct Case {
    int ch;
    int points;
    int code;
  };
  for (const Case c : {Case{3, 2, TAVIO_E_CHANNEL}, Case{0, 2, TAVIO_E_CHANNEL}, Case{1, 1, TAVIO_E_INDEX},
                       Case{1, 3, TAVIO_E_INDEX}, Case{1, -2, TAVIO_E_INDEX}, Case{1, 0, 0}})
    EXPECT_EQ(TAVIO_GeneratePolynomialCoeffs(c.ch, c.points), c.code) << c.ch << "/" << c.points;

  ASSERT_EQ(TAVIO_SetPolynomialOrder(2, 2), 0);
  const double x[] = {-1.0, 0.0, 1.0};
  const double y[] = {3.0, 1.0, 3.0};  // 1 + 2 x^2
  for (int j = 1; j <= 3; ++j) {
    TAVIO_SetCalibrationVoltagePoint(2, j, x[j - 1]);
    TAVIO_SetEuCalibrationPoint(2, j, y[j - 1]);
  }
  ASSERT_EQ(TAVIO_GeneratePolynomialCoeffs(2, 3), 0);
  const ChannelRecord& rec2 = WriteContext().description.channels[1];
  EXPECT_NEAR(rec2.coefficients[0], 1.0, 1e-9);
  EXPECT_NEAR(rec2.coefficients[1], 0.0, 1e-9);
  EXPECT_NEAR(rec2.coefficients[2], 2.0, 1e-9);
  EXPECT_EQ(rec2.polynomial_order, 2);

  TAVIO_SetCalibrationVoltagePoint(2, 2, -1.0);  // two points at the same volts
  TAVIO_SetCalibrationVoltagePoint(2, 3, -1.0);
  EXPECT_EQ(TAVIO_GeneratePolynomialCoeffs(2, 3), TAVIO_E_FIT);
}

}  // namespace
}  // namespace orvela::tavio::testing
