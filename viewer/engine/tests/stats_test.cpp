// Tests for the statistics engine: group sizes, the full and sub graphs
// against minima and maxima computed here, the cache file, and cancellation.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine.h"
#include "recording.h"

namespace trendel {
namespace {

using testing::EngineInterp;
using testing::Recording;
using testing::TempDir;

uint16_t Scrambled(uint64_t k, int c) {
  uint64_t x = (k + 1) * 0x9E3779B97F4A7C15ull ^ (static_cast<uint64_t>(c) << 40);
  x ^= x >> 29;
  return static_cast<uint16_t>(x * 0xBF58476D1CE4E5B9ull >> 48);
}

// Minimum/maximum pairs of groups of d lines, in getVal's value domain.
std::vector<std::vector<uint16_t>> ExpectedPairs(const Recording& r, uint32_t d, bool drop_partial) {
  std::vector<std::vector<uint16_t>> out(r.channels);
  for (int c = 0; c < r.channels; ++c) {
    for (uint64_t start = 0; start < r.lines; start += d) {
      const uint64_t end = std::min<uint64_t>(start + d, r.lines);
      if (drop_partial && end - start < d) break;
      uint16_t lo = 0xFFFF, hi = 0;
      for (uint64_t k = start; k < end; ++k) {
        uint16_t v = r.value(k, c);
        if (r.style == 5) v ^= 0x8000;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
      }
      out[c].push_back(lo);
      out[c].push_back(hi);
    }
  }
  return out;
}

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

TEST(Decimation, GroupSizes) {
  struct Case {
    uint64_t lines;
    uint32_t S;
    int width;
    uint32_t expected;
  } cases[] = {
      {500, 100, 1000, 0}, {1000000, 1000, 1000, 1000}, {1000000, 4096, 1000, 512},
      {300, 100, 10, 25},  {1000, 1, 10, 1},            {1000, 64, 2000, 0},
  };
  for (const auto& c : cases) {
    numlines = c.lines;
    SamplesPerChannel = c.S;
    fullgraph[0].sx = c.width;
    ComputeFullDecimation();
    EXPECT_EQ(fullDecimate, c.expected) << c.lines << " " << c.S << " " << c.width;
  }
}

struct FullCase {
  const char* name;
  bool enhanced;
  std::vector<uint16_t> segments;
  uint16_t style;
  int channels;
  uint32_t S;
  uint64_t lines;
  int width;
  uint32_t decimate;
  bool dropped_tail;  // enhanced part-block files drop a partly filled last group
};

class FullStatsTest : public ::testing::TestWithParam<FullCase> {
 protected:
  TempDir dir_;
};

TEST_P(FullStatsTest, PairsMatchAndTheCacheHoldsThem) {
  const FullCase& c = GetParam();
  EngineInterp tcl;
  Recording r;
  r.enhanced = c.enhanced;
  r.segments = c.segments;
  r.style = c.style;
  r.channels = c.channels;
  r.samples_per_scan = c.S;
  r.lines = c.lines;
  r.value = Scrambled;
  const std::string path = dir_.Path("rec.dat");
  r.Write(path);
  EXPECT_EQ(tcl.Ok("LoadFileStats " + path), std::to_string(c.channels));
  tcl.Ok("CalculateTimeRange [GetPercentTime 1 0] [GetPercentTime 1 1] " + std::to_string(c.width));
  ASSERT_EQ(fullDecimate, c.decimate);
  const std::string cache = dir_.Path("rec.mm");
  if (c.decimate == 0) {
    for (int ch = 0; ch < c.channels; ++ch) {
      ASSERT_EQ(fullgraph[ch].numData(), c.lines);
      for (uint64_t k = 0; k < c.lines; ++k) {
        uint16_t v = r.value(k, ch);
        if (c.style == 5) v ^= 0x8000;
        ASSERT_EQ(fullgraph[ch].data[k], v);
      }
      EXPECT_EQ(fullgraph[ch].calcMinMax, 0);
    }
    EXPECT_FALSE(std::filesystem::exists(cache));
    return;
  }
  const auto expected = ExpectedPairs(r, c.decimate, c.dropped_tail);
  for (int ch = 0; ch < c.channels; ++ch) {
    EXPECT_EQ(fullgraph[ch].data, expected[ch]) << "channel " << ch;
    EXPECT_EQ(fullgraph[ch].calcMinMax, 1);
  }
  // The cache: three text lines, then per group N minima and N maxima.
  const std::string bytes = ReadAll(cache);
  char head[128];
  std::snprintf(head, sizeof head, "T2\n%f\n%u %u 0 1\n", starttotalsec, c.decimate, c.S);
  ASSERT_EQ(bytes.substr(0, std::strlen(head)), head);
  const std::string body = bytes.substr(std::strlen(head));
  const size_t groups = expected[0].size() / 2;
  ASSERT_EQ(body.size(), groups * 4 * c.channels);
  for (size_t g = 0; g < groups; ++g)
    for (int ch = 0; ch < c.channels; ++ch) {
      uint16_t lo, hi;
      std::memcpy(&lo, body.data() + (g * 2 * c.channels + ch) * 2, 2);
      std::memcpy(&hi, body.data() + (g * 2 * c.channels + c.channels + ch) * 2, 2);
      ASSERT_EQ(lo, expected[ch][2 * g]);
      ASSERT_EQ(hi, expected[ch][2 * g + 1]);
    }

  // A second load reads the cache: progress every 5 records, same pairs.
  std::filesystem::last_write_time(cache, std::filesystem::file_time_type::clock::now());
  tcl.Progress();
  tcl.Ok("LoadFileStats " + path);
  tcl.Ok("CalculateTimeRange [GetPercentTime 1 0] [GetPercentTime 1 1] " + std::to_string(c.width));
  const auto progress = tcl.Progress();
  const std::string of = " of " + std::to_string(groups);
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.front(), "0.000000 0" + of);
  size_t fives = 0;
  for (const auto& p : progress)
    if (p.find(of) != std::string::npos) ++fives;
  EXPECT_EQ(fives, 1 + groups / 5 + 1);
  EXPECT_EQ(progress.back(), "-1.000000 ");
  for (int ch = 0; ch < c.channels; ++ch) EXPECT_EQ(fullgraph[ch].data, expected[ch]) << "channel " << ch;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, FullStatsTest,
    ::testing::Values(FullCase{"plain_part_block", false, {}, 4, 4, 100, 300, 10, 25, false},
                      FullCase{"plain_whole_block", false, {}, 4, 4, 10, 250, 20, 10, false},
                      FullCase{"plain_padded_whole_block", false, {}, 4, 3, 16, 250, 10, 16, false},
                      FullCase{"plain_padded_part_block", false, {}, 4, 16, 64, 1000, 20, 32, false},
                      FullCase{"plain_style5", false, {}, 5, 5, 64, 1000, 20, 32, false},
                      FullCase{"enhanced_segments_part_block", true, {3, 5}, 4, 8, 64, 1000, 20, 32, true},
                      FullCase{"enhanced_padded_whole_block", true, {2, 2}, 5, 4, 16, 250, 10, 16, false},
                      FullCase{"enhanced_one_segment", true, {}, 4, 16, 128, 2000, 30, 64, true},
                      FullCase{"every_sample", false, {}, 4, 4, 100, 50, 100, 0, false}),
    [](const ::testing::TestParamInfo<FullCase>& info) { return std::string(info.param.name); });

class CacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    r_.channels = 4;
    r_.samples_per_scan = 64;
    r_.lines = 1000;
    r_.value = Scrambled;
    path_ = dir_.Path("rec.dat");
    cache_ = dir_.Path("rec.mm");
    r_.Write(path_);
  }
  void Load(EngineInterp& tcl) {
    tcl.Ok("LoadFileStats " + path_);
    tcl.Ok("CalculateTimeRange [GetPercentTime 1 0] [GetPercentTime 1 1] 20");
  }
  TempDir dir_;
  Recording r_;
  std::string path_, cache_;
};

