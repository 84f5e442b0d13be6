// Tests for the data file reader: header fields, line counts, segment
// addressing, refused headers and files beyond 4 GiB.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <cstring>
#include <fstream>

#include "engine.h"
#include "recording.h"

namespace trendel {
namespace {

using testing::Recording;
using testing::TempDir;

class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetEngine(); }
  std::string Write(const Recording& r, const std::string& name = "run.dat") {
    const std::string path = dir_.Path(name);
    r.Write(path);
    return path;
  }
  TempDir dir_;
};

TEST_F(ReaderTest, LineCountsAndTimes) {
  struct Case {
    const char* name;
    bool enhanced;
    uint64_t lines;
    uint8_t ref_kind;
  } cases[] = {
      {"plain, three full scans", false, 300, 1},
      {"plain, padded last scan", false, 250, 1},
      {"enhanced, three full scans", true, 300, 1},
      {"enhanced, padded last scan", true, 250, 1},
      {"plain, reference kind 0", false, 250, 0},
      {"enhanced, reference kind 0", true, 250, 0},
  };
  for (const auto& c : cases) {
    Recording r;
    r.enhanced = c.enhanced;
    r.lines = c.lines;
    r.ref_kind = c.ref_kind;
    ASSERT_TRUE(GetFileInfo(Write(r).c_str())) << c.name;
    EXPECT_EQ(ChannelCount, 4) << c.name;
    EXPECT_EQ(lastScanSubCount, r.Pad()) << c.name;
    EXPECT_EQ(numlines, c.lines) << c.name;
    EXPECT_DOUBLE_EQ(starttotalsec, 86400 + 9 * 3600 + 5 * 60 + 7.25) << c.name;
    EXPECT_DOUBLE_EQ(startsec, 9 * 3600 + 5 * 60 + 7.25) << c.name;
    EXPECT_DOUBLE_EQ(endsec, startsec + (c.lines - 1) * 0.01) << c.name;
    EXPECT_DOUBLE_EQ(starttime, startsec) << c.name;
    EXPECT_DOUBLE_EQ(endtime, endsec) << c.name;
  }
}

TEST_F(ReaderTest, ReferenceKindZeroPutsTheSubCountAtOffset16) {
  Recording r;
  r.ref_kind = 0;
  r.lines = 250;
  const auto header = r.Header();
  uint32_t sub = 0;
  std::memcpy(&sub, header.data() + 16, 4);
  EXPECT_EQ(sub, 50u);
}

TEST_F(ReaderTest, SegmentOffsetsAndStrides) {
  Recording r;
  r.enhanced = true;
  r.channels = 8;
  r.segments = {3, 5};
  r.samples_per_scan = 10;
  r.lines = 20;
  ASSERT_TRUE(GetFileInfo(Write(r).c_str()));
  EXPECT_EQ(channelOffset[0], 0u);
  EXPECT_EQ(sampleOffset[0], 6u);
  EXPECT_EQ(channelOffset[2], 4u);
  EXPECT_EQ(channelOffset[3], 60u);
  EXPECT_EQ(sampleOffset[3], 10u);
  EXPECT_EQ(channelOffset[7], 68u);
}

TEST_F(ReaderTest, ListsTypesAndReferences) {
  Recording r;
  r.channels = 3;
  r.names = {"TC1", "Ref", "Slot3"};
  r.units = {"degF", "C", "V"};
  r.types = {"type_k", "TC_Reference", "polynomial"};
  r.refs = {"ref", "", ""};
  ASSERT_TRUE(GetFileInfo(Write(r).c_str()));
  EXPECT_STREQ(sChannelName[2], "Slot3");
  EXPECT_EQ(iConversionType[0], 13);
  EXPECT_EQ(iConversionType[1], CONV_TC_REFERENCE);
  EXPECT_EQ(iConversionType[2], CONV_POLYNOMIAL);
  EXPECT_EQ(iUnits[0], UNIT_DEG_F);
  EXPECT_EQ(iUnits[1], UNIT_DEG_C);
  EXPECT_EQ(iUnits[2], 0);
  EXPECT_EQ(iRefChannel[0], 1);
  EXPECT_EQ(iRefChannel[1], -1);
  EXPECT_EQ(iNumRef, 1);

  // Without the "TC_Ref" list nobody has a reference; the count restarts.
  r.tc_ref_list = false;
  ASSERT_TRUE(GetFileInfo(Write(r, "b.dat").c_str()));
  EXPECT_EQ(iRefChannel[0], -1);
  EXPECT_EQ(iNumRef, 1);
}

