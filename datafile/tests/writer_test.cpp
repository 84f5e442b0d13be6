// Format selection, the create functions and the open-file rules of writing.
#include "writer_fixture.h"

namespace orvela::tavio::testing {
namespace {

using WriterDispatchTest = WriterTest;

TEST_F(WriterDispatchTest, FormatNamesSelectFormatAndHeaderSizes) {
  const struct {
    const char* name;
    int format, data_header, scan_header;
  } cases[] = {
      {"Velmont", 1, 0, 24},  {"velmontenhanced", 2, 24, 0}, {"KEPR", 5, 0, 0},
      {"diz", 6, 0, 0},       {"DIZ_NOHEADER", 7, 0, 0},     {"VELMONT", 1, 0, 24},
  };
  for (const auto& c : cases) {
    WriteContext().segment_channels[7] = 9;
    ASSERT_EQ(TAVIO_CreateDataFile(c.name, 0, "x.dat"), 0) << c.name;
    const DataFileContext& ctx = WriteContext();
    EXPECT_EQ(ctx.format, c.format) << c.name;
    EXPECT_EQ(ctx.data_header_size, c.data_header) << c.name;
    EXPECT_EQ(ctx.scan_header_size, c.scan_header) << c.name;
    EXPECT_EQ(ctx.segment_count, 1) << c.name;
    EXPECT_EQ(ctx.segment_channels[7], 0) << c.name;
    EXPECT_STREQ(ctx.path, "x.dat");
  }
}

TEST_F(WriterDispatchTest, UnknownFormatNameChangesNothing) {
  ASSERT_EQ(TAVIO_CreateVelmontDataFile("keep.dat", 1, 3, 50, 7), 0);
  for (const char* name : {"Velmont2", "", static_cast<const char*>(nullptr)}) {
    EXPECT_EQ(TAVIO_CreateDataFile(name, 0, "other.dat"), TAVIO_E_FORMAT);
  }
  // A path cut to 255 characters would name another file.
  EXPECT_EQ(TAVIO_CreateDataFile("Velmont", 0, std::string(256, 'p').c_str()), TAVIO_E_FILE);
  const DataFileContext& ctx = WriteContext();
  EXPECT_STREQ(ctx.path, "keep.dat");
  EXPECT_EQ(ctx.description.channel_count, 3);
  EXPECT_EQ(ctx.description.samples_per_scan, 7u);
  EXPECT_EQ(ctx.description.clock_rate, 50.0);
  EXPECT_EQ(ctx.description.input_data_type, 1);
}

TEST_F(WriterDispatchTest, CreateShortcutsConfigureTheFile) {
  ASSERT_EQ(TAVIO_CreateDIZFile("t.txt", 0, 3, 12.5, 0), 0);
  EXPECT_EQ(WriteContext().format, kFormatDizNoHeader);
  EXPECT_EQ(WriteContext().description.channel_count, 3);
  EXPECT_EQ(WriteContext().description.clock_rate, 12.5);
  ASSERT_EQ(TAVIO_CreateDIZFile("t.txt", 0, 2, 1.0, 1), 0);
  EXPECT_EQ(WriteContext().format, kFormatDiz);
  EXPECT_EQ(TAVIO_CreateVelmontDataFile("v.dat", 0, 129, 10, 4), TAVIO_E_CHANNEL);
}

TEST_F(WriterDispatchTest, OpenFileRules) {
  EXPECT_EQ(TAVIO_WriteBytes("ab", 2), TAVIO_E_NOT_OPEN);
  EXPECT_EQ(TAVIO_CloseWriteFile(), TAVIO_E_NOT_OPEN);
  const std::string path = Path("o.dat");
  ASSERT_EQ(TAVIO_CreateVelmontDataFile(path.c_str(), 0, 1, 10, 4), 0);
  ASSERT_EQ(TAVIO_WriteHeader(), 0);
  EXPECT_EQ(TAVIO_WriteHeader(), TAVIO_E_ALREADY_OPEN);
  EXPECT_EQ(TAVIO_WriteBytes(nullptr, 2), TAVIO_E_INDEX);
  EXPECT_EQ(TAVIO_WriteBytes(nullptr, 0), 0);
  // A new configuration while the file is open does not take the open file
  // away from its writer.
  ASSERT_EQ(TAVIO_CreateDataFile("DIZ", 0, Path("d.txt").c_str()), 0);
  EXPECT_EQ(TAVIO_WriteBytes("ab", 2), 0);
  EXPECT_EQ(TAVIO_CloseWriteFile(), 0);
  EXPECT_EQ(ReadWholeFile(path).size(), 1015u + 4 + 7 + 12 + 8 + 266 + 24 + 4 * 2);
}

TEST_F(WriterDispatchTest, NoFormatSelectedStaysOpenUntilClosed) {
  WriteContext().format = kFormatNone;
  EXPECT_EQ(TAVIO_WriteHeader(), TAVIO_E_FORMAT);
  EXPECT_EQ(TAVIO_WriteHeader(), TAVIO_E_ALREADY_OPEN);
  EXPECT_EQ(TAVIO_WriteBytes("ab", 2), TAVIO_E_FORMAT);
  EXPECT_EQ(TAVIO_CloseWriteFile(), 0);
  EXPECT_EQ(TAVIO_CloseWriteFile(), TAVIO_E_NOT_OPEN);
}

TEST_F(WriterDispatchTest, SavedReadTimeStampBecomesTheFirstStamp) {
  DataFileContext& rd = ReadContext();
  rd.description.clock_period = 0.25;
  rd.cursor.time_base_seconds = 31 * 86400.0 + 9 * 3600 + 5 * 60 + 7;
  rd.cursor.time_base_index = 0.0;
  rd.cursor.current_index = 1.0;
  ASSERT_EQ(TAVIO_SaveReadTimeStamp(), 0);
  const std::string path = Path("s.dat");
  ASSERT_EQ(TAVIO_CreateVelmontDataFile(path.c_str(), 0, 1, 4, 4), 0);
  ASSERT_EQ(TAVIO_WriteHeader(), 0);
  ASSERT_EQ(TAVIO_WriteBytes("abcd", 4), 0);
  ASSERT_EQ(TAVIO_CloseWriteFile(), 0);
  const Bytes file = ReadWholeFile(path);
  const std::size_t stamp = file.size() - 4 * 2 - 24;
  // Day 31, 09:05:07.2500: the fraction is kept.
  EXPECT_EQ(U32At(file, stamp), 0u);
  EXPECT_EQ(U32At(file, stamp + 4), 0x3109u);
  EXPECT_EQ(U32At(file, stamp + 8), 0x0507u);
  EXPECT_EQ(U32At(file, stamp + 12), 0x2500u);
  EXPECT_EQ(U32At(file, stamp + 16), 0u);
  // The flag survives a new configuration until the clock is chosen again.
  EXPECT_EQ(WriteContext().use_saved_stamp, 1);
  TAVIO_UseSystemTimeStamp();
  EXPECT_EQ(WriteContext().use_saved_stamp, 0);
}

}  // namespace
}  // namespace orvela::tavio::testing
