// Tests of writing "KEPR" files: golden layouts computed from the chunk
// tables, chunk results and codes, and the closing patch.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "container_fixture.h"
#include "kepr.h"

namespace orvela::kepr::testing {
namespace {

constexpr double kClock = 1000.0;
constexpr uint32_t kTime = 0x5F5E1000;

// Writes a form with `channels` and `samples` through the library, the way the
// data file library does.
void WriteKepr(const ScratchFile& file, const std::vector<ChannelFields>& channels, const Bytes& samples,
               size_t piece) {
  std::vector<KEPRChannel> descriptors;
  for (const ChannelFields& c : channels) descriptors.push_back(MakeChannel(c));
  KEPRForm form{kClock, kTime, static_cast<int>(descriptors.size()), descriptors.data()};
  const int fd = KEPRCreateFile(file.path());
  ASSERT_GE(fd, 0);
  const Bytes conf = Chunk("CONF", ConfPayload(channels, kClock, kTime));
  // FORM header 8 + form type 4 + CONF + empty DATA chunk 8.
  EXPECT_EQ(KEPRWriteChunk(fd, KEPR_ID_FORM, KEPRWriteForm, &form),
            static_cast<int>(8 + 4 + conf.size() + 8));
  for (size_t at = 0; at < samples.size(); at += piece) {
    const size_t n = std::min(piece, samples.size() - at);
    ASSERT_EQ(KEPRWriteBytes(fd, samples.data() + at, static_cast<int>(n)), 0);
  }
  EXPECT_EQ(KEPRCloseWriteFile(fd), 0);
}

Bytes Samples(size_t n) {
  Bytes out(n);
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(i * 7 + 1);
  return out;
}

struct GoldenCase {
  const char* label;
  size_t channels;
  size_t sample_bytes;
  size_t piece;  // bytes per KEPRWriteBytes call
};

class KeprGoldenTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(KeprGoldenTest, MatchesTheLayoutByteForByte) {
  const GoldenCase& c = GetParam();
  std::vector<ChannelFields> channels = TwoChannels();
  channels.resize(c.channels);
  const Bytes samples = Samples(c.sample_bytes);
  ScratchFile file;
  WriteKepr(file, channels, samples, c.piece);

