// Tests of KEPRParse: good files, and truncated, corrupt and hostile ones
// built byte by byte.  Nothing may be read or written past a table or a file.
#include <fcntl.h>
#include <gtest/gtest.h>

#include "container_fixture.h"
#include "kepr.h"

namespace orvela::kepr::testing {
namespace {

const Bytes kSamples = {1, 2, 3, 4, 5, 6, 7, 8};

Bytes GoodForm() {
  return Concat(Chunk("CONF", ConfPayload(TwoChannels(), 500.0, 1234567)), Chunk("DATA", kSamples));
}

Bytes ChannelsFile(int count) {
  Bytes chns;
  for (int i = 0; i < count; ++i) Append(chns, Chunk("CHAN", ChanPayload(TwoChannels()[i % 2])));
  return KeprFile(Concat(Chunk("CONF", Concat(Chunk("CHNS", chns))), Chunk("DATA", kSamples)));
}

// A good file whose FORM length field is changed by `delta`.
Bytes FormLengthOff(int delta) {
  Bytes file = KeprFile(GoodForm());
  const Bytes length = U32(static_cast<uint32_t>(file.size() - 8 + delta));
  std::copy(length.begin(), length.end(), file.begin() + 4);
  return file;
}

// The good file with one CHAN chunk replaced by `chan_payload`.
Bytes WithChannel(const Bytes& chan_payload) {
  const Bytes conf = Concat(Chunk("CHNS", Chunk("CHAN", chan_payload)), Chunk("CLKR", F64(500.0)));
  return KeprFile(Concat(Chunk("CONF", conf), Chunk("DATA", kSamples)));
}

struct ParseCase {
  const char* label;
  Bytes file;
  int rc;
  int channels;  // expected channel count afterwards (-1: not checked)
};

class KeprParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(KeprParseTest, AcceptsOrRefuses) {
  const ParseCase& c = GetParam();
  ScratchFile file;
  file.Write(c.file);
  Parsed parsed;
  ::testing::internal::CaptureStdout();
  ParseFile(file.path(), &parsed);
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(parsed.rc, c.rc);
  if (c.channels >= 0) {
    ASSERT_EQ(parsed.file.result.formType, KEPR_FORM_KEPR);
    EXPECT_EQ(parsed.file.result.kepr.channelCount, c.channels);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, KeprParseTest,
    ::testing::Values(
        ParseCase{"good", KeprFile(GoodForm()), 1, 2}, ParseCase{"no_chunks", KeprFile({}), 1, 0},
        ParseCase{"list_first", Chunk("LIST", Concat(Id("KEPR"), GoodForm())), 0, -1},
        ParseCase{"cat_first", Chunk("CAT ", Concat(Id("KEPR"), GoodForm())), 0, -1},
        ParseCase{"unknown_form_type", Chunk("FORM", Concat(Id("AIFF"), GoodForm())), 0, -1},
        ParseCase{"empty_file", {}, 0, -1}, ParseCase{"header_only", Concat(Id("FORM"), U32(4)), 0, -1},
        ParseCase{"form_length_below_4", Concat(Id("FORM"), U32(2), Id("KEPR")), 0, 0},
        ParseCase{"form_length_2_more", FormLengthOff(2), 0, 2},
        ParseCase{"form_length_2_less", FormLengthOff(-2), 0, 2},
        ParseCase{"form_length_huge", FormLengthOff(0x7FFFFFF0), 0, 2},
        ParseCase{"unknown_chunk_in_form", KeprFile(Concat(Chunk("JUNK", Text("abc")), GoodForm())), 1, 2},
        ParseCase{"unknown_chunk_in_chan",
                  WithChannel(Concat(Chunk("NAME", Text("A")), Chunk("XYZZ", Text("odd")),
                                     Chunk("EU  ", Text("V")))),
                  1, 1},
        ParseCase{"odd_data_without_pad_at_the_end",
                  Concat(Id("FORM"), U32(4 + 8 + 3), Id("KEPR"), Id("DATA"), U32(3), Text("abc")), 1, 0}),
    [](const auto& info) { return std::string(info.param.label); });

INSTANTIATE_TEST_SUITE_P(
    HostileTables, KeprParseTest,
    ::testing::Values(
        ParseCase{"channels_128", ChannelsFile(128), 1, 128},
        ParseCase{"channels_129", ChannelsFile(129), 0, 128},
        ParseCase{"channels_1000", ChannelsFile(1000), 0, 128},
        ParseCase{"text_longer_than_its_slot",
                  WithChannel(Concat(Chunk("NAME", Text(std::string(200, 'n'))), Chunk("EU  ", Text("V")))),
                  1, 1},
        ParseCase{"number_of_4_bytes", WithChannel(Chunk("CPV ", U32(1))), 0, 1},
        ParseCase{"number_of_16_bytes", WithChannel(Chunk("GFAC", Concat(F64(1), F64(2)))), 0, 1},
        ParseCase{"number_of_0_bytes", WithChannel(Chunk("ZO  ", {})), 0, 1},
        ParseCase{"time_of_8_bytes", KeprFile(Chunk("CONF", Chunk("TIME", F64(1)))), 0, 0},
        ParseCase{"clock_of_2_bytes", KeprFile(Chunk("CONF", Chunk("CLKR", U16(1)))), 0, 0}),
    [](const auto& info) { return std::string(info.param.label); });

// Lengths that run past their container or the file.
INSTANTIATE_TEST_SUITE_P(
    Lengths, KeprParseTest,
    ::testing::Values(
        ParseCase{"chunk_past_its_container",
                  WithChannel(Concat(Chunk("NAME", Text("A")), ChunkClaiming("EU  ", 400, Text("VV")))), 0,
                  1},
        ParseCase{"conf_past_the_form",
                  KeprFile(Concat(ChunkClaiming("CONF", 5000, ConfPayload(TwoChannels(), 1, 2)))), 0, 0},
        ParseCase{"data_past_the_file",
                  Concat(Id("FORM"), U32(4 + 8 + 1000), Id("KEPR"), Id("DATA"), U32(1000), kSamples), 0, 0},
        ParseCase{"length_all_ones", KeprFile(ChunkClaiming("CONF", 0xFFFFFFFF, {})), 0, 0},
        ParseCase{"header_cut_inside_a_container", KeprFile(Chunk("CONF", Bytes{'C', 'H', 'N'})), 0, 0},
        ParseCase{"data_beyond_2_gib_claimed",
                  Concat(Id("FORM"), U32(0xFFFFFFF0), Id("KEPR"), Id("DATA"), U32(0x80000000)), 0, 0}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(KeprParse, FillsTheResultFromTheChunks) {
  ScratchFile file;
  const Bytes conf = Chunk("CONF", ConfPayload(TwoChannels(), 500.0, 1234567));
  file.Write(KeprFile(Concat(conf, Chunk("DATA", kSamples))));
  Parsed parsed;
  ParseFile(file.path(), &parsed);
  ASSERT_EQ(parsed.rc, 1);
  const KEPRParseResult& r = parsed.file.result.kepr;
  EXPECT_EQ(r.formType, KEPR_FORM_KEPR);
  EXPECT_EQ(std::memcmp(&r.formType, "RPEK", 4), 0) << "the form type as a number on a little-endian host";
  EXPECT_EQ(r.clockRate, 500.0);
  EXPECT_EQ(r.creationTime, 1234567u);
  EXPECT_EQ(r.dataLength, static_cast<int>(kSamples.size()));
  EXPECT_EQ(r.dataOffset, static_cast<int>(12 + conf.size() + 8));
  const std::vector<ChannelFields> expected = TwoChannels();
  for (int i = 0; i < 2; ++i) {
    const KEPRChannel& c = r.channels[i];
    EXPECT_STREQ(c.name, expected[i].name.c_str());
    EXPECT_STREQ(c.conversionType, expected[i].type.c_str());
    EXPECT_STREQ(c.units, expected[i].units.c_str());
    EXPECT_STREQ(c.referenceChannel, expected[i].reference.c_str());
    EXPECT_STREQ(c.calibrationSet, expected[i].calibration.c_str());
    EXPECT_EQ(c.countsPerVolt, expected[i].cpv);
    EXPECT_EQ(c.zeroOffset, expected[i].zo);
    EXPECT_EQ(c.tare, expected[i].tare);
    EXPECT_EQ(c.shuntCal, expected[i].scal);
    EXPECT_EQ(c.gaugeFactor, expected[i].gfac);
  }
  EXPECT_EQ(r.channels[2].name[0], '\0') << "unused descriptors stay zero";
}

TEST(KeprParse, UnknownChunkIsReportedAndSkipped) {
  ScratchFile file;
  file.Write(
      WithChannel(Concat(Chunk("NAME", Text("A")), Chunk("XYZZ", Text("odd")), Chunk("EU  ", Text("V")))));
  Parsed parsed;
  ::testing::internal::CaptureStdout();
  ParseFile(file.path(), &parsed);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "don't know subtag 58595a5a\n");
  ASSERT_EQ(parsed.rc, 1);
  EXPECT_STREQ(parsed.file.result.kepr.channels[0].name, "A");
  EXPECT_STREQ(parsed.file.result.kepr.channels[0].units, "V");
}

TEST(KeprParse, LongTextIsCutAndTheNextChunkStillRead) {
  ScratchFile file;
  file.Write(WithChannel(Concat(Chunk("NAME", Text(std::string(41, 'n'))), Chunk("EU  ", Text("V")))));
  Parsed parsed;
  ParseFile(file.path(), &parsed);
  ASSERT_EQ(parsed.rc, 1);
  EXPECT_EQ(std::string(parsed.file.result.kepr.channels[0].name), std::string(31, 'n'));
  EXPECT_STREQ(parsed.file.result.kepr.channels[0].units, "V");
}

TEST(KeprParse, EveryTruncationIsRefused) {
  const Bytes whole = KeprFile(GoodForm());
  ScratchFile file;
  for (size_t size = 0; size < whole.size(); ++size) {
    file.Write(Bytes(whole.begin(), whole.begin() + static_cast<long>(size)));
    Parsed parsed;
    ParseFile(file.path(), &parsed);
    EXPECT_EQ(parsed.rc, 0) << "cut at " << size;
  }
}

TEST(KeprParse, UnrecognisedFilesLeaveTheResultUntouched) {
  ScratchFile file;
  file.Write(Chunk("LIST", Concat(Id("KEPR"), GoodForm())));
  KEPRParsed result;
  std::memset(&result, 0x5C, sizeof result);
  const KEPRParsed before = result;
  const int fd = KEPROpenFile(file.path(), 0);
  EXPECT_EQ(KEPRParse(fd, &result), 0);
  EXPECT_EQ(std::memcmp(&result, &before, sizeof result), 0);
  EXPECT_EQ(KEPRParse(fd, nullptr), 0);
  EXPECT_EQ(KEPRParse(-1, &result), 0);
  KEPRCloseReadFile(fd);
}

}  // namespace
}  // namespace orvela::kepr::testing