TEST_F(ReaderTest, LongTextsAreCut) {
  Recording r;
  r.channels = 2;
  r.names = {std::string(40, 'n'), "b"};
  r.units = {std::string(50, 'u'), "V"};
  r.types = {std::string(300, 't'), "volts"};
  ASSERT_TRUE(GetFileInfo(Write(r).c_str()));
  EXPECT_EQ(std::string(sChannelName[0]), std::string(32, 'n'));
  EXPECT_EQ(std::string(sUnits[0]), std::string(32, 'u'));
  EXPECT_EQ(std::string(sConversionType[0]), std::string(255, 't'));
  EXPECT_EQ(iConversionType[0], CONV_COUNTS);
  EXPECT_STREQ(sChannelName[1], "b");
}

// Every refused header leaves the previously loaded file in place.
TEST_F(ReaderTest, RefusedHeaders) {
  Recording good;
  const std::string good_path = Write(good, "good.dat");
  struct Case {
    const char* name;
    std::function<void(Recording&)> edit;
    std::function<void(std::vector<uint8_t>&)> damage;
  } cases[] = {
      {"more than 2048 channels", [](Recording& r) { r.channels = 2049; r.lines = 1; r.samples_per_scan = 1; }, nullptr},
      {"no channels", [](Recording& r) { r.channels = 0; }, nullptr},
      {"five segments", [](Recording& r) { r.enhanced = true; r.channels = 5; r.segments = {1, 1, 1, 1, 1}; }, nullptr},
      {"segments not adding up", [](Recording& r) { r.enhanced = true; r.segments = {2, 1}; }, nullptr},
      {"no segments", [](Recording& r) { r.enhanced = true; }, [](std::vector<uint8_t>& b) { b[15] = 0; }},
      {"S = 0", [](Recording& r) { r.samples_per_scan = 0; r.lines = 0; }, nullptr},
      {"clock rate 0", [](Recording& r) { r.rate = 0; }, nullptr},
      {"scan block beyond the buffer", [](Recording& r) { r.samples_per_scan = 600000; r.lines = 1; }, nullptr},
      {"sub count not below S", nullptr, [](std::vector<uint8_t>& b) { b[25] = 100; }},
      {"keyed header marker", nullptr, [](std::vector<uint8_t>& b) { b[0] = b[1] = 0xFF; b[1] = 0x7F; }},
      {"container", nullptr, [](std::vector<uint8_t>& b) { std::memcpy(b.data(), "FORM", 4); }},
      {"ends inside the fixed block", nullptr, [](std::vector<uint8_t>& b) { b.resize(500); }},
      {"list reaches the end before its VT", nullptr, [](std::vector<uint8_t>& b) { b.resize(1018); }},
      {"ends inside the numeric blocks", nullptr, [](std::vector<uint8_t>& b) { b.resize(1100); }},
      {"empty file", nullptr, [](std::vector<uint8_t>& b) { b.clear(); }},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(GetFileInfo(good_path.c_str()));
    Recording r;
    if (c.edit) c.edit(r);
    auto bytes = c.damage ? r.Header() : r.Bytes();
    if (c.damage) c.damage(bytes);
    const std::string path = dir_.Path("bad.dat");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    EXPECT_FALSE(GetFileInfo(path.c_str())) << c.name;
    EXPECT_EQ(ChannelCount, 4) << c.name;
    EXPECT_EQ(numlines, 300u) << c.name;
    EXPECT_STREQ(fileParse.fname, good_path.c_str()) << c.name;
  }
  EXPECT_FALSE(GetFileInfo(dir_.Path("missing.dat").c_str()));
  EXPECT_FALSE(GetFileInfo(dir_.Path("").c_str()));  // a directory
  // A FIFO is refused at once instead of waiting for a writer.
  const std::string fifo = dir_.Path("pipe.dat");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(GetFileInfo(fifo.c_str()));
  EXPECT_EQ(ParseTcTablesFrom(fifo.c_str()), -1);
  EXPECT_EQ(ChannelCount, 4);
}

