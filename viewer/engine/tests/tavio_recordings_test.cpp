// The engine on recordings written by the data file library: both layouts,
// padded last scans, segments, signed samples (style 5) and thermocouple
// channels with references.  The ".mm" records are checked against minima
// and maxima computed here from the samples handed to the writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "engine.h"
#include "recording.h"
#include "tavio.h"

namespace trendel {
namespace {

using testing::EngineInterp;
using testing::TempDir;

struct TavioCase {
  const char* name;
  const char* format;
  int type;  // 0 unsigned, 1 signed
  std::vector<int> segments;
  uint32_t S;
  uint64_t lines;
  int width;
};

uint16_t Sample(uint64_t k, int c) {
  uint64_t x = (k + 17) * 0x9E3779B97F4A7C15ull ^ (static_cast<uint64_t>(c + 1) << 33);
  x ^= x >> 31;
  return static_cast<uint16_t>(x * 0xD6E8FEB86659FD93ull >> 48);
}

// The bytes the client hands over: sample sets in the file's scan layout
// (segment after segment inside a scan of the enhanced layout).
std::vector<uint16_t> ClientWords(const TavioCase& c, int n) {
  std::vector<uint16_t> words;
  const std::vector<int> segs = c.segments.empty() ? std::vector<int>{n} : c.segments;
  for (uint64_t scan = 0; scan * c.S < c.lines; ++scan) {
    const uint64_t in_scan = std::min<uint64_t>(c.S, c.lines - scan * c.S);
    int first = 0;
    for (int nj : segs) {
      for (uint64_t s = 0; s < in_scan; ++s)
        for (int i = 0; i < nj; ++i) words.push_back(Sample(scan * c.S + s, first + i));
      first += nj;
    }
  }
  return words;
}

class TavioRecordings : public ::testing::TestWithParam<TavioCase> {
 protected:
  TempDir dir_;
};

TEST_P(TavioRecordings, LoadsAndCachesTheRightMinima) {
  const TavioCase& c = GetParam();
  const int n = 16;
  const std::string path = dir_.Path("tavio.dat");
  ASSERT_EQ(TAVIO_CreateDataFile(c.format, c.type, path.c_str()), 0);
  ASSERT_EQ(TAVIO_SetChannelCount(n), 0);
  ASSERT_EQ(TAVIO_SetClockRate(1000), 0);
  ASSERT_EQ(TAVIO_SetNumScanSamples(static_cast<int>(c.S)), 0);
  if (!c.segments.empty()) {
    TAVIO_SetNumScanSegments(static_cast<int>(c.segments.size()));
    for (size_t j = 0; j < c.segments.size(); ++j) TAVIO_SetNumChannelsInScanSegment(static_cast<int>(j), c.segments[j]);
  }
  // Channel 2 is the cold junction of channels 1 and 3 (type K, in F).
  TAVIO_SetChannelName(2, "Junction");
  TAVIO_SetConversionType(2, "TC_Reference");
  for (int ch : {1, 3}) {
    TAVIO_SetConversionType(ch, "type_k");
    TAVIO_SetChannelUnits(ch, "degF");
    TAVIO_SetChannelTCRef(ch, "Junction");
  }
  TAVIO_SetConversionType(4, "volts");
  ASSERT_EQ(TAVIO_WriteHeader(), 0);
  const auto words = ClientWords(c, n);
  ASSERT_EQ(TAVIO_WriteBytes(words.data(), static_cast<int>(words.size() * 2)), 0);
  ASSERT_EQ(TAVIO_CloseWriteFile(), 0);

  EngineInterp tcl;
  ASSERT_EQ(tcl.Ok("LoadFileStats {" + path + "}"), "16");
  EXPECT_EQ(numlines, c.lines);
  EXPECT_EQ(m_iXferStyle, c.type == 1 ? 5 : 4);
  EXPECT_EQ(iConversionType[0], 13);
  EXPECT_EQ(iUnits[0], UNIT_DEG_F);
  EXPECT_EQ(iRefChannel[0], 1);
  EXPECT_EQ(iRefChannel[2], 1);
  EXPECT_EQ(iRefChannel[4], -1);
  EXPECT_EQ(iConversionType[3], CONV_VOLTS);
  tcl.Ok("CalculateTimeRange [GetPercentTime 1 0] [GetPercentTime 1 1] " + std::to_string(c.width));
  ASSERT_GT(fullDecimate, 1u);
  const uint32_t d = fullDecimate;
  const bool drop_tail = enhanced != 0 && d != c.S;

  std::ifstream f(MinMaxCachePath(path.c_str()), std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  const std::string cache = ss.str();
  size_t body = 0;
  for (int line = 0; line < 3; ++line) body = cache.find('\n', body) + 1;
  const size_t groups = (cache.size() - body) / (4 * n);
  ASSERT_EQ((cache.size() - body) % (4 * n), 0u);
  ASSERT_EQ(groups, drop_tail ? c.lines / d : (c.lines + d - 1) / d);
  for (size_t g = 0; g < groups; ++g) {
    for (int ch = 0; ch < n; ++ch) {
      uint16_t lo = 0xFFFF, hi = 0;
      for (uint64_t k = g * d; k < std::min<uint64_t>((g + 1) * d, c.lines); ++k) {
        const uint16_t v = c.type == 1 ? static_cast<uint16_t>(Sample(k, ch) ^ 0x8000) : Sample(k, ch);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
      }
      uint16_t got_lo, got_hi;
      std::memcpy(&got_lo, cache.data() + body + (g * 2 * n + ch) * 2, 2);
      std::memcpy(&got_hi, cache.data() + body + (g * 2 * n + n + ch) * 2, 2);
      ASSERT_EQ(got_lo, lo) << "group " << g << " channel " << ch;
      ASSERT_EQ(got_hi, hi) << "group " << g << " channel " << ch;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, TavioRecordings,
    ::testing::Values(TavioCase{"plain_padded_whole_block", "Velmont", 0, {}, 64, 1000, 10},
                      TavioCase{"plain_signed_part_block", "Velmont", 1, {}, 128, 1000, 20},
                      TavioCase{"enhanced_padded_whole_block", "VelmontEnhanced", 1, {}, 64, 1000, 10},
                      TavioCase{"enhanced_part_block", "VelmontEnhanced", 0, {}, 128, 1000, 20},
                      TavioCase{"enhanced_segments", "VelmontEnhanced", 1, {6, 10}, 64, 1024, 10}),
    [](const ::testing::TestParamInfo<TavioCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace trendel