// The records of a cache file of `channels` channels, as (minimum, maximum)
// pairs per channel; empty when the file is missing or malformed.
std::vector<std::vector<uint16_t>> CacheRecords(const std::string& path, int channels) {
  const std::string bytes = ReadAll(path);
  size_t body = 0;
  for (int line = 0; line < 3; ++line) {
    body = bytes.find('\n', body);
    if (body == std::string::npos) return {};
    ++body;
  }
  const size_t record = 4 * static_cast<size_t>(channels);
  if ((bytes.size() - body) % record != 0) return {};
  std::vector<std::vector<uint16_t>> out(channels);
  for (size_t at = body; at < bytes.size(); at += record)
    for (int ch = 0; ch < channels; ++ch) {
      uint16_t lo, hi;
      std::memcpy(&lo, bytes.data() + at + ch * 2, 2);
      std::memcpy(&hi, bytes.data() + at + (channels + ch) * 2, 2);
      out[ch].push_back(lo);
      out[ch].push_back(hi);
    }
  return out;
}

// A cache is keyed by the first stamp, the group size and the scan size
// only.  A recording that grew since its cache was written (viewed while it
// is being recorded, then reloaded) or that was rewritten in place with the
// same first stamp keeps all three, and must still not show the old data:
// a cache whose record count no longer matches the file, or that is older
// than the file, is recomputed and written again.  The record count alone
// must catch a changed length, also when the file's time says nothing (the
// file copied back with its old time).
TEST_F(CacheTest, StaleCachesAreRecomputedAndRewritten) {
  struct Case {
    const char* name;
    uint64_t lines;  // of the file as reloaded
    bool appended;   // scans appended to the first file, else rewritten whole
    uint16_t salt;   // rewritten samples differ from the first file's
    bool newer;      // the file's time after the cache's, else before it
  } cases[] = {
      {"scans appended while recording", 1152, true, 0, false},
      {"rewritten shorter", 800, false, 0x1234, false},
      {"rewritten longer", 1200, false, 0x4321, false},
      {"rewritten with a padded last scan", 1100, false, 0x0F0F, false},
      {"rewritten with as many records", 950, false, 0x5A5A, true},
  };
  for (const auto& c : cases) {
    EngineInterp tcl;
    r_.lines = 960;  // 15 whole scans of 64
    r_.value = Scrambled;
    r_.Write(path_);
    Load(tcl);
    ASSERT_EQ(fullDecimate, 32u) << c.name;
    ASSERT_EQ(CacheRecords(cache_, 4)[0].size(), 2u * 30) << c.name;

    Recording now = r_;
    now.lines = c.lines;
    const uint16_t salt = c.salt;
    now.value = [salt](uint64_t k, int ch) { return static_cast<uint16_t>(Scrambled(k, ch) ^ salt); };
    if (c.appended) {
      const auto whole = now.Bytes();
      const auto first = r_.Bytes();
      ASSERT_TRUE(std::equal(first.begin(), first.end(), whole.begin())) << c.name;
      std::ofstream(path_, std::ios::binary | std::ios::app)
          .write(reinterpret_cast<const char*>(whole.data() + first.size()),
                 static_cast<std::streamsize>(whole.size() - first.size()));
    } else {
      now.Write(path_);
    }
    using std::chrono_literals::operator""s;
    if (c.newer)
      std::filesystem::last_write_time(cache_, std::filesystem::last_write_time(path_) - 2s);
    else
      std::filesystem::last_write_time(path_, std::filesystem::last_write_time(cache_) - 2s);
    tcl.Progress();
    Load(tcl);
    EXPECT_EQ(numlines, c.lines) << c.name;
    ASSERT_EQ(fullDecimate, 32u) << c.name;  // same key as the cache: stamp, group size, scan size
    const auto expected = ExpectedPairs(now, 32, false);
    for (int ch = 0; ch < 4; ++ch) EXPECT_EQ(fullgraph[ch].data, expected[ch]) << c.name << " channel " << ch;
    EXPECT_EQ(CacheRecords(cache_, 4), expected) << c.name;
    // The file was read, not the cache: no report counts the 30 old records.
    for (const auto& p : tcl.Progress()) EXPECT_EQ(p.find(" of 30"), std::string::npos) << c.name << ": " << p;
    // And the rewritten cache serves the next load.
    Load(tcl);
    EXPECT_EQ(fullgraph[0].data, expected[0]) << c.name;
    const auto progress = tcl.Progress();
    ASSERT_FALSE(progress.empty()) << c.name;
    EXPECT_EQ(progress.front(), "0.000000 0 of " + std::to_string(expected[0].size() / 2)) << c.name;
  }
}

