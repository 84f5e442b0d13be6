// KEPR containers read back: what the writer wrote, hand-made damaged
// containers, positioning and closing.  The container library is loaded from
// "./kepr.so": the tests run in the folder that holds it.
#include <unistd.h>

#include <ctime>

#include "eu.h"
#include "read_fixture.h"

namespace orvela::tavio::testing {
namespace {

// Big-endian chunks, the container's byte order.
struct Chunks {
  Bytes bytes;
  Chunks& Raw(const std::string& s) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    return *this;
  }
  Chunks& U32(uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) bytes.push_back(static_cast<uint8_t>(v >> s));
    return *this;
  }
  Chunks& Chunk(const std::string& id, const Bytes& payload) {
    Raw(id).U32(static_cast<uint32_t>(payload.size()));
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    if (payload.size() % 2 != 0) bytes.push_back(0);
    return *this;
  }
  Chunks& Text(const std::string& id, const std::string& s) { return Chunk(id, Bytes(s.begin(), s.end())); }
  Chunks& F64(const std::string& id, double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    Bytes b;
    for (int s = 56; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(bits >> s));
    return Chunk(id, b);
  }
};

// The payload of a CHAN chunk: name "C<i>", type `type`, offset `zero`,
// calibration data set `set`.
Bytes ChannelChunks(int i, const std::string& type = "volts", double zero = 100.0, const std::string& set = "none") {
  Chunks chan;
  chan.Text("NAME", "C" + std::to_string(i + 1)).Text("CVTP", type).Text("EU  ", "mV").Text("TCRF", "");
  chan.Text("MCAL", set).F64("CPV ", 10.0).F64("ZO  ", zero).F64("TARE", 2.5).F64("SCAL", 0.5);
  chan.F64("GFAC", 2.0);
  return chan.bytes;
}

// A container whose CHNS chunk holds `chns` and whose DATA chunk holds `data`.
Bytes ContainerOf(const Bytes& chns, const Bytes& data) {
  Chunks conf;
  conf.Chunk("CHNS", chns).F64("CLKR", 50.0);
  Chunks time;
  time.U32(86400 + 3600);
  conf.Chunk("TIME", time.bytes);
  Chunks form;
  form.Raw("KEPR").Chunk("CONF", conf.bytes).Chunk("DATA", data);
  Chunks file;
  file.Chunk("FORM", form.bytes);
  return file.bytes;
}

// A container with `channels` CHAN chunks (name "C<i>", type `type`) and
// `data` as its samples.
Bytes Container(int channels, const Bytes& data, const std::string& type = "volts", double zero = 100.0,
                const std::string& set = "none") {
  Chunks chns;
  for (int i = 0; i < channels; ++i) chns.Chunk("CHAN", ChannelChunks(i, type, zero, set));
  return ContainerOf(chns.bytes, data);
}

class ContainerReaderTest : public ReaderTest {
 protected:
  void SetUp() override {
    ReaderTest::SetUp();
    if (!std::filesystem::exists("kepr.so")) GTEST_SKIP() << "kepr.so is not beside the tests";
  }
};

