// Getters of the read description, over a read context filled in the test.
#include "writer_fixture.h"

namespace orvela::tavio::testing {
namespace {

class DescriptionGettersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DataFileContext& rd = ReadContext();
    rd.format = kFormatVelmontEnhanced;
    FileDescription& d = rd.description;
    d.channel_count = 2;
    d.samples_per_scan = 40;
    d.clock_rate = 999.9;
    d.data_type = 1;
    d.digital = 0;
    rd.cursor.scan_count = 3.0;
    rd.cursor.sample_count = 118.0;
    ChannelRecord& c = d.channels[1];
    CopyText(c.name, "Load");
    CopyText(c.units, "kN");
    CopyText(c.conversion_text, "linear");
    CopyText(c.tc_ref_text, "");
    c.counts_per_volt = 1234.5;
    c.offset_count = 100;
    c.manual_eu_adder = 0.5;
    c.shunt_cal_factor = 2.0;
    c.gauge_factor = 3.0;
    c.polynomial_order = 1;
    c.coefficients = {0.25, 2.0};
    c.voltage_points = {-5.0, 5.0};
    c.eu_points = {-50.0, 50.0};
  }
};

TEST_F(DescriptionGettersTest, FileWideValues) {
  int i = -1;
  double v = -1.0;
  EXPECT_EQ(TAVIO_GetChannelCount(&i), 0);
  EXPECT_EQ(i, 2);
  EXPECT_EQ(TAVIO_GetClockRate(&i), 0);
  EXPECT_EQ(i, 999);
  EXPECT_EQ(TAVIO_GetClockRateEx(&v), 0);
  EXPECT_EQ(v, 999.9);
  EXPECT_EQ(TAVIO_GetNumScanSamples(&i), 0);
  EXPECT_EQ(i, 40);
  EXPECT_EQ(TAVIO_GetDataType(&i), 0);
  EXPECT_EQ(i, 1);
  EXPECT_EQ(TAVIO_GetInputType(&i), 0);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(TAVIO_GetNumBytesPerSample(&i), 0);
  EXPECT_EQ(i, 4);
  EXPECT_EQ(TAVIO_GetFormatType(&i), 0);
  EXPECT_EQ(i, 2);
  EXPECT_EQ(TAVIO_GetScanCount(&i), 0);
  EXPECT_EQ(i, 3);
  EXPECT_EQ(TAVIO_GetSampleCount(&v), 0);
  EXPECT_EQ(v, 118.0);
  // Digital files: one word per 16 channels.
  ReadContext().description.digital = 1;
  ReadContext().description.channel_count = 32;
  EXPECT_EQ(TAVIO_GetNumBytesPerSample(&i), 0);
  EXPECT_EQ(i, 4);
  EXPECT_EQ(TAVIO_GetInputType(&i), 0);
  EXPECT_EQ(i, 1);
  EXPECT_EQ(TAVIO_GetChannelCount(nullptr), TAVIO_E_INDEX);
}

TEST_F(DescriptionGettersTest, ChannelValues) {
  char text[kTextRoom];
  double v = 0.0;
  unsigned short u = 0;
  EXPECT_EQ(TAVIO_GetChannelName(2, text), 0);
  EXPECT_STREQ(text, "Load");
  EXPECT_EQ(TAVIO_GetChannelUnits(2, text), 0);
  EXPECT_STREQ(text, "kN");
  EXPECT_EQ(TAVIO_GetConversionType(2, text), 0);
  EXPECT_STREQ(text, "linear");
  EXPECT_EQ(TAVIO_GetChannelTCRef(2, text), 0);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(TAVIO_GetCountsPerVolt(2, &v), 0);
  EXPECT_EQ(v, 1234.5);
  EXPECT_EQ(TAVIO_GetManualEuAdder(2, &v), 0);
  EXPECT_EQ(v, 0.5);
  EXPECT_EQ(TAVIO_GetShuntCalCF(2, &v), 0);
  EXPECT_EQ(v, 2.0);
  EXPECT_EQ(TAVIO_GetGaugeFactor(2, &v), 0);
  EXPECT_EQ(v, 3.0);
  EXPECT_EQ(TAVIO_GetOffsetCount(2, &u), 0);
  EXPECT_EQ(u, 100);
  EXPECT_EQ(TAVIO_GetPolynomialOrder(2, &u), 0);
  EXPECT_EQ(u, 1);
}

TEST_F(DescriptionGettersTest, PointsAndCoefficients) {
  using Getter = int (*)(int, int, double*);
  const struct {
    Getter get;
    double first, second;
  } cases[] = {
      {TAVIO_GetPolynomialCoeff, 0.25, 2.0},           {TAVIO_GetPolyCon, 0.25, 2.0},
      {TAVIO_GetCalibrationVoltagePoint, -5.0, 5.0},   {TAVIO_GetCalRaw, -5.0, 5.0},
      {TAVIO_GetEuCalibrationPoint, -50.0, 50.0},      {TAVIO_GetCalEU, -50.0, 50.0},
  };
  for (const auto& c : cases) {
    double v = 99.0;
    EXPECT_EQ(c.get(2, 1, &v), 0);
    EXPECT_EQ(v, c.first);
    EXPECT_EQ(c.get(2, 2, &v), 0);
    EXPECT_EQ(v, c.second);
    v = 99.0;
    EXPECT_EQ(c.get(2, 3, &v), TAVIO_E_INDEX);
    EXPECT_EQ(c.get(2, 0, &v), TAVIO_E_INDEX);
    EXPECT_EQ(c.get(3, 1, &v), TAVIO_E_CHANNEL);
    EXPECT_EQ(v, 99.0) << "out-parameters are not written on failure";
  }
  // A file that supplied no arrays (keyed header) reports 213, not garbage.
  ReadContext().description.channels[1].coefficients.clear();
  double v = 0.0;
  EXPECT_EQ(TAVIO_GetPolynomialCoeff(2, 1, &v), TAVIO_E_INDEX);
}

TEST_F(DescriptionGettersTest, ChannelNumbersAreChecked) {
  char text[kTextRoom];
  double v;
  unsigned short u;
  for (int ch : {0, 3, -7}) {
    EXPECT_EQ(TAVIO_GetChannelName(ch, text), TAVIO_E_CHANNEL);
    EXPECT_EQ(TAVIO_GetChannelUnits(ch, text), TAVIO_E_CHANNEL);
    EXPECT_EQ(TAVIO_GetChannelTCRef(ch, text), TAVIO_E_CHANNEL);
    EXPECT_EQ(TAVIO_GetConversionType(ch, text), TAVIO_E_CHANNEL);
    EXPECT_EQ(TAVIO_GetCountsPerVolt(ch, &v), TAVIO_E_CHANNEL);
    EXPECT_EQ(TAVIO_GetManualEuAdder(ch, &v), TAVIO_E_CHANNEL);
    EXPECT_EQ(TAVIO_GetShuntCalCF(ch, &v), TAVIO_E_CHANNEL);
    EXPECT_EQ(TAVIO_GetGaugeFactor(ch, &v), TAVIO_E_CHANNEL);
    EXPECT_EQ(TAVIO_GetOffsetCount(ch, &u), TAVIO_E_CHANNEL);
    EXPECT_EQ(TAVIO_GetPolynomialOrder(ch, &u), TAVIO_E_CHANNEL);
  }
}

}  // namespace
}  // namespace orvela::tavio::testing
