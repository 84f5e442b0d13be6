// "KEPR" files written through the container library (loaded from
// "./kepr.so": the tests run in the folder that holds it), compared byte for
// byte with the chunk tree computed in the test.
#include <fcntl.h>
#include <unistd.h>

#include <ctime>

#include "writer_fixture.h"

namespace orvela::tavio::testing {
namespace {

// Big-endian chunk builder, the container's byte order.
struct ChunkBuilder {
  Bytes bytes;
  ChunkBuilder& Id(const char* id) {
    bytes.insert(bytes.end(), id, id + 4);
    return *this;
  }
  ChunkBuilder& U32(uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) bytes.push_back(static_cast<uint8_t>(v >> s));
    return *this;
  }
  ChunkBuilder& Chunk(const char* id, const Bytes& payload) {
    Id(id).U32(static_cast<uint32_t>(payload.size()));
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    if (payload.size() % 2 != 0) bytes.push_back(0);
    return *this;
  }
  ChunkBuilder& Text(const char* id, const std::string& s) { return Chunk(id, Bytes(s.begin(), s.end())); }
  ChunkBuilder& F64(const char* id, double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    Bytes b;
    for (int s = 56; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(bits >> s));
    return Chunk(id, b);
  }
};

struct Chan {
  std::string name, type, units, ref;
  double cpv, zero, tare, shunt, gauge;
};

Bytes ExpectedKepr(const std::vector<Chan>& channels, double clock, uint32_t time, const Bytes& samples) {
  ChunkBuilder chns;
  for (const Chan& c : channels) {
    ChunkBuilder chan;
    chan.Text("NAME", c.name).Text("CVTP", c.type).Text("EU  ", c.units).Text("TCRF", c.ref).Text("MCAL", c.units);
    chan.F64("CPV ", c.cpv).F64("ZO  ", c.zero).F64("TARE", c.tare).F64("SCAL", c.shunt).F64("GFAC", c.gauge);
    chns.Chunk("CHAN", chan.bytes);
  }
  ChunkBuilder conf;
  conf.Chunk("CHNS", chns.bytes).F64("CLKR", clock);
  ChunkBuilder t;
  t.U32(time);
  conf.Chunk("TIME", t.bytes);
  ChunkBuilder form;
  form.Id("KEPR").Chunk("CONF", conf.bytes).Chunk("DATA", samples);
  ChunkBuilder file;
  file.Chunk("FORM", form.bytes);
  return file.bytes;
}

class KeprWriterTest : public WriterTest {
 protected:
  void SetUp() override {
    WriterTest::SetUp();
    if (!std::filesystem::exists("kepr.so")) GTEST_SKIP() << "kepr.so is not beside the tests";
  }
};

TEST_F(KeprWriterTest, TwoChannelFileWithItsLengths) {
  const std::string path = Path("k.kepr");
  ASSERT_EQ(TAVIO_CreateKEPRFile(path.c_str(), 0, 2, 250.5), 0);
  TAVIO_SetChannelName(1, "Thermocouple_with_a_long_name_over_31");
  TAVIO_SetConversionType(1, "type_k");
  TAVIO_SetChannelUnits(1, "degC");
  TAVIO_SetChannelTCRef(1, "Ch2");
  TAVIO_SetManualEuAdder(1, 1.5);
  TAVIO_SetConversionType(2, "TC_Reference");
  TAVIO_SetGaugeFactor(2, 2.0);
  TAVIO_SetShuntCalCF(2, 0.5);
  const uint32_t before = static_cast<uint32_t>(std::time(nullptr));
  ASSERT_EQ(TAVIO_WriteHeader(), 0);
  const uint32_t after = static_cast<uint32_t>(std::time(nullptr));
  const Bytes samples = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  // Big-endian client bytes too are passed through unchanged.
  ASSERT_EQ(TAVIO_WriteBytes(samples.data(), 6), 0);
  ASSERT_EQ(TAVIO_WriteBytes(samples.data() + 6, 4), 0);
  ASSERT_EQ(TAVIO_CloseWriteFile(), 0);

  const Bytes file = ReadWholeFile(path);
  const std::vector<Chan> channels = {
      {"Thermocouple_with_a_long_name_o", "type_k", "degC", "Ch2", 2675.0, 32767.0, -1.5, 1.0, 1.0},
      {"Ch2", "TC_Reference", "Volts", "", 2675.0, 32767.0, -0.0, 0.5, 2.0},
  };
  ASSERT_GT(file.size(), 32u);
  // The creation time is the clock's; take it from its place before TIME's end.
  const std::size_t time_at = file.size() - samples.size() - 8 - 4;
  const uint32_t time = static_cast<uint32_t>(file[time_at]) << 24 | file[time_at + 1] << 16 |
                        file[time_at + 2] << 8 | file[time_at + 3];
  EXPECT_GE(time, before);
  EXPECT_LE(time, after);
  EXPECT_EQ(file, ExpectedKepr(channels, 250.5, time, samples));

  // The three lengths the container is found by: FORM = file length - 8,
  // CONF length C (even) at 16, "DATA" at 20 + C with the sample count at
  // 24 + C, the samples from 28 + C to the end.
  const auto be32 = [&file](std::size_t at) {
    return static_cast<uint32_t>(file.at(at)) << 24 | file.at(at + 1) << 16 | file.at(at + 2) << 8 | file.at(at + 3);
  };
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "FORM");
  EXPECT_EQ(be32(4), file.size() - 8);
  EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "KEPRCONF");
  const uint32_t conf = be32(16);
  EXPECT_EQ(conf % 2, 0u);
  ASSERT_EQ(file.size(), 28 + conf + samples.size());
  EXPECT_EQ(std::string(file.begin() + 20 + conf, file.begin() + 24 + conf), "DATA");
  EXPECT_EQ(be32(24 + conf), samples.size());
  EXPECT_EQ(Bytes(file.begin() + 28 + conf, file.end()), samples);
}

