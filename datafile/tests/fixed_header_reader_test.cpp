// Fixed headers read back into the read description: hand-built headers,
// damaged and oversized ones refused or cut to fit.
#include <cmath>
#include <functional>

#include "read_fixture.h"

namespace orvela::tavio::testing {
namespace {

class FixedHeaderReaderTest : public ReaderTest {};

BcdStamp Stamp() { return StampFromFields(31, 9, 5, 7, 0); }

TEST_F(FixedHeaderReaderTest, ReadsDescriptionAndCounts) {
  HeaderFields h;
  h.channels = 3;
  h.samples = 4;
  h.clock = 250;
  h.last_sub = 2;
  h.names = {"Load", "Temp", "Cold"};
  h.units = {"kN", "degC", "degC"};
  h.types = {"linear", "type_k", "TC_Reference"};
  h.refs = {"", "Cold", ""};
  h.cpv = {100.0, 200.0, 300.0};
  h.offsets = {10.0, 20.0, 30.0};
  h.adders = {0.5, 0.0, -1.0};
  h.orders = {2, 1, 1};
  h.coefficients = {{1.0, 2.0, 3.0}};
  Bytes file = FixedHeader(h);
  const std::size_t header = file.size();
  ByteBuilder b;
  b.Append(file).Append(VelmontScans(3, 4, 3, Stamp())).Zeros(7);  // trailing partial block ignored
  ASSERT_EQ(TAVIO_ReadDataFile(WriteFile("a.dat", b.bytes).c_str()), 0);

  int v = 0;
  double d = 0.0;
  char text[256];
  unsigned short u = 0;
  EXPECT_EQ((TAVIO_GetChannelCount(&v), v), 3);
  EXPECT_EQ((TAVIO_GetNumScanSamples(&v), v), 4);
  EXPECT_EQ((TAVIO_GetFormatType(&v), v), 1);
  EXPECT_EQ((TAVIO_GetDataType(&v), v), 0);
  EXPECT_EQ((TAVIO_GetClockRateEx(&d), d), 250.0);
  EXPECT_EQ((TAVIO_GetScanCount(&v), v), 3);
  EXPECT_EQ((TAVIO_GetSampleCount(&d), d), 10.0);
  EXPECT_EQ((TAVIO_GetNumBytesPerSample(&v), v), 6);
  EXPECT_EQ(ReadContext().cursor.data_start, static_cast<double>(header));
  EXPECT_STREQ((TAVIO_GetChannelName(2, text), text), "Temp");
  EXPECT_STREQ((TAVIO_GetChannelUnits(1, text), text), "kN");
  EXPECT_STREQ((TAVIO_GetConversionType(3, text), text), "TC_Reference");
  EXPECT_STREQ((TAVIO_GetChannelTCRef(2, text), text), "Cold");
  EXPECT_EQ(ReadContext().description.channels[1].reference_index, 2);
  EXPECT_EQ(ReadContext().description.channels[1].conversion_code, 6);
  EXPECT_EQ((TAVIO_GetCountsPerVolt(3, &d), d), 300.0);
  EXPECT_EQ((TAVIO_GetOffsetCount(2, &u), u), 20);
  EXPECT_EQ((TAVIO_GetManualEuAdder(1, &d), d), 0.5);
  EXPECT_EQ((TAVIO_GetPolynomialOrder(1, &u), u), 2);
  EXPECT_EQ((TAVIO_GetPolynomialCoeff(1, 3, &d), d), 3.0);
  EXPECT_EQ(TAVIO_GetPolynomialCoeff(1, 4, &d), TAVIO_E_INDEX);
  EXPECT_EQ((TAVIO_GetCalibrationVoltagePoint(2, 2, &d), d), 10.0);
  EXPECT_EQ((TAVIO_GetEuCalibrationPoint(2, 1, &d), d), -10.0);

  double k = -1.0;
  int ch = 0;
  EXPECT_EQ(TAVIO_GetSampleAndChannel(&k, &ch), 0);
  EXPECT_EQ(k, 0.0);
  EXPECT_EQ(ch, 1);
  EXPECT_EQ(Sample(0, 9, 3), TestWord(9, 2));
}

TEST_F(FixedHeaderReaderTest, ReferencesResolveOnlyToReferenceChannels) {
  HeaderFields h;
  h.channels = 4;
  h.names = {"R", "T1", "T2", "R2"};
  h.types = {"RTD_Reference", "type_j", "type_j", "TC_Reference"};
  h.refs = {"T1", "R2", "T1", "R"};  // a reference names no reference
  ASSERT_EQ(TAVIO_ReadDataFile(WriteFile("r.dat", FixedHeader(h)).c_str()), 0);
  const auto& ch = ReadContext().description.channels;
  EXPECT_EQ(ch[0].reference_index, -1);
  EXPECT_EQ(ch[1].reference_index, 3);
  EXPECT_EQ(ch[2].reference_index, -1);  // T1 is not a reference channel
  EXPECT_EQ(ch[3].reference_index, -1);
  EXPECT_STREQ(ch[2].tc_ref_text, "");
  EXPECT_EQ(ReadContext().reference_count, 2);
}

TEST_F(FixedHeaderReaderTest, EnhancedSegmentsAndDigitalStyle) {
  HeaderFields h;
  h.channels = 3;
  h.enhanced = true;
  h.segments = {1, 2};
  ASSERT_EQ(TAVIO_ReadDataFile(WriteFile("e.dat", FixedHeader(h)).c_str()), 0);
  int v = 0;
  EXPECT_EQ((TAVIO_GetFormatType(&v), v), 2);
  const auto& ch = ReadContext().description.channels;
  // S = 4: segment 0 holds channel 1 (8 bytes), segment 1 channels 2 and 3.
  EXPECT_EQ(ch[0].scan_offset, 0);
  EXPECT_EQ(ch[0].stride, 2);
  EXPECT_EQ(ch[1].scan_offset, 8);
  EXPECT_EQ(ch[2].scan_offset, 10);
  EXPECT_EQ(ch[2].stride, 4);

  h = HeaderFields();
  h.channels = 32;
  h.style = 0x85;
  ASSERT_EQ(TAVIO_ReadDataFile(WriteFile("d.dat", FixedHeader(h)).c_str()), 0);
  EXPECT_EQ((TAVIO_GetInputType(&v), v), 1);
  EXPECT_EQ((TAVIO_GetDataType(&v), v), 5);
  EXPECT_EQ((TAVIO_GetNumBytesPerSample(&v), v), 4);
}

// Damaged or oversized headers: each is refused with 200, or cut to fit.
struct DamageCase {
  const char* name;
  std::function<Bytes()> make;
  int code;
};

Bytes Header(const std::function<void(HeaderFields&)>& edit) {
  HeaderFields h;
  edit(h);
  return FixedHeader(h);
}

Bytes Truncated(std::size_t keep) {
  Bytes b = FixedHeader(HeaderFields());
  b.resize(keep < b.size() ? keep : b.size());
  return b;
}

TEST_F(FixedHeaderReaderTest, DamagedHeadersAreRefused) {
  const std::size_t full = FixedHeader(HeaderFields()).size();
  const DamageCase cases[] = {
      {"empty file", [] { return Bytes(); }, TAVIO_E_FILE},
      {"three bytes", [] { return Bytes{2, 0, 4}; }, TAVIO_E_FILE},
      {"first part cut", [] { return Truncated(10); }, TAVIO_E_FILE},
      {"block cut", [] { return Truncated(600); }, TAVIO_E_FILE},
      {"no lists", [] { return Truncated(1015); }, TAVIO_E_FILE},
      {"lists cut", [] { return Truncated(1030); }, TAVIO_E_FILE},
      {"numeric blocks cut", [full] { return Truncated(full - 1); }, TAVIO_E_FILE},
      {"no channels", [] { return Header([](HeaderFields& h) { h.channels = 0; }); }, TAVIO_E_FILE},
      {"129 channels", [] { return Header([](HeaderFields& h) { h.channels = 129; }); }, TAVIO_E_FILE},
      {"no samples per scan", [] { return Header([](HeaderFields& h) { h.samples = 0; }); }, TAVIO_E_FILE},
      {"scan larger than the buffer",
       [] { return Header([](HeaderFields& h) { h.channels = 128; h.samples = 17000; }); }, TAVIO_E_FILE},
      {"segments name more channels than the file has",
       [] { return Header([](HeaderFields& h) { h.enhanced = true; h.segments = {2, 1}; }); }, TAVIO_E_FILE},
      {"digital file without a whole word", [] { return Header([](HeaderFields& h) { h.style = 0x84; h.channels = 8; }); },
       TAVIO_E_FILE},
      {"name list without its VT",
       [] {
         Bytes b = Truncated(1018);  // "Ch1" TAB "Ch" and nothing after
         return b;
       },
       TAVIO_E_FILE},
      {"lists of separators only up to the end",
       [] {
         Bytes b = Truncated(1015);
         b.insert(b.end(), 300, 9);
         return b;
       },
       TAVIO_E_FILE},
  };
  // A readable file first, whose samples must not show through afterwards.
  ByteBuilder good;
  good.Append(FixedHeader(HeaderFields())).Append(VelmontScans(2, 4, 1, Stamp()));
  const std::string good_path = WriteFile("good.dat", good.bytes);
  for (const DamageCase& c : cases) {
    ASSERT_EQ(TAVIO_ReadDataFile(good_path.c_str()), 0);
    ASSERT_EQ(Sample(0, 1, 2), TestWord(1, 1));
    const Bytes bytes = c.make();
    const std::string path = WriteFile("bad.dat", bytes);
    EXPECT_EQ(TAVIO_ReadDataFile(path.c_str()), c.code) << c.name;
    // Shorter than a format tag: refused before the read file is touched.
    if (bytes.size() < 4) continue;
    int n = -1;
    TAVIO_GetChannelCount(&n);
    EXPECT_EQ(n, 0) << c.name << ": a refused file leaves no channels behind";
    double v = -1.0;
    EXPECT_EQ(TAVIO_GetSingleSample(0, &v), 0) << c.name;
    EXPECT_EQ(v, 0.0) << c.name << ": no sample of the file read before";
    EXPECT_EQ(TAVIO_SetSample(0), TAVIO_E_NOT_OPEN) << c.name;
    EXPECT_EQ(TAVIO_CalcEUFromCounts(1, 5.0, &v), TAVIO_E_CHANNEL) << c.name;
  }
}

TEST_F(FixedHeaderReaderTest, OversizedValuesAreCutToFit) {
  HeaderFields h;
  h.names = {std::string(300, 'n'), "B"};
  h.orders = {12, 1};
  h.offsets = {1e9, std::nan("")};
  h.last_sub = 1000;  // more pad sets than the file has sets
  Bytes head = FixedHeader(h);
  // Two more name items than channels, spliced in before the VT.
  const std::size_t vt = 1015 + 300 + 1 + 1;  // the VT after "B"
  ASSERT_EQ(head[vt], 11);
  head[vt] = 9;
  const std::string extra = "extra\tmore\v";
  head.insert(head.begin() + static_cast<long>(vt) + 1, extra.begin(), extra.end());
  ByteBuilder b;
  b.Append(head).Append(VelmontScans(2, 4, 1, Stamp()));
  ASSERT_EQ(TAVIO_ReadDataFile(WriteFile("cut.dat", b.bytes).c_str()), 0);

  char text[256];
  EXPECT_EQ(std::string((TAVIO_GetChannelName(1, text), text)), std::string(255, 'n'));
  EXPECT_STREQ((TAVIO_GetChannelName(2, text), text), "B");
  EXPECT_STREQ((TAVIO_GetChannelUnits(2, text), text), "Volts");
  unsigned short u = 0;
  EXPECT_EQ((TAVIO_GetPolynomialOrder(1, &u), u), 9);
  double d = 0.0;
  EXPECT_EQ(TAVIO_GetPolynomialCoeff(1, 10, &d), 0);
  EXPECT_EQ(TAVIO_GetPolynomialCoeff(1, 11, &d), TAVIO_E_INDEX);
  EXPECT_EQ((TAVIO_GetOffsetCount(1, &u), u), 65535);
  EXPECT_EQ((TAVIO_GetOffsetCount(2, &u), u), 0);
  EXPECT_EQ((TAVIO_GetSampleCount(&d), d), 0.0);
}

TEST_F(FixedHeaderReaderTest, ShortListsGiveEmptyItemsAndNoReferenceListIsOptional) {
  HeaderFields h;
  h.channels = 2;
  h.ref_list = false;
  Bytes head = FixedHeader(h);
  // Names list "Ch1" VT: the second name is missing.
  const Bytes names = {'C', 'h', '1', 9, 'C', 'h', '2', 11};
  ASSERT_TRUE(std::equal(names.begin(), names.end(), head.begin() + 1015));
  head.erase(head.begin() + 1015 + 3, head.begin() + 1015 + 7);
  ASSERT_EQ(TAVIO_ReadDataFile(WriteFile("s.dat", head).c_str()), 0);
  char text[256];
  EXPECT_STREQ((TAVIO_GetChannelName(1, text), text), "Ch1");
  EXPECT_STREQ((TAVIO_GetChannelName(2, text), text), "");
  EXPECT_STREQ((TAVIO_GetConversionType(2, text), text), "Polynomial");
  double d = 0.0;
  EXPECT_EQ((TAVIO_GetCountsPerVolt(2, &d), d), 2675.0);
}

}  // namespace
}  // namespace orvela::tavio::testing