TEST_F(ContainerReaderTest, ReadsWhatTheWriterWrote) {
  const std::string path = Path("w.kepr");
  ASSERT_EQ(TAVIO_CreateKEPRFile(path.c_str(), 0, 2, 250.5), 0);
  TAVIO_SetChannelName(1, "Hot");
  TAVIO_SetConversionType(1, "type_k");
  TAVIO_SetChannelUnits(1, "degC");
  TAVIO_SetChannelTCRef(1, "Cold");
  TAVIO_SetManualEuAdder(1, 1.5);
  TAVIO_SetOffsetCount(1, 100);
  TAVIO_SetChannelName(2, "Cold");
  TAVIO_SetConversionType(2, "TC_Reference");
  TAVIO_SetShuntCalCF(2, 0.5);
  TAVIO_SetGaugeFactor(2, 2.0);
  ASSERT_EQ(TAVIO_WriteHeader(), 0);
  ByteBuilder sets;
  for (int k = 0; k < 5; ++k) sets.U16(TestWord(k, 0)).U16(TestWord(k, 1));
  ASSERT_EQ(TAVIO_WriteBytes(sets.bytes.data(), static_cast<int>(sets.bytes.size())), 0);
  ASSERT_EQ(TAVIO_CloseWriteFile(), 0);

  ASSERT_EQ(TAVIO_ReadDataFile(path.c_str()), 0);
  int v = 0;
  double d = 0.0;
  char text[256];
  unsigned short u = 0;
  EXPECT_EQ((TAVIO_GetFormatType(&v), v), 5);
  EXPECT_EQ((TAVIO_GetChannelCount(&v), v), 2);
  EXPECT_EQ((TAVIO_GetClockRateEx(&d), d), 250.5);
  EXPECT_EQ((TAVIO_GetSampleCount(&d), d), 5.0);
  EXPECT_STREQ((TAVIO_GetChannelName(1, text), text), "Hot");
  EXPECT_STREQ((TAVIO_GetConversionType(1, text), text), "type_k");
  EXPECT_STREQ((TAVIO_GetChannelUnits(1, text), text), "degC");
  EXPECT_STREQ((TAVIO_GetChannelTCRef(1, text), text), "Cold");
  EXPECT_EQ(ReadContext().description.channels[0].reference_index, 1);
  EXPECT_EQ(ReadContext().description.channels[1].is_reference, 1);
  EXPECT_EQ((TAVIO_GetManualEuAdder(1, &d), d), 1.5);
  EXPECT_EQ((TAVIO_GetOffsetCount(1, &u), u), 100);
  EXPECT_EQ((TAVIO_GetShuntCalCF(2, &d), d), 0.5);
  EXPECT_EQ((TAVIO_GetGaugeFactor(2, &d), d), 2.0);
  EXPECT_EQ((TAVIO_GetPolynomialOrder(2, &u), u), 1);
  for (int k : {0, 4, 2})
    for (int ch : {1, 2}) EXPECT_EQ(Sample(0, k, ch), TestWord(k, ch - 1));
  EXPECT_EQ(TAVIO_GetCurrentSampleTimeInSeconds(&d), TAVIO_E_FORMAT);
  EXPECT_EQ(TAVIO_SetSample(5), TAVIO_E_POSITION);
  EXPECT_EQ(TAVIO_SetSample(-1), TAVIO_E_POSITION);
  double k = 0.0;
  int ch = 0;
  TAVIO_GetSampleAndChannel(&k, &ch);
  EXPECT_EQ(k, 2.0) << "a refused position leaves the cursor";
  EXPECT_EQ(TAVIO_CloseReadFile(), 0);
  EXPECT_EQ(TAVIO_CloseReadFile(), TAVIO_E_NOT_OPEN);
}

TEST_F(ContainerReaderTest, ReadsUnsignedAndAnalogueWhateverWasReadBefore) {
  HeaderFields h;
  h.channels = 16;
  h.style = 0x85;  // a signed digital file first
  ASSERT_EQ(TAVIO_ReadDataFile(WriteFile("d.dat", FixedHeader(h)).c_str()), 0);
  const Bytes data = ByteBuilder().U16(0xFFFF).U16(0x8000).bytes;
  ASSERT_EQ(TAVIO_ReadDataFile(WriteFile("c.kepr", Container(2, data)).c_str()), 0);
  int v = -1;
  EXPECT_EQ((TAVIO_GetDataType(&v), v), 0);
  EXPECT_EQ((TAVIO_GetInputType(&v), v), 0);
  EXPECT_EQ(Sample(0, 0, 1), 65535.0);
  EXPECT_EQ(Sample(0, 0, 2), 32768.0);
  double volts = 0.0;
  ASSERT_EQ(TAVIO_GetSingleSample(1, &volts), 0);
  EXPECT_DOUBLE_EQ(volts, (32768.0 - 100.0) / 10.0);
  double adder = 0.0;
  EXPECT_EQ((TAVIO_GetManualEuAdder(2, &adder), adder), -2.5);
}