TEST_F(CacheTest, MismatchedOrDamagedCachesAreIgnoredAndRewritten) {
  EngineInterp tcl;
  Load(tcl);
  const std::string good = ReadAll(cache_);
  const auto expected = ExpectedPairs(r_, 32, false)[0];
  struct Case {
    const char* name;
    std::function<std::string(std::string)> edit;
  } cases[] = {
      {"other group size", [](std::string s) { return s.replace(s.find("\n32 64"), 6, "\n16 64"); }},
      {"other scan size", [](std::string s) { return s.replace(s.find("\n32 64"), 6, "\n32 65"); }},
      {"fourth number not 1", [](std::string s) { return s.replace(s.find(" 0 1\n"), 5, " 0 2\n"); }},
      {"other version", [](std::string s) { return s.replace(0, 2, "T3"); }},
      {"other first stamp", [](std::string s) { return s.replace(s.find('\n') + 1, 1, "9"); }},
      {"truncated record", [](std::string s) { return s.substr(0, s.size() - 3); }},
      {"one record short", [](std::string s) { return s.substr(0, s.size() - 16); }},
      {"text only", [](std::string s) { return s.substr(0, s.find(" 0 1\n") + 5); }},
      {"empty", [](std::string) { return std::string(); }},
  };
  for (const auto& c : cases) {
    std::string damaged = c.edit(good);
    // Poison the records so that a wrongly accepted cache shows.
    if (damaged.size() > good.find(" 0 1\n") + 5)
      for (size_t i = good.find(" 0 1\n") + 5; i < damaged.size(); ++i) damaged[i] = 0x11;
    std::ofstream(cache_, std::ios::binary) << damaged;
    Load(tcl);
    EXPECT_EQ(fullgraph[0].data, expected) << c.name;
    EXPECT_EQ(ReadAll(cache_), good) << c.name;
  }
}