TEST_F(KeprWriterTest, ContainerThatCannotBeFinishedIsReported) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const std::string path = Path("full.kepr");
  ASSERT_EQ(TAVIO_CreateKEPRFile(path.c_str(), 0, 2, 100.0), 0);
  ASSERT_EQ(TAVIO_WriteHeader(), 0);
  ASSERT_EQ(TAVIO_WriteBytes("abcd", 4), 0);
  // The disk fills up under the open container: its handle now writes into a
  // device that takes no bytes.
  const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(full, 0);
  ASSERT_EQ(dup2(full, WriteContext().output.kepr_handle), WriteContext().output.kepr_handle);
  close(full);
  EXPECT_LT(TAVIO_WriteBytes("abcd", 4), 0) << "the container library's own code";
  EXPECT_EQ(TAVIO_CloseWriteFile(), TAVIO_E_CLOSE) << "the lengths could not be patched";
  EXPECT_EQ(TAVIO_CloseWriteFile(), TAVIO_E_NOT_OPEN);
}

TEST_F(KeprWriterTest, DataTypeIsNotRecordedAndFailuresAreReported) {
  ASSERT_EQ(TAVIO_CreateKEPRFile(Path("k.kepr").c_str(), 129, 1, 10.0), 0);
  EXPECT_EQ(TAVIO_SetDataType(129), TAVIO_E_FORMAT);
  ASSERT_EQ(TAVIO_CreateKEPRFile(Path("no/such/folder.kepr").c_str(), 0, 1, 10.0), 0);
  EXPECT_EQ(TAVIO_WriteHeader(), TAVIO_E_FILE);
  EXPECT_EQ(TAVIO_WriteBytes("ab", 2), TAVIO_E_NOT_OPEN);
  if (std::filesystem::exists("/dev/full")) {
    // The lengths cannot be patched into a file that takes no bytes.
    ASSERT_EQ(TAVIO_CreateKEPRFile("/dev/full", 0, 1, 10.0), 0);
    const int rc = TAVIO_WriteHeader();
    EXPECT_EQ(rc, TAVIO_E_FILE) << "the form chunk itself cannot be written";
    if (rc == 0) {
      EXPECT_EQ(TAVIO_CloseWriteFile(), TAVIO_E_CLOSE);
    }
  }
}

}  // namespace
}  // namespace orvela::tavio::testing