  const Bytes conf_payload = ConfPayload(channels, kClock, kTime);
  const Bytes expected = Concat(
      Id("FORM"), U32(static_cast<uint32_t>(4 + 8 + conf_payload.size() + 8 + samples.size())), Id("KEPR"),
      Chunk("CONF", conf_payload), Id("DATA"), U32(static_cast<uint32_t>(samples.size())), samples);
  const Bytes actual = file.Read();
  ASSERT_EQ(actual.size(), expected.size());
  EXPECT_EQ(actual, expected);
  // The layout the readers rely on: FORM = file - 8, DATA at 20 + C, samples from 28 + C.
  const size_t conf = conf_payload.size();
  EXPECT_EQ(conf % 2, 0u);
  EXPECT_EQ(Bytes(actual.begin() + 4, actual.begin() + 8), U32(static_cast<uint32_t>(actual.size() - 8)));
  EXPECT_EQ(Bytes(actual.begin() + 20 + conf, actual.begin() + 24 + conf), Id("DATA"));
  EXPECT_EQ(Bytes(actual.begin() + 24 + conf, actual.begin() + 28 + conf),
            U32(static_cast<uint32_t>(samples.size())));
}

INSTANTIATE_TEST_SUITE_P(Files, KeprGoldenTest,
                         ::testing::Values(GoldenCase{"two_channels_no_samples", 2, 0, 1},
                                           GoldenCase{"two_channels_1000_bytes_one_call", 2, 1000, 1000},
                                           GoldenCase{"two_channels_1000_bytes_in_pieces", 2, 1000, 64},
                                           GoldenCase{"one_channel", 1, 20, 20},
                                           GoldenCase{"no_channels", 0, 0, 1}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(KeprWriter, ThreeCharacterNameIsPaddedToTwelveBytes) {
  ScratchFile file;
  WriteKepr(file, TwoChannels(), {}, 1);
  const Bytes bytes = file.Read();
  const Bytes name = Id("NAME");
  const auto at = std::search(bytes.begin(), bytes.end(), name.begin(), name.end()) - bytes.begin();
  ASSERT_LT(at + 16, static_cast<long>(bytes.size()));
  EXPECT_EQ(Bytes(bytes.begin() + at + 4, bytes.begin() + at + 8), U32(3));
  EXPECT_EQ(Bytes(bytes.begin() + at + 8, bytes.begin() + at + 12), (Bytes{'T', 'c', '1', 0}));
  EXPECT_EQ(Bytes(bytes.begin() + at + 12, bytes.begin() + at + 16), Id("CVTP"));
}

TEST(KeprWriter, TextsFillingTheirSlotAreWrittenAtThirtyOneCharacters) {
  KEPRChannel channel = MakeChannel(TwoChannels()[0]);
  std::memset(channel.name, 'N', sizeof channel.name);  // no NUL at all
  KEPRForm form{kClock, kTime, 1, &channel};
  ScratchFile file;
  const int fd = KEPRCreateFile(file.path());
  ASSERT_GT(KEPRWriteChunk(fd, KEPR_ID_FORM, KEPRWriteForm, &form), 0);
  ASSERT_EQ(KEPRCloseWriteFile(fd), 0);
  const Bytes bytes = file.Read();
  const Bytes name = Chunk("NAME", Bytes(31, 'N'));
  EXPECT_NE(std::search(bytes.begin(), bytes.end(), name.begin(), name.end()), bytes.end());
}

TEST(KeprWriter, RefusesFormRecordsItCannotWrite) {
  KEPRChannel channel = MakeChannel(TwoChannels()[0]);
  struct Case {
    const char* label;
    KEPRForm form;
  };
  const Case cases[] = {
      {"negative_count", {kClock, kTime, -1, &channel}},
      {"count_above_128", {kClock, kTime, KEPR_MAX_CHANNELS + 1, &channel}},
      {"channels_missing", {kClock, kTime, 2, nullptr}},
  };
  ScratchFile file;
  const int fd = KEPRCreateFile(file.path());
  for (const Case& c : cases) {
    KEPRForm form = c.form;
    EXPECT_EQ(KEPRWriteForm(fd, &form), KEPR_E_BODY) << c.label;
  }
  EXPECT_EQ(KEPRWriteForm(fd, nullptr), KEPR_E_BODY);
  EXPECT_EQ(file.Read().size(), 0u) << "nothing written for a refused record";
  close(fd);
}

int OddBody(int fd, void*) {
  return write(fd, "abc\0", 4) == 4 ? 3 : -4;
}
int FailingBody(int, void*) {
  return -9;
}

TEST(KeprWriteChunk, ResultsAndCodes) {
  ScratchFile file;
  const int fd = KEPRCreateFile(file.path());
  EXPECT_EQ(KEPRWriteChunk(fd, KEPR_ID('O', 'D', 'D', ' '), OddBody, nullptr), 12);
  EXPECT_EQ(KEPRWriteChunk(fd, KEPR_ID('B', 'A', 'D', ' '), FailingBody, nullptr), -9);
  EXPECT_EQ(KEPRWriteChunk(fd, KEPR_ID('N', 'U', 'L', 'L'), nullptr, nullptr), KEPR_E_BODY);
  close(fd);
  EXPECT_EQ(file.Read(), Concat(Id("ODD "), U32(3), Text("abc"), Bytes{0}, Id("BAD "), U32(0)));

  EXPECT_EQ(KEPRWriteChunk(-1, KEPR_ID_FORM, OddBody, nullptr), KEPR_E_SEEK);
  const int read_only = open(file.path(), O_RDONLY);
  EXPECT_EQ(KEPRWriteChunk(read_only, KEPR_ID_FORM, OddBody, nullptr), KEPR_E_WRITE);
  close(read_only);
}

TEST(KeprWriteBytes, ResultsAndCodes) {
  ScratchFile file;
  const int fd = KEPRCreateFile(file.path());
  const uint8_t data[3] = {1, 2, 3};
  EXPECT_EQ(KEPRWriteBytes(fd, data, 3), 0);
  EXPECT_EQ(KEPRWriteBytes(fd, data, 0), 0);
  EXPECT_EQ(KEPRWriteBytes(fd, data, -1), KEPR_E_WRITE);
  EXPECT_EQ(KEPRWriteBytes(fd, nullptr, 2), KEPR_E_WRITE);
  EXPECT_EQ(KEPRWriteRaw(fd, data, 2), 2);
  EXPECT_EQ(KEPRWriteRaw(-1, data, 2), -1);
  close(fd);
  EXPECT_EQ(file.Read(), (Bytes{1, 2, 3, 1, 2}));
  const int read_only = open(file.path(), O_RDONLY);
  EXPECT_EQ(KEPRWriteBytes(read_only, data, 3), KEPR_E_WRITE);
  close(read_only);
}

TEST(KeprLseek, ReportsFailure) {
  ScratchFile file;
  const int fd = KEPRCreateFile(file.path());
  EXPECT_EQ(KEPRWriteBytes(fd, "0123456789", 10), 0);
  EXPECT_EQ(KEPRLseek(fd, 4, SEEK_SET), 4);
  EXPECT_EQ(KEPRLseek(fd, 0, SEEK_END), 10);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(KEPRLseek(fd, -20, SEEK_CUR), -1);
  EXPECT_EQ(KEPRLseek(-1, 0, SEEK_SET), -1);
  const std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(printed.find("KEPRLseek failed"), std::string::npos) << printed;
  close(fd);
}

TEST(KeprFiles, CreateTruncatesAndOpenFindsOnlyExistingFiles) {
  ScratchFile file;
  file.Write(Bytes(100, 'x'));
  const int fd = KEPRCreateFile(file.path());
  ASSERT_GE(fd, 0);
  EXPECT_EQ(KEPRWriteBytes(fd, "ab", 2), 0);
  EXPECT_EQ(KEPRLseek(fd, 0, SEEK_SET), 0);
  char back[2] = {};
  EXPECT_EQ(read(fd, back, 2), 2) << "created for reading and writing";
  close(fd);
  EXPECT_EQ(file.Read(), Text("ab"));

  EXPECT_EQ(KEPRCreateFile(nullptr), -1);
  EXPECT_EQ(KEPRCreateFile("/nonexistent-folder/x.kepr"), -1);
  EXPECT_EQ(KEPROpenFile(nullptr, 0), -1);
  EXPECT_EQ(KEPROpenFile("/nonexistent-folder/x.kepr", 0), -1);
  const int reader = KEPROpenFile(file.path(), 0);
  ASSERT_GE(reader, 0);
  EXPECT_EQ(KEPRCloseReadFile(reader), 1);
  EXPECT_EQ(KEPRCloseReadFile(reader), 0) << "already closed";
}

// The closing patch reports what it could not do instead of claiming success.
TEST(KeprCloseWriteFile, ReportsFilesItCannotFinish) {
  struct Case {
    const char* label;
    Bytes contents;
    bool read_only;
  };
  const Bytes conf = Chunk("CONF", ConfPayload(TwoChannels(), kClock, kTime));
  const Bytes good = Concat(Id("FORM"), U32(0), Id("KEPR"), conf, Id("DATA"), U32(0), Bytes(6, 9));
  Bytes conf_past_end = good;
  conf_past_end[16] = 0x7F;  // CONF length far beyond the file
  const Case cases[] = {
      {"empty_file", {}, false},
      {"shorter_than_a_header", Text("FORM"), false},
      {"conf_length_past_the_end", conf_past_end, false},
      {"read_only_handle", good, true},
  };
  for (const Case& c : cases) {
    ScratchFile file;
    file.Write(c.contents);
    const int fd = open(file.path(), c.read_only ? O_RDONLY : O_RDWR);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(KEPRCloseWriteFile(fd), -1) << c.label;
    EXPECT_EQ(file.Read().size(), c.contents.size()) << c.label << ": the file must not grow";
  }
  // The same bytes on a writable handle are finished.
  ScratchFile file;
  file.Write(good);
  const int fd = open(file.path(), O_RDWR);
  EXPECT_EQ(KEPRCloseWriteFile(fd), 0);
  const Bytes patched = file.Read();
  EXPECT_EQ(Bytes(patched.begin() + 4, patched.begin() + 8), U32(static_cast<uint32_t>(good.size() - 8)));
  EXPECT_EQ(Bytes(patched.begin() + 24 + conf.size() - 8, patched.begin() + 28 + conf.size() - 8), U32(6));
}

}  // namespace
}  // namespace orvela::kepr::testing

namespace orvela::kepr::testing {
namespace {

// Every code is negative (byte counts are not) and used once.
TEST(KeprCodes, AreNegativeAndDistinct) {
  struct Code {
    int value;
    const char* symbol;
    const char* text;
  };
#define KEPR_CODE_ROW(symbol, value, text) {value, #symbol, text},
  const Code codes[] = {KEPR_CODES(KEPR_CODE_ROW)};
#undef KEPR_CODE_ROW
  for (size_t i = 0; i < std::size(codes); ++i) {
    EXPECT_LT(codes[i].value, 0) << codes[i].symbol;
    EXPECT_GT(std::strlen(codes[i].text), 0u) << codes[i].symbol;
    for (size_t j = i + 1; j < std::size(codes); ++j)
      EXPECT_NE(codes[i].value, codes[j].value) << codes[i].symbol;
  }
}

}  // namespace
}  // namespace orvela::kepr::testing
