// The text formats over a read description filled in the test: header block,
// rows with date, time and EU values, and their failures.
#include <cstdlib>
#include <ctime>

#include "writer_fixture.h"

namespace orvela::tavio::testing {
namespace {

class TextWriterTest : public WriterTest {
 protected:
  void SetUp() override {
    WriterTest::SetUp();
    setenv("TZ", "UTC", 1);
    tzset();
    DataFileContext& rd = ReadContext();
    rd.format = kFormatVelmont;
    rd.description.channel_count = 2;
    rd.description.clock_period = 0.25;
    rd.cursor.time_base_seconds = 3.0;
    rd.cursor.time_base_index = 0.0;
    rd.cursor.current_index = 1.0;  // 3.25 seconds
    for (int i = 0; i < 2; ++i) {
      ChannelRecord& c = rd.description.channels[static_cast<std::size_t>(i)];
      std::snprintf(c.name, sizeof c.name, "In%d", i + 1);
      CopyText(c.units, i == 0 ? "V" : "bar");
      CopyText(c.conversion_text, i == 0 ? "volts" : "polynomial");
      c.conversion_code = i == 0 ? 0 : 2;
      c.counts_per_volt = 2675.0;
      c.offset_count = 32767;
      c.manual_eu_adder = 0.0;
      c.reference_index = -1;
      c.polynomial_order = static_cast<uint16_t>(i + 1);
      c.coefficients = i == 0 ? std::vector<double>{0.0, 1.0} : std::vector<double>{1.0, 2.0, 0.5};
      c.voltage_points = c.coefficients;
      c.eu_points = c.coefficients;
    }
  }
  std::string Text(const std::string& path) {
    const Bytes b = ReadWholeFile(path);
    return std::string(b.begin(), b.end());
  }
};

TEST_F(TextWriterTest, HeaderBlockDescribesTheReadChannels) {
  const std::string path = Path("d.txt");
  ASSERT_EQ(TAVIO_CreateDIZFile(path.c_str(), 0, 2, 12.5, 1), 0);
  ASSERT_EQ(TAVIO_WriteHeader(), 0);
  ASSERT_EQ(TAVIO_CloseWriteFile(), 0);
  EXPECT_EQ(Text(path),
            "12.500000\n"
            "\tChan 1\tChan 2\n"
            "\tIn1\tIn2\n"
            "\tV\tbar\n"
            "\tvolts\tpolynomial\n"
            "\t2675.000000\t2675.000000\n"
            "\t32767\t32767\n"
            "\t1\t2\n"
            "\t0.000000\t1.000000\n"
            "\t1.000000\t2.000000\n"
            "\t\t0.500000\n");
}

TEST_F(TextWriterTest, RowsCarryDateTimeAndEu) {
  const std::string path = Path("n.txt");
  ASSERT_EQ(TAVIO_CreateDIZFile(path.c_str(), 0, 2, 4.0, 0), 0);
  ASSERT_EQ(TAVIO_WriteHeader(), 0);
  EXPECT_EQ(Text(path), "") << "DIZ_NOHEADER starts empty";
  ByteBuilder set;
  set.U16(32767).U16(32767 + 2675 * 2);  // 0 V; 2 V -> 1 + 4 + 2
  ASSERT_EQ(TAVIO_WriteBytes(set.bytes.data(), 4), 0);
  ReadContext().cursor.current_index = 4.0;  // 4.00 seconds
  ASSERT_EQ(TAVIO_WriteBytes(set.bytes.data(), 5), 0);  // the odd byte is ignored
  ASSERT_EQ(TAVIO_CloseWriteFile(), 0);
  EXPECT_EQ(Text(path),
            "1970/1/1 0:0:3.250000\t0.000000\t7.000000\n"
            "1970/1/1 0:0:4.000000\t0.000000\t7.000000\n");
}

TEST_F(TextWriterTest, FailuresAreReported) {
  // More write channels than the read file has: the getters fail, items stop,
  // line ends go on.
  const std::string path = Path("f.txt");
  ASSERT_EQ(TAVIO_CreateDIZFile(path.c_str(), 0, 3, 1.0, 1), 0);
  EXPECT_EQ(TAVIO_WriteHeader(), TAVIO_E_TEXT_WRITE);
  EXPECT_EQ(TAVIO_WriteBytes("ab", 2), TAVIO_E_NOT_OPEN);
  EXPECT_EQ(Text(path), "1.000000\n\tChan 1\tChan 2\tChan 3\n\tIn1\tIn2\n\n\n\n\n\n");

  ASSERT_EQ(TAVIO_CreateDIZFile(Path("none/x.txt").c_str(), 0, 2, 1.0, 0), 0);
  EXPECT_EQ(TAVIO_WriteHeader(), TAVIO_E_TEXT_WRITE);

  // A row whose time is no date.
  ASSERT_EQ(TAVIO_CreateDIZFile(Path("t.txt").c_str(), 0, 2, 1.0, 0), 0);
  ASSERT_EQ(TAVIO_WriteHeader(), 0);
  ReadContext().cursor.time_base_seconds = 1e300;
  EXPECT_EQ(TAVIO_WriteBytes("abcd", 4), TAVIO_E_TEXT_WRITE);
  EXPECT_EQ(TAVIO_CloseWriteFile(), 0);
  ReadContext().cursor.time_base_seconds = 3.0;

  // A row whose channel the read file lacks.
  ASSERT_EQ(TAVIO_CreateDIZFile(Path("r.txt").c_str(), 0, 2, 1.0, 0), 0);
  ASSERT_EQ(TAVIO_WriteHeader(), 0);
  ReadContext().description.channel_count = 0;
  EXPECT_EQ(TAVIO_WriteBytes("abcd", 4), TAVIO_E_TEXT_WRITE);
  EXPECT_EQ(TAVIO_CloseWriteFile(), 0);

  if (std::filesystem::exists("/dev/full")) {
    ASSERT_EQ(TAVIO_CreateDIZFile("/dev/full", 0, 2, 1.0, 0), 0);
    ASSERT_EQ(TAVIO_WriteHeader(), 0);
    EXPECT_EQ(TAVIO_CloseWriteFile(), 0) << "nothing buffered, nothing lost";
    // The header is lost at its write or, when buffered, at the close.
    ASSERT_EQ(TAVIO_CreateDIZFile("/dev/full", 0, 2, 1.0, 1), 0);
    const int rc = TAVIO_WriteHeader();
    if (rc == 0) {
      EXPECT_EQ(TAVIO_CloseWriteFile(), TAVIO_E_CLOSE);
    } else {
      EXPECT_EQ(rc, TAVIO_E_TEXT_WRITE);
    }
  }
}

}  // namespace
}  // namespace orvela::tavio::testing