// Something other than a regular file under the cache's name is neither
// read nor written (a FIFO would make both wait for ever).
TEST_F(CacheTest, FifoInPlaceOfTheCache) {
  ASSERT_EQ(mkfifo(cache_.c_str(), 0600), 0);
  EngineInterp tcl;
  Load(tcl);
  EXPECT_EQ(fullgraph[0].data, ExpectedPairs(r_, 32, false)[0]);
  EXPECT_TRUE(std::filesystem::is_fifo(cache_));
}

TEST_F(CacheTest, CancellingLeavesNoCache) {
  EngineInterp tcl;
  r_.samples_per_scan = 16;
  r_.lines = 2000;  // 125 blocks, whole-block groups at width 20
  r_.Write(path_);
  tcl.Ok("proc progressbar {f m} { lappend ::progress \"$f $m\"; if {[string match {3 of *} $m]} StopCalc }");
  Load(tcl);
  EXPECT_EQ(fullDecimate, 16u);
  EXPECT_FALSE(std::filesystem::exists(cache_));
  EXPECT_EQ(fullgraph[0].numData(), 6u);  // three blocks folded before the stop took effect
  EXPECT_EQ(tcl.Ok("IsDataPresent"), "1");
  const auto progress = tcl.Progress();
  ASSERT_EQ(progress.size(), 5u);
  EXPECT_EQ(progress[0], "0.000000 0 of 125");
  EXPECT_EQ(progress[1], "0.008000 1 of 125");
  EXPECT_EQ(progress[3], "0.024000 3 of 125");
  EXPECT_EQ(progress[4], "-1.000000 ");
  // The next load starts over and, uncancelled, writes the cache.
  tcl.Ok("proc progressbar {f m} {}");
  Load(tcl);
  EXPECT_EQ(fullgraph[0].numData(), 250u);
  EXPECT_TRUE(std::filesystem::exists(cache_));
}

