// Translation: a "Velmont" recording into each output format and back, sub
// ranges, signed sources, layouts the output must not copy blindly.
#include <cmath>
#include <fstream>

#include "read_fixture.h"

namespace orvela::tavio::testing {
namespace {

constexpr int kChannels = 4;
constexpr int kSets = 250;

// What a reader reports about one file: configuration and every count.
struct Snapshot {
  int channels = 0;
  double samples = 0;
  int format = 0;
  int data_type = 0;
  int scan_samples = 0;
  std::vector<std::string> names, units, types, refs;
  std::vector<double> cpv, adders;
  std::vector<unsigned short> offsets, orders;
  std::vector<std::vector<double>> coefficients, volt_points, eu_points;
  std::vector<std::vector<double>> counts;  // [k][c]
  double first_time = -1.0;
};

Snapshot Take(const std::string& path) {
  Snapshot s;
  EXPECT_EQ(TAVIO_ReadDataFile(path.c_str()), 0) << path;
  TAVIO_GetChannelCount(&s.channels);
  TAVIO_GetSampleCount(&s.samples);
  TAVIO_GetFormatType(&s.format);
  TAVIO_GetDataType(&s.data_type);
  TAVIO_GetNumScanSamples(&s.scan_samples);
  for (int ch = 1; ch <= s.channels; ++ch) {
    char text[256];
    double d = 0.0;
    unsigned short u = 0;
    s.names.push_back((TAVIO_GetChannelName(ch, text), text));
    s.units.push_back((TAVIO_GetChannelUnits(ch, text), text));
    s.types.push_back((TAVIO_GetConversionType(ch, text), text));
    s.refs.push_back((TAVIO_GetChannelTCRef(ch, text), text));
    s.cpv.push_back((TAVIO_GetCountsPerVolt(ch, &d), d));
    s.adders.push_back((TAVIO_GetManualEuAdder(ch, &d), d));
    s.offsets.push_back((TAVIO_GetOffsetCount(ch, &u), u));
    s.orders.push_back((TAVIO_GetPolynomialOrder(ch, &u), u));
    std::vector<double> coefficients, volts, eus;
    for (int j = 1; j <= s.orders.back() + 1; ++j) {
      coefficients.push_back((TAVIO_GetPolynomialCoeff(ch, j, &d), d));
      volts.push_back((TAVIO_GetCalibrationVoltagePoint(ch, j, &d), d));
      eus.push_back((TAVIO_GetEuCalibrationPoint(ch, j, &d), d));
    }
    s.coefficients.push_back(coefficients);
    s.volt_points.push_back(volts);
    s.eu_points.push_back(eus);
  }
  for (int k = 0; k < s.samples; ++k) {
    std::vector<double> set;
    for (int ch = 1; ch <= s.channels; ++ch) {
      double v = 0.0;
      EXPECT_EQ(TAVIO_GetSingleSampleExtended(0, k, ch, &v), 0);
      set.push_back(v);
    }
    if (k == 0) TAVIO_GetCurrentSampleTimeInSeconds(&s.first_time);
    s.counts.push_back(set);
  }
  TAVIO_CloseReadFile();
  return s;
}

class TranslationTest : public ReaderTest {
 protected:
  // A 4-channel "Velmont" recording at 100 Hz with S = 100 and 250 sets: a
  // polynomial load cell, a thermocouple on a cold junction, a linear channel.
  std::string Source(int data_type = 0, double rate = 100.0, int s = 100) {
    const std::string path = Path("source.dat");
    EXPECT_EQ(TAVIO_CreateVelmontDataFile(path.c_str(), data_type, kChannels, 100, s), 0);
    TAVIO_SetClockRateEx(rate);
    TAVIO_SetChannelName(1, "Load");
    TAVIO_SetChannelUnits(1, "kN");
    TAVIO_SetConversionType(1, "polynomial");
    TAVIO_SetPolynomialOrder(1, 3);
    const double coefficients[] = {0.5, 2.0, 0.25, 0.125};
    for (int j = 1; j <= 4; ++j) {
      TAVIO_SetPolynomialCoeff(1, j, coefficients[j - 1]);
      TAVIO_SetCalibrationVoltagePoint(1, j, j - 2.0);
      TAVIO_SetEuCalibrationPoint(1, j, 10.0 * j);
    }
    TAVIO_SetCountsPerVolt(1, 1234.5);
    TAVIO_SetOffsetCount(1, 30000);
    TAVIO_SetManualEuAdder(1, 0.75);
    TAVIO_SetChannelName(2, "Hot");
    TAVIO_SetConversionType(2, "type_k");
    TAVIO_SetChannelUnits(2, "degC");
    TAVIO_SetChannelTCRef(2, "Cold");
    TAVIO_SetChannelName(3, "Cold");
    TAVIO_SetConversionType(3, "TC_Reference");
    TAVIO_SetChannelUnits(3, "degC");
    TAVIO_SetCountsPerVolt(3, 100.0);
    TAVIO_SetChannelName(4, "Strain");
    TAVIO_SetConversionType(4, "linear");
    TAVIO_SetPolynomialCoeff(4, 1, 1.0);
    TAVIO_SetPolynomialCoeff(4, 2, 2.0);
    EXPECT_EQ(TAVIO_WriteHeader(), 0);
    ByteBuilder b;
    for (int k = 0; k < kSets; ++k)
      for (int c = 0; c < kChannels; ++c)
        b.U16(data_type == 1 ? static_cast<uint16_t>(-TestWord(k, c)) : TestWord(k, c));
    EXPECT_EQ(TAVIO_WriteBytes(b.bytes.data(), static_cast<int>(b.bytes.size())), 0);
    EXPECT_EQ(TAVIO_CloseWriteFile(), 0);
    return path;
  }

