// Channel defaults and the setters of the write configuration.
#include "writer_fixture.h"

namespace orvela::tavio::testing {
namespace {

using ChannelConfigTest = WriterTest;

TEST_F(ChannelConfigTest, DefaultsDependOnTheDataType) {
  const struct {
    int type;
    uint16_t offset;
    double cpv;
  } cases[] = {{0, 32767, 2675.0}, {1, 0, 3200.0}, {128, 32767, 2675.0}, {129, 0, 3200.0}};
  for (const auto& c : cases) {
    ASSERT_EQ(TAVIO_CreateDataFile("Velmont", c.type, "x.dat"), 0);
    ASSERT_EQ(TAVIO_SetChannelCount(2), 0);
    const ChannelRecord& rec = Channel(WriteContext(), 2);
    EXPECT_STREQ(rec.name, "Ch2");
    EXPECT_STREQ(rec.units, "Volts");
    EXPECT_STREQ(rec.conversion_text, "Polynomial");
    EXPECT_STREQ(rec.tc_ref_text, "");
    EXPECT_EQ(rec.offset_count, c.offset) << c.type;
    EXPECT_EQ(rec.counts_per_volt, c.cpv) << c.type;
    EXPECT_EQ(rec.polynomial_order, 1);
    EXPECT_EQ(rec.coefficients, (std::vector<double>{0.0, 1.0}));
    EXPECT_EQ(rec.voltage_points, (std::vector<double>{-10.0, 10.0}));
    EXPECT_EQ(rec.eu_points, (std::vector<double>{-10.0, 10.0}));
    EXPECT_EQ(rec.reference_index, -1);
    EXPECT_EQ(WriteContext().segment_channels[0], 2);
  }
}

TEST_F(ChannelConfigTest, ChannelCountRules) {
  ASSERT_EQ(TAVIO_CreateDataFile("Velmont", 0, "x.dat"), 0);
  EXPECT_EQ(TAVIO_SetChannelCount(129), TAVIO_E_CHANNEL);
  EXPECT_EQ(WriteContext().description.channel_count, 0);
  ASSERT_EQ(TAVIO_SetChannelCount(0x10002), 0);  // low 16 bits
  EXPECT_EQ(WriteContext().description.channel_count, 2);
  TAVIO_SetChannelName(1, "Kept");
  // Raising the count keeps configured channels and gives new ones defaults.
  ASSERT_EQ(TAVIO_SetChannelCount(4), 0);
  EXPECT_STREQ(Channel(WriteContext(), 1).name, "Kept");
  EXPECT_STREQ(Channel(WriteContext(), 4).name, "Ch4");
  EXPECT_EQ(Channel(WriteContext(), 4).coefficients.size(), 2u);
  ASSERT_EQ(TAVIO_SetChannelCount(1), 0);
  EXPECT_EQ(TAVIO_SetChannelName(2, "x"), TAVIO_E_CHANNEL);
}

TEST_F(ChannelConfigTest, ChannelNumbersAreChecked) {
  ASSERT_EQ(TAVIO_CreateVelmontDataFile("x.dat", 0, 2, 10, 4), 0);
  using Setter = int (*)(int);
  const Setter setters[] = {
      [](int ch) { return TAVIO_SetChannelName(ch, "n"); },
      [](int ch) { return TAVIO_SetChannelUnits(ch, "u"); },
      [](int ch) { return TAVIO_SetChannelTCRef(ch, "r"); },
      [](int ch) { return TAVIO_SetConversionType(ch, "linear"); },
      [](int ch) { return TAVIO_SetCountsPerVolt(ch, 1.0); },
      [](int ch) { return TAVIO_SetOffsetCount(ch, 1); },
      [](int ch) { return TAVIO_SetManualEuAdder(ch, 1.0); },
      [](int ch) { return TAVIO_SetShuntCalCF(ch, 1.0); },
      [](int ch) { return TAVIO_SetGaugeFactor(ch, 1.0); },
      [](int ch) { return TAVIO_SetPolynomialOrder(ch, 1); },
      [](int ch) { return TAVIO_SetPolynomialCoeff(ch, 1, 1.0); },
      [](int ch) { return TAVIO_SetPolyCon(ch, 1, 1.0); },
      [](int ch) { return TAVIO_SetCalibrationVoltagePoint(ch, 1, 1.0); },
      [](int ch) { return TAVIO_SetCalRaw(ch, 1, 1.0); },
      [](int ch) { return TAVIO_SetEuCalibrationPoint(ch, 1, 1.0); },
      [](int ch) { return TAVIO_SetCalEU(ch, 1, 1.0); },
  };
  for (std::size_t i = 0; i < std::size(setters); ++i) {
    for (int ch : {0, 3, -1, 1000}) EXPECT_EQ(setters[i](ch), TAVIO_E_CHANNEL) << "setter " << i << " ch " << ch;
    EXPECT_EQ(setters[i](2), 0) << "setter " << i;
  }
}

TEST_F(ChannelConfigTest, TextSetters) {
  ASSERT_EQ(TAVIO_CreateVelmontDataFile("x.dat", 0, 2, 10, 4), 0);
  EXPECT_EQ(TAVIO_SetChannelName(1, ""), 0);
  EXPECT_EQ(TAVIO_SetChannelName(1, nullptr), 0);
  EXPECT_STREQ(Channel(WriteContext(), 1).name, "Ch1");
  const std::string long_name(400, 'n');
  EXPECT_EQ(TAVIO_SetChannelUnits(1, long_name.c_str()), 0);
  EXPECT_EQ(std::string(Channel(WriteContext(), 1).units), long_name.substr(0, 255));
}

TEST_F(ChannelConfigTest, ConversionTypes) {
  ASSERT_EQ(TAVIO_CreateVelmontDataFile("x.dat", 0, 1, 10, 4), 0);
  const struct {
    const char* text;
    int rc, code;
  } cases[] = {
      {"Type_K", 0, 6},        {"volts", 0, 0},   {"NONE", 0, 0},      {"linear", 0, 1},
      {"Polynomial", 0, 2},    {"type_b", 0, 3},  {"type_t", 0, 10},   {"tc_reference", 0, 11},
      {"Bridge", 0, 12},       {"type_x", 217, 0}, {"", 217, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TAVIO_SetConversionType(1, c.text), c.rc) << c.text;
    EXPECT_EQ(Channel(WriteContext(), 1).conversion_code, c.code) << c.text;
    EXPECT_STREQ(Channel(WriteContext(), 1).conversion_text, c.text);
  }
  // The reference mark, once set, stays.
  EXPECT_EQ(Channel(WriteContext(), 1).is_reference, 1);
}

TEST_F(ChannelConfigTest, PolynomialArrays) {
  ASSERT_EQ(TAVIO_CreateVelmontDataFile("x.dat", 0, 1, 10, 4), 0);
  EXPECT_EQ(TAVIO_SetPolynomialCoeff(1, 3, 5.0), TAVIO_E_INDEX);
  EXPECT_EQ(TAVIO_SetPolynomialCoeff(1, 0, 5.0), TAVIO_E_INDEX);
  ASSERT_EQ(TAVIO_SetPolynomialOrder(1, 2), 0);
  EXPECT_EQ(TAVIO_SetPolynomialCoeff(1, 3, 5.0), 0);
  EXPECT_EQ(Channel(WriteContext(), 1).coefficients, (std::vector<double>{0.0, 1.0, 5.0}));
  EXPECT_EQ(TAVIO_SetCalRaw(1, 3, 7.0), 0);
  EXPECT_EQ(TAVIO_SetCalEU(1, 4, 7.0), TAVIO_E_INDEX);
  ASSERT_EQ(TAVIO_SetPolynomialOrder(1, 0), 0);
  EXPECT_EQ(Channel(WriteContext(), 1).voltage_points, (std::vector<double>{-10.0}));
  EXPECT_EQ(TAVIO_SetEuCalibrationPoint(1, 2, 1.0), TAVIO_E_INDEX);
}

TEST_F(ChannelConfigTest, SegmentsAndHeaderSizes) {
  ASSERT_EQ(TAVIO_CreateDataFile("VelmontEnhanced", 0, "x.dat"), 0);
  ASSERT_EQ(TAVIO_SetNumChannelsInScanSegment(2, 5), 0);
  EXPECT_EQ(WriteContext().segment_count, 3);
  ASSERT_EQ(TAVIO_SetNumChannelsInScanSegment(0x101, 0x10007), 0);  // segment 1, 7 channels
  EXPECT_EQ(WriteContext().segment_channels[1], 7);
  EXPECT_EQ(WriteContext().segment_count, 3);
  ASSERT_EQ(TAVIO_SetNumScanSegments(0x102), 0);
  EXPECT_EQ(WriteContext().segment_count, 2);
  TAVIO_SetFormatVelmont();
  EXPECT_EQ(WriteContext().format, 1);
  EXPECT_EQ(WriteContext().scan_header_size, 24);
  TAVIO_SetFormatVelmontEnhanced();
  EXPECT_EQ(WriteContext().format, 2);
  EXPECT_EQ(WriteContext().data_header_size, 24);
  TAVIO_SetDataHeaderSize(99);
  EXPECT_EQ(WriteContext().data_header_size, 99);
}

TEST_F(ChannelConfigTest, DataTypes) {
  const struct {
    const char* format;
    int type, rc;
    uint16_t input, style;
  } cases[] = {
      {"Velmont", 129, 0, 129, 5}, {"Velmont", 128, 0, 128, 4}, {"VelmontEnhanced", 1, 0, 1, 5},
      {"Velmont", 2, 215, 0, 4},   {"KEPR", 129, 214, 0, 4},   {"DIZ", 1, 214, 0, 4},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(TAVIO_CreateDataFile("Velmont", 0, "x.dat"), 0);
    ASSERT_EQ(TAVIO_CreateDataFile(c.format, 0, "x.dat"), 0);
    EXPECT_EQ(TAVIO_SetDataType(c.type), c.rc) << c.format << c.type;
    EXPECT_EQ(WriteContext().description.input_data_type, c.input) << c.format << c.type;
    EXPECT_EQ(WriteContext().description.xfer_style, c.style) << c.format << c.type;
  }
  // Relabelling changes only the recorded type and style.
  ASSERT_EQ(TAVIO_CreateDataFile("Velmont", 0, "x.dat"), 0);
  EXPECT_EQ(TAVIO_ConvertToDataType(129), 0);
  EXPECT_EQ(WriteContext().description.recorded_data_type, 129);
  EXPECT_EQ(WriteContext().description.xfer_style, 5);
  EXPECT_EQ(WriteContext().description.input_data_type, 0);
  EXPECT_EQ(TAVIO_ConvertToDataType(3), TAVIO_E_DATA_TYPE);
  ASSERT_EQ(TAVIO_CreateDataFile("KEPR", 0, "x.dat"), 0);
  EXPECT_EQ(TAVIO_ConvertToDataType(0), TAVIO_E_FORMAT);
  EXPECT_EQ(TAVIO_ConvertToVelmontDataType(0), 0);
  EXPECT_EQ(TAVIO_ConvertToVelmontDataType(7), TAVIO_E_DATA_TYPE);
}

}  // namespace
}  // namespace orvela::tavio::testing