TEST_F(ContainerReaderTest, PolynomialChannelWithoutItsDataSetKeepsTheDefaults) {
  // The data set is looked up by the "MCAL" name in the default sensor file;
  // no set of this name exists there.
  Bytes file = Container(1, Bytes(4, 0), "polynomial");
  ASSERT_EQ(TAVIO_ReadDataFile(WriteFile("p.kepr", file).c_str()), 0);
  unsigned short order = 0;
  double d = 0.0;
  EXPECT_EQ((TAVIO_GetPolynomialOrder(1, &order), order), 1);
  EXPECT_EQ((TAVIO_GetPolynomialCoeff(1, 1, &d), d), 0.0);
  EXPECT_EQ((TAVIO_GetPolynomialCoeff(1, 2, &d), d), 1.0);
  EXPECT_EQ((TAVIO_GetEuCalibrationPoint(1, 2, &d), d), 10.0);
  EXPECT_EQ(ReadContext().description.channels[0].conversion_code, 2);
}

// Adds (or, with no points, removes) a data set of the default sensor file,
// the one a container's polynomial channels are fitted from.
bool EditDefaultSensorFile(const std::string& name, const std::vector<double>& volts, const std::vector<double>& eus) {
  EUHandle* h = nullptr;
  if (EUInit("basalt", &h) < 0) return false;
  EUDataSetCollection* c = nullptr;
  bool ok = h->ops.openDataSets(h, nullptr, &c) >= 0;
  if (ok && volts.empty()) ok = h->ops.removeDataSet(h, c, name.c_str()) >= 0;
  else if (ok) ok = h->ops.updateDataSet(h, c, name.c_str(), volts.data(), eus.data(), static_cast<int>(volts.size())) >= 0;
  return EUClose(&h) >= 0 && ok;  // closing writes the file back
}

TEST_F(ContainerReaderTest, PolynomialChannelIsFittedFromItsDataSet) {
  if (!std::filesystem::exists("basalt.so")) GTEST_SKIP() << "basalt.so is not beside the tests";
  const std::string set = "tavio test " + std::to_string(getpid());
  // Four points of eu = 2 + 3v + 0.5v^2 - v^3: the fit of order 3 passes through them.
  const std::vector<double> volts = {-1.0, 0.0, 1.0, 2.0};
  std::vector<double> eus;
  for (double v : volts) eus.push_back(2.0 + 3.0 * v + 0.5 * v * v - v * v * v);
  ASSERT_TRUE(EditDefaultSensorFile(set, volts, eus));
  const Bytes file = Container(1, Bytes(4, 0), "polynomial", 100.0, set);
  const int rc = TAVIO_ReadDataFile(WriteFile("fit.kepr", file).c_str());
  unsigned short order = 0;
  double d = 0.0;
  std::vector<double> coefficients, volt_points, eu_points;
  if (rc == 0) {
    TAVIO_GetPolynomialOrder(1, &order);
    for (int j = 1; j <= order + 1; ++j) {
      coefficients.push_back((TAVIO_GetPolynomialCoeff(1, j, &d), d));
      volt_points.push_back((TAVIO_GetCalibrationVoltagePoint(1, j, &d), d));
      eu_points.push_back((TAVIO_GetEuCalibrationPoint(1, j, &d), d));
    }
    TAVIO_CloseReadFile();
  }
  EXPECT_TRUE(EditDefaultSensorFile(set, {}, {}));
  ASSERT_EQ(rc, 0);
  ASSERT_EQ(order, 3);
  EXPECT_EQ(volt_points, volts);
  EXPECT_EQ(eu_points, eus);
  const double expected[] = {2.0, 3.0, 0.5, -1.0};
  for (std::size_t j = 0; j < 4; ++j) EXPECT_NEAR(coefficients[j], expected[j], 1e-9) << j;
}

struct ContainerCase {
  const char* name;
  Bytes bytes;
  int code;
  // When readable: sample sets, conversion text and offset count of channel 1.
  double samples;
  std::string type;
  unsigned short offset;
};

