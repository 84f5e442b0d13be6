// Keyed headers: hand-made files read back, their defaults, and damaged
// records refused.
#include <functional>

#include "read_fixture.h"

namespace orvela::tavio::testing {
namespace {

class KeyedHeaderReaderTest : public ReaderTest {};

Bytes U16(uint16_t v) { return ByteBuilder().U16(v).bytes; }
Bytes U32(uint32_t v) { return ByteBuilder().U32(v).bytes; }
Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes ChannelText(uint16_t ch, const std::string& s) { return ByteBuilder().U16(ch).Text(s).bytes; }

// Marker and the records every test file needs: format, 2 channels, S = 3.
ByteBuilder KeyedStart(const std::string& format = "Velmont") {
  ByteBuilder b;
  b.U16(0x7FFF).U32(0x7FFFFFFF);
  Key(b, "Format", Text(format));
  Key(b, "channelcount", U16(2));
  Key(b, "ScanNumSamples", U32(3));
  return b;
}

TEST_F(KeyedHeaderReaderTest, ReadsRecordsAndSamples) {
  ByteBuilder b = KeyedStart("velmontENHANCED");
  Key(b, "DataType", U16(1));
  Key(b, "ClockRate", U32(500));
  Key(b, "DataHeaderSize", U32(4));
  Key(b, "ScanHeaderSize", U32(2));
  Key(b, "ChannelName", ChannelText(2, "Pressure"));
  Key(b, "ChannelUnits", ChannelText(2, "bar"));
  Key(b, "CountsPerVolt", ByteBuilder().U16(1).F64(1000.0).bytes);
  Key(b, "OffsetCount", ByteBuilder().U16(2).U16(7).U16(0xFFFF).bytes);  // extra payload skipped
  Key(b, "SomethingElse", Text("ignored"));
  Key(b, "ChannelName", ChannelText(200, "no such channel"));
  Key(b, "End", Text("xyz"));
  b.Text("junk");  // the data header (4 bytes)
  for (int scan = 0; scan < 2; ++scan) {
    b.U16(0xAAAA);  // scan header
    for (int k = 0; k < 3; ++k) b.U16(static_cast<uint16_t>(-5 - k)).U16(static_cast<uint16_t>(100 + k + 3 * scan));
  }
  ASSERT_EQ(TAVIO_ReadDataFile(WriteFile("k.dat", b.bytes).c_str()), 0);
  int v = 0;
  double d = 0.0;
  char text[256];
  unsigned short u = 0;
  EXPECT_EQ((TAVIO_GetFormatType(&v), v), 4);
  EXPECT_EQ((TAVIO_GetDataType(&v), v), 1);
  EXPECT_EQ((TAVIO_GetClockRate(&v), v), 500);
  EXPECT_EQ((TAVIO_GetScanCount(&v), v), 2);
  EXPECT_EQ((TAVIO_GetSampleCount(&d), d), 6.0);
  EXPECT_STREQ((TAVIO_GetChannelName(1, text), text), "Ch1");
  EXPECT_STREQ((TAVIO_GetChannelName(2, text), text), "Pressure");
  EXPECT_STREQ((TAVIO_GetChannelUnits(2, text), text), "bar");
  EXPECT_EQ((TAVIO_GetCountsPerVolt(1, &d), d), 1000.0);
  EXPECT_EQ((TAVIO_GetCountsPerVolt(2, &d), d), 3200.0);  // signed default
  EXPECT_EQ((TAVIO_GetOffsetCount(2, &u), u), 7);
  EXPECT_EQ((TAVIO_GetOffsetCount(1, &u), u), 0);
  EXPECT_EQ(Sample(0, 1, 1), -6.0);
  EXPECT_EQ(Sample(0, 4, 2), 104.0);
  EXPECT_EQ(TAVIO_GetCurrentSampleTimeInSeconds(&d), TAVIO_E_FORMAT);
}

TEST_F(KeyedHeaderReaderTest, StartsFromDefaultsNotFromThePreviousFile) {
  HeaderFields h;
  h.channels = 2;
  h.style = 0x85;
  h.channels = 16;
  h.names = {"Digital"};
  h.cpv = {1.0};
  h.orders = {5};
  ASSERT_EQ(TAVIO_ReadDataFile(WriteFile("first.dat", FixedHeader(h)).c_str()), 0);
  ByteBuilder b = KeyedStart();
  b.U8(0);
  ASSERT_EQ(TAVIO_ReadDataFile(WriteFile("k.dat", b.bytes).c_str()), 0);
  int v = 0;
  double d = 0.0;
  char text[256];
  unsigned short u = 0;
  EXPECT_EQ((TAVIO_GetInputType(&v), v), 0);
  EXPECT_EQ((TAVIO_GetDataType(&v), v), 0);
  EXPECT_EQ((TAVIO_GetClockRateEx(&d), d), 0.0);
  EXPECT_STREQ((TAVIO_GetChannelName(1, text), text), "Ch1");
  EXPECT_STREQ((TAVIO_GetConversionType(1, text), text), "Polynomial");
  EXPECT_EQ((TAVIO_GetCountsPerVolt(1, &d), d), 2675.0);
  EXPECT_EQ((TAVIO_GetOffsetCount(1, &u), u), 32767);
  EXPECT_EQ((TAVIO_GetPolynomialOrder(1, &u), u), 1);
  EXPECT_EQ((TAVIO_GetPolynomialCoeff(1, 2, &d), d), 1.0);
  EXPECT_EQ((TAVIO_GetFormatType(&v), v), 3);
  EXPECT_EQ((TAVIO_GetNumBytesPerSample(&v), v), 4);
}

struct KeyedCase {
  const char* name;
  std::function<Bytes()> make;
  int code;
};

TEST_F(KeyedHeaderReaderTest, DamagedRecordsAreRefused) {
  const KeyedCase cases[] = {
      {"unknown format", [] { return KeyedStart("Velmont2").U8(0).bytes; }, TAVIO_E_FORMAT_NAME},
      {"format with a NUL inside", [] { return KeyedStart(std::string("Velmont\0x", 9)).U8(0).bytes; },
       TAVIO_E_FORMAT_NAME},
      {"no format",
       [] {
         ByteBuilder b;
         b.U16(0x7FFF).U32(0x7FFFFFFF);
         Key(b, "ChannelCount", U16(2));
         Key(b, "ScanNumSamples", U32(3));
         return b.U8(0).bytes;
       },
       TAVIO_E_FORMAT_NAME},
      {"no end of the records", [] { return KeyedStart().bytes; }, TAVIO_E_FILE},
      {"key cut", [] { return KeyedStart().U8(10).Text("Chan").bytes; }, TAVIO_E_FILE},
      {"payload length past the file",
       [] { return KeyedStart().U8(3).Text("End").U32(1000).Text("abc").bytes; }, TAVIO_E_FILE},
      {"payload length of 4 GiB", [] { return KeyedStart().U8(3).Text("End").U32(0xFFFFFFFF).bytes; },
       TAVIO_E_FILE},
      {"payload shorter than its field",
       [] {
         ByteBuilder b = KeyedStart();
         Key(b, "ClockRate", U16(5));
         return b.U8(0).bytes;
       },
       TAVIO_E_FILE},
      {"no channel count",
       [] {
         ByteBuilder b;
         b.U16(0x7FFF).U32(0x7FFFFFFF);
         Key(b, "Format", Text("Velmont"));
         Key(b, "ScanNumSamples", U32(3));
         return b.U8(0).bytes;
       },
       TAVIO_E_FILE},
      {"129 channels",
       [] {
         ByteBuilder b = KeyedStart();
         Key(b, "ChannelCount", U16(129));
         return b.U8(0).bytes;
       },
       TAVIO_E_FILE},
      {"no samples per scan",
       [] {
         ByteBuilder b = KeyedStart();
         Key(b, "ScanNumSamples", U32(0));
         return b.U8(0).bytes;
       },
       TAVIO_E_FILE},
      {"scan header larger than the buffer",
       [] {
         ByteBuilder b = KeyedStart();
         Key(b, "ScanHeaderSize", U32(5000000));
         return b.U8(0).bytes;
       },
       TAVIO_E_FILE},
      {"segments naming more channels than the file has",
       [] {
         ByteBuilder b = KeyedStart();
         Key(b, "NumScanSegments", Bytes{1});
         Key(b, "NumScanSegmentChannels", ByteBuilder().U8(0).U16(3).bytes);
         return b.U8(0).bytes;
       },
       TAVIO_E_FILE},
  };
  for (const KeyedCase& c : cases) {
    EXPECT_EQ(TAVIO_ReadDataFile(WriteFile("bad.dat", c.make()).c_str()), c.code) << c.name;
    int n = -1;
    TAVIO_GetChannelCount(&n);
    EXPECT_EQ(n, 0) << c.name;
  }
}

TEST_F(KeyedHeaderReaderTest, LongTextsAreCut) {
  ByteBuilder b = KeyedStart();
  Key(b, "ChannelUnits", ChannelText(1, std::string(400, 'u')));
  b.U8(0);
  ASSERT_EQ(TAVIO_ReadDataFile(WriteFile("k.dat", b.bytes).c_str()), 0);
  char text[256];
  EXPECT_EQ(std::string((TAVIO_GetChannelUnits(1, text), text)), std::string(255, 'u'));
}

}  // namespace
}  // namespace orvela::tavio::testing
