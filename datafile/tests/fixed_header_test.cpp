// Fixed headers compared byte for byte with layouts computed from the
// format's tables.
#include "fixed_header.h"

#include <cmath>

#include "writer_fixture.h"

namespace orvela::tavio::testing {
namespace {

struct ExpectedChannel {
  std::string name = "Ch1", units = "Volts", type = "Polynomial", ref;
  double cpv = 2675.0, offset = 32767.0, adder = 0.0;
  uint16_t order = 1;
  std::vector<double> volts{-10.0, 10.0}, eu{-10.0, 10.0}, coeffs{0.0, 1.0};
};

// The header as the format's tables lay it out.
Bytes ExpectedHeader(const std::vector<ExpectedChannel>& ch, uint32_t s, uint16_t style, uint32_t clock,
                     const std::vector<uint16_t>* segments) {
  ByteBuilder b;
  b.U16(static_cast<uint16_t>(ch.size())).U32(s).U16(style).U16(0).U32(clock);
  b.U8(segments != nullptr ? 1 : 0);
  if (segments != nullptr) {
    b.U8(static_cast<uint8_t>(segments->size()));
    for (uint16_t n : *segments) b.U16(n);
  }
  b.U8(1).F64(1.0).U8(0).U32(0);
  b.Zeros(1014 - b.bytes.size());
  b.U8(0);
  for (std::size_t i = 0; i < ch.size(); ++i) b.Text(i ? "\t" : "").Text(ch[i].name);
  b.U8(11);
  for (const auto& c : ch) b.Text("\t").Text(c.units);
  b.U8(11);
  for (const auto& c : ch) b.Text("\t").Text(c.type);
  b.U8(11).Text("TC_Ref");
  for (const auto& c : ch) b.Text("\t").Text(c.ref);
  b.U8(11);
  for (const auto& c : ch) b.F64(c.cpv);
  for (const auto& c : ch) b.F64(c.offset);
  for (auto member : {&ExpectedChannel::volts, &ExpectedChannel::eu, &ExpectedChannel::coeffs})
    for (std::size_t m = 0; m < 10; ++m)
      for (const auto& c : ch) b.F64(m < (c.*member).size() ? (c.*member)[m] : 0.0);
  for (const auto& c : ch) b.U16(c.order);
  for (const auto& c : ch) b.F64(c.adder);
  return b.bytes;
}

std::vector<ExpectedChannel> DefaultChannels(int n) {
  std::vector<ExpectedChannel> ch(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) ch[static_cast<std::size_t>(i)].name = "Ch" + std::to_string(i + 1);
  return ch;
}

class FixedHeaderTest : public WriterTest {
 protected:
  // Writes a file with the header only and returns its bytes.
  Bytes HeaderOnly(const char* format, int type, int channels, double clock, int s,
                   void (*configure)() = nullptr) {
    const std::string path = Path("h.dat");
    EXPECT_EQ(TAVIO_CreateDataFile(format, type, path.c_str()), 0);
    EXPECT_EQ(TAVIO_SetChannelCount(channels), 0);
    TAVIO_SetClockRateEx(clock);
    TAVIO_SetNumScanSamples(s);
    if (configure != nullptr) configure();
    EXPECT_EQ(TAVIO_WriteHeader(), 0);
    EXPECT_EQ(TAVIO_CloseWriteFile(), 0);
    return ReadWholeFile(path);
  }
};

TEST_F(FixedHeaderTest, TwoDefaultChannelsGiveThe1600ByteHeader) {
  const Bytes file = HeaderOnly("Velmont", 0, 2, 100.0, 4);
  ASSERT_EQ(file.size(), 1600u);
  EXPECT_EQ(file, ExpectedHeader(DefaultChannels(2), 4, 4, 100, nullptr));
  const std::string lists =
      std::string(1, '\0') + "Ch1\tCh2\v\tVolts\tVolts\v\tPolynomial\tPolynomial\vTC_Ref\t\t\v";
  ASSERT_EQ(lists.size(), 54u);
  EXPECT_EQ(Bytes(file.begin() + 1014, file.begin() + 1068), Bytes(lists.begin(), lists.end()));
}

TEST_F(FixedHeaderTest, HeaderLengthFollowsListsAndChannels) {
  // 1015 + list bytes + 266 x N, no stamp without samples.
  const Bytes file = HeaderOnly("Velmont", 0, 3, 10.0, 4);
  const std::size_t lists = (3 * 3 + 2 + 1) + (3 * 6 + 1) + (3 * 11 + 1) + (6 + 3 + 1);
  EXPECT_EQ(file.size(), 1015 + lists + 266 * 3);
}

TEST_F(FixedHeaderTest, SegmentTableMovesLastScanSubCount) {
  struct Case {
    std::vector<uint16_t> segments;
    std::size_t sub_count_offset;
  };
  const Case cases[] = {{{2}, 28}, {{1, 1}, 30}, {{1, 0, 1}, 32}};
  for (const Case& c : cases) {
    const std::string path = Path("e.dat");
    ASSERT_EQ(TAVIO_CreateDataFile("VelmontEnhanced", 0, path.c_str()), 0);
    ASSERT_EQ(TAVIO_SetChannelCount(2), 0);
    TAVIO_SetClockRate(100);
    TAVIO_SetNumScanSamples(4);
    for (std::size_t i = 0; i < c.segments.size(); ++i)
      TAVIO_SetNumChannelsInScanSegment(static_cast<int>(i), c.segments[i]);
    ASSERT_EQ(TAVIO_WriteHeader(), 0);
    ASSERT_EQ(TAVIO_CloseWriteFile(), 0);
    const Bytes file = ReadWholeFile(path);
    EXPECT_EQ(file, ExpectedHeader(DefaultChannels(2), 4, 4, 100, &c.segments)) << c.segments.size();
    // The 1000-byte block ends in zero padding right after lastScanSubCount.
    EXPECT_EQ(c.sub_count_offset, 26 + 2 * c.segments.size());
    for (std::size_t i = c.sub_count_offset + 4; i < 1014; ++i) ASSERT_EQ(file[i], 0) << i;
  }
}

TEST_F(FixedHeaderTest, ClockRateIsRoundedUp) {
  const struct {
    double hz;
    uint32_t recorded;
  } cases[] = {{12.5, 13}, {100.0, 100}, {999.9, 1000}, {0.0, 0}, {-5.0, 0}, {1e12, 4294967295u}};
  for (const auto& c : cases) {
    EXPECT_EQ(RecordedClockRate(c.hz), c.recorded) << c.hz;
  }
  EXPECT_EQ(U32At(HeaderOnly("Velmont", 0, 1, 12.5, 4), 10), 13u);
}

TEST_F(FixedHeaderTest, HighOrderIsCappedAtNine) {
  const Bytes file = HeaderOnly("Velmont", 0, 1, 100.0, 4, [] {
    TAVIO_SetPolynomialOrder(1, 12);
    for (int i = 1; i <= 13; ++i) {
      TAVIO_SetPolynomialCoeff(1, i, i * 1.0);
      TAVIO_SetCalibrationVoltagePoint(1, i, i * 10.0);
      TAVIO_SetEuCalibrationPoint(1, i, i * 100.0);
    }
  });
  ExpectedChannel c;
  c.order = 9;
  c.volts.clear();
  c.eu.clear();
  c.coeffs.clear();
  for (int i = 1; i <= 10; ++i) {
    c.coeffs.push_back(i);
    c.volts.push_back(i * 10.0);
    c.eu.push_back(i * 100.0);
  }
  EXPECT_EQ(file, ExpectedHeader({c}, 4, 4, 100, nullptr));
}

TEST_F(FixedHeaderTest, ChannelSettingsAreRecorded) {
  // Signed data, a bridge, a reference channel and a channel referring to it,
  // and a reference text that names no reference channel.
  const Bytes file = HeaderOnly("Velmont", 1, 4, 100.0, 4, [] {
    TAVIO_SetChannelName(1, "Probe");
    TAVIO_SetConversionType(1, "type_k");
    TAVIO_SetChannelTCRef(1, "Junction");
    TAVIO_SetChannelUnits(1, "degC");
    TAVIO_SetChannelName(2, "Junction");
    TAVIO_SetConversionType(2, "TC_Reference");
    TAVIO_SetConversionType(3, "bridge");
    TAVIO_SetCountsPerVolt(3, 1000.0);
    TAVIO_SetGaugeFactor(3, 2.0);
    TAVIO_SetShuntCalCF(3, 0.5);
    TAVIO_SetChannelTCRef(4, "Probe");  // not a reference channel
    TAVIO_SetOffsetCount(4, 70000);     // low 16 bits: 4464
    TAVIO_SetManualEuAdder(4, -1.5);
  });
  std::vector<ExpectedChannel> ch = DefaultChannels(4);
  for (auto& c : ch) {
    c.cpv = 3200.0;
    c.offset = 0.0;
  }
  ch[0].name = "Probe";
  ch[0].type = "type_k";
  ch[0].ref = "Junction";
  ch[0].units = "degC";
  ch[1].name = "Junction";
  ch[1].type = "TC_Reference";
  ch[2].type = "volts";
  ch[2].cpv = 2.0 * 1000.0 / (4.0 * 0.5);
  ch[3].offset = 4464.0;
  ch[3].adder = -1.5;
  EXPECT_EQ(file, ExpectedHeader(ch, 4, 5, 100, nullptr));
  EXPECT_EQ(WriteContext().description.channels[0].reference_index, 1);
  EXPECT_EQ(WriteContext().description.channels[3].reference_index, -1);
}

TEST_F(FixedHeaderTest, LongestTextsOf128ChannelsFit) {
  const std::string long_text(300, 'x');
  const Bytes file = HeaderOnly("Velmont", 0, 128, 100.0, 1, [] {
    const std::string text(300, 'x');
    for (int ch = 1; ch <= 128; ++ch) {
      TAVIO_SetChannelName(ch, text.c_str());
      TAVIO_SetChannelUnits(ch, text.c_str());
      TAVIO_SetConversionType(ch, text.c_str());
      TAVIO_SetChannelTCRef(ch, text.c_str());
    }
  });
  // Texts are cut to 255 characters; list 4 is empty (no reference channel).
  const std::size_t lists = (128 * 255 + 127 + 1) + 2 * (128 * 256 + 1) + (6 + 128 + 1);
  EXPECT_EQ(file.size(), 1015 + lists + 266 * 128);
}

}  // namespace
}  // namespace orvela::tavio::testing