// Scan blocks up to the block buffer's 4,096,100 bytes load and read; one
// sample set more per scan is refused.
TEST_F(ReaderTest, ScanBlocksAtTheBufferSize) {
  struct Case {
    bool enhanced;
    uint32_t S;  // with 2 channels of 2 bytes
    bool loads;
  } cases[] = {
      {false, (4096100 - 24) / 4, true},   // 24 + S * 4 = 4,096,100
      {false, (4096100 - 24) / 4 + 1, false},
      {true, 4096100 / 4, true},           // S * 4 = 4,096,100
      {true, 4096100 / 4 + 1, false},
  };
  for (const auto& c : cases) {
    ResetEngine();
    Recording r;
    r.enhanced = c.enhanced;
    r.channels = 2;
    r.samples_per_scan = c.S;
    r.lines = 5;
    const std::string path = Write(r, "wide.dat");
    ASSERT_EQ(GetFileInfo(path.c_str()), c.loads) << c.enhanced << " " << c.S;
    if (!c.loads) continue;
    EXPECT_EQ(numlines, 5u);
    EXPECT_EQ(BlockSize(), 4096100u);
    fullgraph[0].sx = 100;
    analyzing = 1;
    ComputeFullStats();
    analyzing = 0;
    for (int ch = 0; ch < 2; ++ch) {
      ASSERT_EQ(fullgraph[ch].numData(), 5u) << c.enhanced;
      for (uint64_t k = 0; k < 5; ++k) EXPECT_EQ(fullgraph[ch].data[k], r.value(k, ch)) << c.enhanced << " " << k;
    }
  }
}

TEST_F(ReaderTest, MoreListItemsThanTablesAreDropped) {
  Recording r;
  r.channels = 2;
  auto bytes = r.Bytes();
  // Insert 3000 extra names into list 1 (after "Ch2").
  std::string extra;
  for (int i = 0; i < 3000; ++i) extra += "\tx" + std::to_string(i);
  const size_t at = 1015 + std::string("Ch1\tCh2").size();
  bytes.insert(bytes.begin() + static_cast<long>(at), extra.begin(), extra.end());
  const std::string path = dir_.Path("many.dat");
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(GetFileInfo(path.c_str()));
  EXPECT_EQ(ChannelCount, 2);
  EXPECT_STREQ(sChannelName[2047], "x2045");
  EXPECT_EQ(numlines, 300u);
}

TEST_F(ReaderTest, HeaderOnlyFileHasNoLines) {
  Recording r;
  const auto header = r.Header();
  const std::string path = dir_.Path("empty.dat");
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  ASSERT_TRUE(GetFileInfo(path.c_str()));
  EXPECT_EQ(numlines, 0u);
  EXPECT_EQ(startsec, endsec);
}