  static void ExpectSameTexts(const Snapshot& a, const Snapshot& b, const std::string& what) {
    ASSERT_EQ(a.channels, b.channels) << what;
    EXPECT_EQ(a.names, b.names) << what;
    EXPECT_EQ(a.units, b.units) << what;
    EXPECT_EQ(a.types, b.types) << what;
    EXPECT_EQ(a.refs, b.refs) << what;
    EXPECT_EQ(a.cpv, b.cpv) << what;
    EXPECT_EQ(a.offsets, b.offsets) << what;
    EXPECT_EQ(a.adders, b.adders) << what;
  }
  static void ExpectSamePolynomials(const Snapshot& a, const Snapshot& b, const std::string& what) {
    EXPECT_EQ(a.orders, b.orders) << what;
    EXPECT_EQ(a.coefficients, b.coefficients) << what;
    EXPECT_EQ(a.volt_points, b.volt_points) << what;
    EXPECT_EQ(a.eu_points, b.eu_points) << what;
  }
};

TEST_F(TranslationTest, VelmontIntoEveryFormatAndBack) {
  const std::string source = Source();
  const Snapshot original = Take(source);
  ASSERT_EQ(original.samples, kSets);
  ASSERT_EQ(original.refs[1], "Cold");

  struct Case {
    const char* name;
    int format;
    int read_format;  // format code the reader reports for the output
    bool polynomials; // the output format records polynomials and points
  };
  const bool have_kepr = std::filesystem::exists("kepr.so");
  for (const Case& c : {Case{"Velmont", 1, 1, true}, Case{"VelmontEnhanced", 2, 2, true}, Case{"KEPR", 5, 5, false}}) {
    if (c.format == 5 && !have_kepr) continue;
    const std::string out = Path(std::string("out_") + c.name);
    ASSERT_EQ(TAVIO_TranslateFile(out.c_str(), source.c_str(), c.format), 0) << c.name;
    const Snapshot copy = Take(out);
    EXPECT_EQ(copy.format, c.read_format) << c.name;
    EXPECT_EQ(copy.counts, original.counts) << c.name;
    ExpectSameTexts(original, copy, c.name);
    if (c.polynomials) {
      ExpectSamePolynomials(original, copy, c.name);
      EXPECT_NEAR(copy.first_time, original.first_time, 1e-9) << c.name << ": keeps the source's time";
    }
    // And back into "Velmont".
    const std::string back = Path(std::string("back_") + c.name);
    ASSERT_EQ(TAVIO_TranslateFile(back.c_str(), out.c_str(), 1), 0) << c.name;
    const Snapshot again = Take(back);
    EXPECT_EQ(again.counts, original.counts) << c.name;
    ExpectSameTexts(original, again, c.name);
    if (c.polynomials) ExpectSamePolynomials(original, again, c.name);
  }
}

int LineCount(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  int n = 0;
  while (std::getline(in, line)) ++n;
  return n;
}

TEST_F(TranslationTest, TextFormatsWriteOneRowPerSet) {
  const std::string source = Source();
  const std::string diz = Path("out.diz");
  const std::string bare = Path("out.txt");
  ASSERT_EQ(TAVIO_TranslateSubFile(diz.c_str(), source.c_str(), 6, 10, 20), 0);
  ASSERT_EQ(TAVIO_TranslateSubFile(bare.c_str(), source.c_str(), 7, 10, 20), 0);
  EXPECT_EQ(LineCount(bare), 10);
  EXPECT_EQ(LineCount(diz), 8 + 4 + 10);  // 8 header lines, 4 coefficient rows (order 3)
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> out;
  std::size_t at = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', at);
    out.push_back(line.substr(at, tab - at));
    if (tab == std::string::npos) return out;
    at = tab + 1;
  }
}

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Both for unsigned and for signed sources: a signed word stands for a
// negative count, and its row holds the EU value of that count.
class TextTranslationTest : public TranslationTest, public ::testing::WithParamInterface<int> {};

TEST_P(TextTranslationTest, HoldsTheConfigurationAndEuValues) {
  const std::string source = Source(GetParam());
  const Snapshot original = Take(source);
  ASSERT_EQ(original.data_type, GetParam());
  // The EU value of every sample of sets 10 to 19, as the reader gives it.
  ASSERT_EQ(TAVIO_ReadDataFile(source.c_str()), 0);
  std::vector<std::vector<double>> eu;
  for (int k = 10; k < 20; ++k) {
    std::vector<double> set;
    for (int ch = 1; ch <= kChannels; ++ch) set.push_back(Sample(2, k, ch));
    eu.push_back(set);
  }
  TAVIO_CloseReadFile();

  for (const int format : {6, 7}) {
    const std::string out = Path(format == 6 ? "cfg.diz" : "cfg.txt");
    ASSERT_EQ(TAVIO_TranslateSubFile(out.c_str(), source.c_str(), format, 10, 20), 0) << format;
    const std::vector<std::string> lines = Lines(out);
    std::size_t row = 0;
    if (format == 6) {
      ASSERT_GE(lines.size(), 12u);
      EXPECT_EQ(std::stod(lines[0]), 100.0);
      EXPECT_EQ(Fields(lines[1]), (std::vector<std::string>{"", "Chan 1", "Chan 2", "Chan 3", "Chan 4"}));
      const std::vector<std::string>* texts[] = {&original.names, &original.units, &original.types};
      for (std::size_t t = 0; t < 3; ++t) {
        std::vector<std::string> expected{""};
        expected.insert(expected.end(), texts[t]->begin(), texts[t]->end());
        EXPECT_EQ(Fields(lines[2 + t]), expected) << "header line " << 2 + t;
      }
      for (int ch = 0; ch < kChannels; ++ch) {
        const auto c = static_cast<std::size_t>(ch);
        EXPECT_DOUBLE_EQ(std::stod(Fields(lines[5])[c + 1]), original.cpv[c]) << ch;
        EXPECT_EQ(std::stoi(Fields(lines[6])[c + 1]), original.offsets[c]) << ch;
        EXPECT_EQ(std::stoi(Fields(lines[7])[c + 1]), original.orders[c]) << ch;
        for (std::size_t j = 0; j < original.coefficients[c].size(); ++j)
          EXPECT_NEAR(std::stod(Fields(lines[8 + j])[c + 1]), original.coefficients[c][j], 1e-6) << ch << "/" << j;
      }
      row = 8 + 4;  // the load cell's order 3 gives four coefficient rows
    }
    ASSERT_EQ(lines.size(), row + 10) << format;
    for (std::size_t k = 0; k < 10; ++k, ++row) {
      const std::vector<std::string> fields = Fields(lines[row]);
      ASSERT_EQ(fields.size(), 1u + kChannels) << "row " << k;
      for (std::size_t c = 0; c < kChannels; ++c)
        EXPECT_NEAR(std::stod(fields[c + 1]), eu[k][c], 1e-6 * (1.0 + std::fabs(eu[k][c]))) << k << "/" << c;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(DataTypes, TextTranslationTest, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == 0 ? std::string("Unsigned") : std::string("Signed");
                         });

TEST_F(TranslationTest, SubRangesAndTheirEnds) {
  const std::string source = Source();
  const Snapshot original = Take(source);
  struct Case {
    double first, end;
    int expected_first, expected_count;
  };
  for (const Case& c : {Case{100, 300, 100, 150}, Case{100, 200, 100, 100}, Case{0, -1, 0, kSets},
                        Case{-5, 3, 0, 3}, Case{249, 1e9, 249, 1}, Case{300, 400, 0, 0}}) {
    const std::string out = Path("sub.dat");
    ASSERT_EQ(TAVIO_TranslateSubFile(out.c_str(), source.c_str(), 1, c.first, c.end), 0) << c.first;
    const Snapshot copy = Take(out);
    ASSERT_EQ(copy.samples, c.expected_count) << c.first << ".." << c.end;
    for (int k = 0; k < c.expected_count; ++k)
      EXPECT_EQ(copy.counts[static_cast<std::size_t>(k)], original.counts[static_cast<std::size_t>(c.expected_first + k)]);
  }
}

TEST_F(TranslationTest, SignedSourcesStaySigned) {
  const std::string source = Source(1);
  const Snapshot original = Take(source);
  ASSERT_EQ(original.data_type, 1);
  ASSERT_EQ(original.counts[3][2], -TestWord(3, 2));
  const std::string out = Path("signed.dat");
  ASSERT_EQ(TAVIO_TranslateFile(out.c_str(), source.c_str(), 1), 0);
  const Snapshot copy = Take(out);
  EXPECT_EQ(copy.data_type, 1);
  EXPECT_EQ(copy.counts, original.counts);
  EXPECT_EQ(copy.offsets, original.offsets);
}

TEST_F(TranslationTest, ScansOfOneSecondAndUnknownFormats) {
  const std::string source = Source(0, 12.5, 7);
  const std::string out = Path("four.dat");
  ASSERT_EQ(TAVIO_TranslateFile(out.c_str(), source.c_str(), 4), 0);
  const Snapshot copy = Take(out);
  EXPECT_EQ(copy.format, 1);
  EXPECT_EQ(copy.scan_samples, 13);
  EXPECT_EQ(copy.samples, kSets);

  ASSERT_EQ(TAVIO_ReadDataFile(source.c_str()), 0);
  EXPECT_EQ(TAVIO_TranslateFile(Path("x").c_str(), source.c_str(), 8), TAVIO_E_CLOSE);
  EXPECT_EQ(TAVIO_CloseReadFile(), TAVIO_E_NOT_OPEN) << "translation closes the read file";
  EXPECT_EQ(TAVIO_TranslateFile(Path("x").c_str(), Path("missing.dat").c_str(), 1), TAVIO_E_FILE);
  EXPECT_EQ(TAVIO_TranslateFile(Path("no/such/dir/x").c_str(), source.c_str(), 1), TAVIO_E_FILE);
  // Onto itself (by another name too): refused before the recording is overwritten.
  const auto before = std::filesystem::file_size(source);
  const std::string alias = Path("alias.dat");
  std::filesystem::create_hard_link(source, alias);
  for (const std::string& same : {source, alias, Path("./source.dat")})
    EXPECT_EQ(TAVIO_TranslateFile(same.c_str(), source.c_str(), 1), TAVIO_E_CLOSE) << same;
  EXPECT_EQ(std::filesystem::file_size(source), before);
  EXPECT_EQ(TAVIO_CloseReadFile(), TAVIO_E_NOT_OPEN);
}

TEST_F(TranslationTest, SegmentedSourcesAreGatheredPerChannel) {
  HeaderFields h;
  h.channels = 3;
  h.samples = 2;
  h.clock = 2;
  h.enhanced = true;
  h.segments = {1, 2};
  ByteBuilder b;
  b.Append(FixedHeader(h)).Append(Bytes(24, 0));
  for (int scan = 0; scan < 3; ++scan) {
    for (int k = 0; k < 2; ++k) b.U16(TestWord(2 * scan + k, 0));
    for (int k = 0; k < 2; ++k) b.U16(TestWord(2 * scan + k, 1)).U16(TestWord(2 * scan + k, 2));
  }
  const std::string source = WriteFile("seg.dat", b.bytes);
  const std::string out = Path("flat.dat");
  ASSERT_EQ(TAVIO_TranslateFile(out.c_str(), source.c_str(), 1), 0);
  const Snapshot copy = Take(out);
  ASSERT_EQ(copy.samples, 6);
  for (int k = 0; k < 6; ++k)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(copy.counts[static_cast<std::size_t>(k)][static_cast<std::size_t>(c)], TestWord(k, c));
}

TEST_F(TranslationTest, DigitalChannelsBecomeCountsOfZeroOrOne) {
  HeaderFields h;
  h.channels = 32;
  h.samples = 2;
  h.style = 0x84;
  ByteBuilder b;
  b.Append(FixedHeader(h)).Append(Bytes(24, 0)).U16(0x0001).U16(0x0002).U16(0x8000).U16(0x0000);
  const std::string source = WriteFile("dig.dat", b.bytes);
  const std::string out = Path("dig_out.dat");
  ASSERT_EQ(TAVIO_TranslateFile(out.c_str(), source.c_str(), 1), 0);
  const Snapshot copy = Take(out);
  ASSERT_EQ(copy.channels, 32);
  ASSERT_EQ(copy.samples, 2);
  for (int k = 0; k < 2; ++k) {
    for (int c = 0; c < 32; ++c) {
      const bool set = (k == 0 && (c == 0 || c == 17)) || (k == 1 && c == 15);
      EXPECT_EQ(copy.counts[static_cast<std::size_t>(k)][static_cast<std::size_t>(c)], set ? 1.0 : 0.0) << k << "/" << c;
    }
  }
}

TEST_F(TranslationTest, FastRecordingsStayReadable) {
  // 128 channels at 20 kHz: a scan of one second would not fit the reader's
  // block buffer, so the output's scans are shorter.
  HeaderFields h;
  h.channels = 128;
  h.samples = 2;
  h.clock = 20000;
  ByteBuilder b;
  b.Append(FixedHeader(h)).Append(VelmontScans(128, 2, 2, StampFromFields(3, 4, 5, 6, 0)));
  const std::string source = WriteFile("fast.dat", b.bytes);
  const std::string out = Path("fast_out.dat");
  ASSERT_EQ(TAVIO_TranslateFile(out.c_str(), source.c_str(), 1), 0);
  const Snapshot copy = Take(out);
  ASSERT_EQ(copy.samples, 4);
  EXPECT_LT(copy.scan_samples, 20000);
  EXPECT_EQ(copy.counts[3][127], TestWord(3, 127));
}

}  // namespace
}  // namespace orvela::tavio::testing