TEST_F(ContainerReaderTest, DamagedContainers) {
  const Bytes four_sets(16, 1);
  Bytes data_past_file = Container(2, four_sets);
  data_past_file.resize(data_past_file.size() - 6);  // the DATA chunk claims more than is there
  Bytes no_chan = Container(0, four_sets);
  Bytes list = Container(1, four_sets);
  std::memcpy(list.data(), "LIST", 4);
  Bytes many;
  {
    Chunks chns;
    for (int i = 0; i < 129; ++i) chns.Chunk("CHAN", Chunks().Text("NAME", "x").bytes);
    Chunks conf;
    conf.Chunk("CHNS", chns.bytes);
    Chunks form;
    form.Raw("KEPR").Chunk("CONF", conf.bytes).Chunk("DATA", Bytes());
    many = Chunks().Chunk("FORM", form.bytes).bytes;
  }
  Bytes strm;
  {
    Chunks conf;
    conf.Chunk("CHNS", Chunks().Chunk("CHAN", Chunks().Text("NAME", "s").Text("EU  ", "V").bytes).bytes);
    conf.F64("CLKR", 10.0).Chunk("TIME", Chunks().U32(0).bytes).Chunk("SCPP", Chunks().U32(1).bytes);
    Chunks form;
    form.Raw("STRM").Chunk("CONF", conf.bytes).Chunk("DATA", four_sets);
    strm = Chunks().Chunk("FORM", form.bytes).bytes;
  }
  // A CHAN chunk that claims more than its CHNS chunk holds, while the file
  // goes on for long enough.
  Bytes chan_past_container;
  {
    const Bytes chan = ChannelChunks(0);
    Chunks chns;
    chns.Raw("CHAN").U32(static_cast<uint32_t>(chan.size() + 40));
    chns.bytes.insert(chns.bytes.end(), chan.begin(), chan.end());
    chan_past_container = ContainerOf(chns.bytes, Bytes(400, 1));
  }
  // A counts-per-volt chunk of four bytes instead of a double.
  Bytes short_number;
  {
    Chunks chan;
    chan.Text("NAME", "n").Text("CVTP", "volts").Chunk("CPV ", Bytes(4, 0));
    short_number = ContainerOf(Chunks().Chunk("CHAN", chan.bytes).bytes, four_sets);
  }
  const ContainerCase cases[] = {
      {"chunk past its container", chan_past_container, TAVIO_E_FILE, 0, "", 0},
      {"number chunk of the wrong length", short_number, TAVIO_E_FILE, 0, "", 0},
      {"first chunk LIST", list, TAVIO_E_FILE, 0, "", 0},
      {"no channels", no_chan, TAVIO_E_FILE, 0, "", 0},
      {"129 channels", many, TAVIO_E_FILE, 0, "", 0},
      {"stream recording", strm, TAVIO_E_FILE, 0, "", 0},
      {"chunk past the file", data_past_file, TAVIO_E_FILE, 0, "", 0},
      {"text chunk longer than its slot", Container(1, four_sets, std::string(40, 't')), 0, 8,
       std::string(31, 't'), 100},
      {"offset beyond a word", Container(1, four_sets, "volts", 1e12), 0, 8, "volts", 65535},
      {"negative offset", Container(1, four_sets, "volts", -3.0), 0, 8, "volts", 0},
  };
  for (const ContainerCase& c : cases) {
    EXPECT_EQ(TAVIO_ReadDataFile(WriteFile("bad.kepr", c.bytes).c_str()), c.code) << c.name;
    if (c.code != 0) continue;
    double d = 0.0;
    char text[256];
    unsigned short u = 0;
    EXPECT_EQ((TAVIO_GetSampleCount(&d), d), c.samples) << c.name;
    EXPECT_EQ(std::string((TAVIO_GetConversionType(1, text), text)), c.type) << c.name;
    EXPECT_EQ((TAVIO_GetOffsetCount(1, &u), u), c.offset) << c.name;
    EXPECT_EQ(TAVIO_CloseReadFile(), 0);
  }
}

}  // namespace
}  // namespace orvela::tavio::testing