TEST_F(CacheTest, CachePathTakesTheLastDot) {
  EXPECT_EQ(MinMaxCachePath("/x.y/run.dat"), "/x.y/run.mm");
  EXPECT_EQ(MinMaxCachePath("/x/run"), "/x/run.mm");
}

// Sub ranges: from the full graphs, from the last loaded range without
// reading the file, or read again with a smaller group size.
TEST_F(CacheTest, SubRanges) {
  EngineInterp tcl;
  r_.samples_per_scan = 100;
  r_.lines = 100000;
  r_.Write(path_);
  tcl.Ok("LoadFileStats " + path_);
  tcl.Ok("CalculateTimeRange [GetPercentTime 1 0] [GetPercentTime 1 1] 100");
  ASSERT_EQ(fullDecimate, 100u);  // 1000 groups
  // Half the file still has 500 full groups >= 100: drawn from the full graphs.
  tcl.Ok("CalculateTimeRange [GetPercentTime 1 0] [GetPercentTime 1 0.5] 100");
  EXPECT_EQ(graph[0].useFullGraph, 1);
  // Lines 1000 to 5999: 50 full groups < 100, so read in groups of 50.
  auto at = [&](uint64_t line) {
    char t[64];
    FormatSeconds(startsec + (static_cast<double>(line) + 0.5) * g_dClockPeriod, t, sizeof t);
    return std::string(t);
  };
  tcl.Ok("CalculateTimeRange " + at(1000) + " " + at(5999) + " 100");
  EXPECT_EQ(graph[0].useFullGraph, 0);
  EXPECT_EQ(subDecimate, 50u);
  EXPECT_EQ(subFirstLine, 1000u);
  EXPECT_EQ(subLastLine, 5999u);
  Recording part = r_;
  part.lines = 5000;
  part.value = [](uint64_t k, int c) { return Scrambled(k + 1000, c); };
  EXPECT_EQ(graph[1].data, ExpectedPairs(part, 50, false)[1]);
  // Inside it with still >= 100 groups: reused without reading (the file is gone).
  std::filesystem::rename(path_, path_ + ".away");
  tcl.Ok("CalculateTimeRange " + at(1000) + " " + at(5999) + " 100");
  tcl.Ok("CalculateTimeRange " + at(1000) + " " + at(5999) + " 100");
  EXPECT_EQ(graph[1].data, ExpectedPairs(part, 50, false)[1]);
  tcl.Ok("CalculateTimeRange " + at(1500) + " " + at(6999) + " 100");  // outside it: read (nothing now)
  EXPECT_EQ(graph[1].numData(), 0u);
  std::filesystem::rename(path_ + ".away", path_);
  // A range shorter than the width is read sample by sample, from mid-block.
  tcl.Ok("CalculateTimeRange " + at(1234) + " " + at(1283) + " 100");
  EXPECT_EQ(subDecimate, 0u);
  ASSERT_EQ(graph[2].numData(), 50u);
  for (int k = 0; k < 50; ++k) EXPECT_EQ(graph[2].data[k], Scrambled(1234 + k, 2));
  // A range starting mid-block read in groups of 3 (100 / 2 / 2 / 2 / 2 / 2).
  tcl.Ok("CalculateTimeRange " + at(1234) + " " + at(1633) + " 100");
  EXPECT_EQ(subDecimate, 3u);
  Recording shifted = r_;
  shifted.lines = 400;
  shifted.value = [](uint64_t k, int c) { return Scrambled(k + 1234, c); };
  EXPECT_EQ(graph[3].data, ExpectedPairs(shifted, 3, false)[3]);
}