TEST(GetVal, Styles) {
  const uint8_t block[2] = {0x01, 0x80};  // 0x8001
  struct Case {
    uint16_t style;
    uint16_t value;
  } cases[] = {{4, 0x8001}, {6, 0x8001}, {5, 0x0001}, {7, 0}, {0x84, 0}, {9, 0}};
  for (const auto& c : cases) {
    m_iXferStyle = c.style;
    EXPECT_EQ(getVal(block, 0), c.value) << c.style;
  }
  m_iXferStyle = 5;
  const uint8_t one[2] = {0x01, 0x00};
  EXPECT_EQ(getVal(one, 0), 0x8001);
}

// A sparse recording of more than 4 GiB: the line count and the samples
// near its end come out right.
TEST_F(ReaderTest, FileBeyondFourGiB) {
  Recording r;
  r.channels = 2;
  r.samples_per_scan = 1000;
  const uint64_t block = 24 + 1000 * 2 * 2;
  const uint64_t blocks = (5ull << 30) / block + 1;
  r.lines = 1;
  const auto header = r.Header();
  const std::string path = dir_.Path("big.dat");
  const int fd = open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, header.data(), header.size()), static_cast<ssize_t>(header.size()));
  const auto stamp = testing::Stamp(0, 10, 0, 0, 0);
  ASSERT_EQ(write(fd, stamp.data(), stamp.size()), 24);
  const uint64_t data_start = header.size();
  // A file system that cannot hold a sparse file this large is no fault of
  // the reader: the test is skipped there.
  if (ftruncate(fd, static_cast<off_t>(data_start + blocks * block)) != 0) {
    const int err = errno;
    close(fd);
    unlink(path.c_str());
    GTEST_SKIP() << "no sparse file of " << blocks * block << " bytes here: " << std::strerror(err);
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || static_cast<uint64_t>(st.st_blocks) * 512 > (64u << 20)) {
    close(fd);
    unlink(path.c_str());
    GTEST_SKIP() << "the file system does not keep files sparse";
  }
  // The last block: line k of it holds k and 60000 - k.
  std::vector<uint8_t> last(block, 0);
  for (int k = 0; k < 1000; ++k) {
    const uint16_t a = static_cast<uint16_t>(k), b = static_cast<uint16_t>(60000 - k);
    std::memcpy(&last[24 + k * 4], &a, 2);
    std::memcpy(&last[24 + k * 4 + 2], &b, 2);
  }
  ASSERT_EQ(pwrite(fd, last.data(), last.size(), static_cast<off_t>(data_start + (blocks - 1) * block)),
            static_cast<ssize_t>(block));
  close(fd);
  // The header said there is no padding (one line, S = 1000 -> 999 pad) :
  // patch the sub count to 0 for whole blocks.
  {
    const int pfd = open(path.c_str(), O_WRONLY);
    const uint32_t zero = 0;
    ASSERT_EQ(pwrite(pfd, &zero, 4, 25), 4);
    close(pfd);
  }
  ASSERT_TRUE(GetFileInfo(path.c_str()));
  EXPECT_EQ(numlines, blocks * 1000);
  // Read the last 500 lines sample by sample through the sub range.
  fullgraph[0].sx = 1 << 30;  // the full graphs are never detailed enough here
  for (int c = 0; c < 2; ++c) graph[c].sx = 1000;
  const double t1 = startsec + static_cast<double>(numlines - 500) * g_dClockPeriod;
  const uint64_t first = TimeToLine(t1);  // 500 lines before the end, give or take rounding
  ASSERT_GT(first, (blocks - 1) * 1000);
  const uint64_t in_last = first - (blocks - 1) * 1000;
  analyzing = 1;
  ComputeSubStats(t1, endsec);
  analyzing = 0;
  ASSERT_EQ(subDecimate, 0u);
  ASSERT_EQ(graph[0].numData(), 1000 - in_last);
  for (uint64_t k = 0; k < 1000 - in_last; ++k) {
    ASSERT_EQ(graph[0].data[k], in_last + k) << k;
    ASSERT_EQ(graph[1].data[k], 60000 - in_last - k) << k;
  }
  unlink(path.c_str());
}

}  // namespace
}  // namespace trendel