TEST_F(CacheTest, EnhancedSubRangeFromMidBlock) {
  EngineInterp tcl;
  r_.enhanced = true;
  r_.channels = 5;
  r_.segments = {2, 3};
  r_.samples_per_scan = 100;
  r_.lines = 20000;
  r_.Write(path_);
  tcl.Ok("LoadFileStats " + path_);
  tcl.Ok("CalculateTimeRange [GetPercentTime 1 0] [GetPercentTime 1 1] 100");
  auto at = [&](uint64_t line) {
    char t[64];
    FormatSeconds(startsec + (static_cast<double>(line) + 0.5) * g_dClockPeriod, t, sizeof t);
    return std::string(t);
  };
  tcl.Ok("CalculateTimeRange " + at(1234) + " " + at(1283) + " 100");
  for (int ch = 0; ch < 5; ++ch) {
    ASSERT_EQ(graph[ch].numData(), 50u);
    for (int k = 0; k < 50; ++k) ASSERT_EQ(graph[ch].data[k], Scrambled(1234 + k, ch)) << ch << " " << k;
  }
  tcl.Ok("CalculateTimeRange " + at(1234) + " " + at(1633) + " 100");
  EXPECT_EQ(subDecimate, 3u);
  Recording shifted = r_;
  shifted.lines = 400;
  shifted.value = [](uint64_t k, int c) { return Scrambled(k + 1234, c); };
  const auto expected = ExpectedPairs(shifted, 3, false);
  for (int ch = 0; ch < 5; ++ch) EXPECT_EQ(graph[ch].data, expected[ch]) << ch;
}

}  // namespace
}  // namespace trendel

namespace trendel {
namespace {

// An enhanced recording cut short inside its padded last scan: only the
// sample positions whose bytes are present in every segment count, and no
// bytes left in the buffer from the block before are taken for samples.
TEST(ShortLastBlock, EnhancedUsesOnlyTheBytesRead) {
  TempDir dir;
  EngineInterp tcl;
  Recording r;
  r.enhanced = true;
  r.channels = 5;
  r.segments = {2, 3};
  r.samples_per_scan = 64;
  r.lines = 1000;  // 15 scans and 40 lines, 24 pad sets
  r.value = Scrambled;
  auto bytes = r.Bytes();
  bytes.resize(bytes.size() - 200);  // segment 1 of the last scan keeps 30 positions
  const std::string path = dir.Path("cut.dat");
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  tcl.Ok("LoadFileStats " + path);
  EXPECT_EQ(numlines, 15u * 64 + 30);
  tcl.Ok("CalculateTimeRange [GetPercentTime 1 0] [GetPercentTime 1 1] 20");
  ASSERT_EQ(fullDecimate, 32u);
  Recording present = r;
  present.lines = numlines;
  const auto expected = ExpectedPairs(present, 32, true);
  for (int ch = 0; ch < 5; ++ch) EXPECT_EQ(fullgraph[ch].data, expected[ch]) << ch;
}

}  // namespace
}  // namespace trendel

namespace trendel {
namespace {

TEST(TimeToFilePos, PlainAndEnhancedOffsets) {
  struct Case {
    uint8_t enhanced;
    double t;
    uint64_t line;
    uint32_t scan;
    uint64_t offset;
  } cases[] = {
      // startpos 2000, S = 100, N = 4 (ChannelSize 8), period 0.01, startsec 10.
      {0, 10.0, 0, 0, 2000 + 24},
      {0, 10.555, 55, 55, 2000 + 55 * 8 + 24},
      {0, 11.5, 150, 50, 2000 + (100 * 8 + 24) + 50 * 8 + 24},
      {1, 11.5, 150, 50, 2000 + 100 * 8 + 50 * 6},  // stride of channel 1: 3 channels in segment 0
      {0, 9.0, 0, 0, 2000 + 24},                    // before the start
  };
  for (const auto& c : cases) {
    enhanced = c.enhanced;
    startpos = 2000;
    SamplesPerChannel = 100;
    ChannelSize = 8;
    g_dClockPeriod = 0.01;
    startsec = 10.0;
    sampleOffset[0] = 6;
    const FilePos fp = TimeToFilePos(c.t);
    EXPECT_EQ(fp.line, c.line) << c.t;
    EXPECT_EQ(fp.scan, c.scan) << c.t;
    EXPECT_EQ(fp.offset, c.offset) << c.t;
  }
  enhanced = 0;
}

}  // namespace
}  // namespace trendel
