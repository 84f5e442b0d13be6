// Moving the read cursor: block reuse and reloads, what lies outside the
// file, segmented and digital layouts.
#include <climits>
#include <cmath>
#include <limits>

#include "read_fixture.h"

namespace orvela::tavio::testing {
namespace {

class ReadPositionTest : public ReaderTest {
 protected:
  // A "Velmont" file of n channels, S sets per scan, `scans` scan blocks and
  // then `tail` more bytes of a block the file does not complete.
  std::string Velmont(int n, int s, int scans, int tail_words = 0) {
    HeaderFields h;
    h.channels = static_cast<uint16_t>(n);
    h.samples = static_cast<uint32_t>(s);
    ByteBuilder b;
    b.Append(FixedHeader(h)).Append(VelmontScans(n, s, scans, StampFromFields(0, 1, 0, 0, 0)));
    if (tail_words > 0) {
      b.Zeros(24);
      for (int i = 0; i < tail_words; ++i) b.U16(TestWord(scans * s + i / n, i % n));
    }
    return WriteFile("v.dat", b.bytes);
  }
};

TEST_F(ReadPositionTest, BlockIsReusedInsideAScanAndReloadedAcrossIt) {
  ASSERT_EQ(TAVIO_ReadDataFile(Velmont(2, 4, 3).c_str()), 0);
  EXPECT_EQ(Sample(0, 3, 2), TestWord(3, 1));
  EXPECT_EQ(ReadContext().cursor.buffer_first, 0.0);
  EXPECT_EQ(Sample(0, 4, 2), TestWord(4, 1));
  EXPECT_EQ(ReadContext().cursor.buffer_first, 4.0);
  EXPECT_EQ(ReadContext().cursor.buffer_last, 7.0);
  for (int k : {11, 0, 7, 8, 5})
    for (int ch : {1, 2}) EXPECT_EQ(Sample(0, k, ch), TestWord(k, ch - 1)) << k << "/" << ch;
}

TEST_F(ReadPositionTest, WhatTheFileDoesNotHoldReadsAsZero) {
  // Two full scans and three words of a third block.
  ASSERT_EQ(TAVIO_ReadDataFile(Velmont(2, 4, 2, 3).c_str()), 0);
  double count = 0.0;
  TAVIO_GetSampleCount(&count);
  EXPECT_EQ(count, 8.0);
  struct Case {
    double k;
    int ch;
    int expected;
  };
  const Case cases[] = {
      {5, 2, TestWord(5, 1)},
      {8, 1, TestWord(8, 0)},  // the short block's bytes are there
      {8, 2, TestWord(8, 1)},
      {9, 1, TestWord(9, 0)},
      {9, 2, 0},  // beyond the short block: not the previous block's word
      {11, 1, 0},
      {100, 1, 0},
      {1e300, 2, 0},
      {-1, 1, 0},
      {-4.5, 2, 0},
      {std::numeric_limits<double>::quiet_NaN(), 1, 0},
      {std::numeric_limits<double>::infinity(), 1, 0},
      {2, 1, TestWord(2, 0)},
  };
  for (const Case& c : cases) EXPECT_EQ(Sample(0, c.k, c.ch), c.expected) << c.k << "/" << c.ch;
}

TEST_F(ReadPositionTest, FractionalIndicesStayInsideTheBlock) {
  ASSERT_EQ(TAVIO_ReadDataFile(Velmont(1, 8, 2).c_str()), 0);
  for (double k : {0.9, 7.0, 0.0, 6.99, 0.5, 7.5, 15.9, 8.1})
    EXPECT_EQ(Sample(0, k, 1), TestWord(static_cast<int>(k), 0)) << k;
  EXPECT_GE(ReadContext().cursor.index_in_scan, 0);
}

TEST_F(ReadPositionTest, SegmentedScansAreReadPerChannel) {
  HeaderFields h;
  h.channels = 3;
  h.samples = 2;
  h.enhanced = true;
  h.segments = {1, 2};
  ByteBuilder b;
  b.Append(FixedHeader(h)).Zeros(24);
  for (int scan = 0; scan < 2; ++scan) {
    for (int k = 0; k < 2; ++k) b.U16(TestWord(2 * scan + k, 0));
    for (int k = 0; k < 2; ++k) b.U16(TestWord(2 * scan + k, 1)).U16(TestWord(2 * scan + k, 2));
  }
  ASSERT_EQ(TAVIO_ReadDataFile(WriteFile("seg.dat", b.bytes).c_str()), 0);
  for (int k = 0; k < 4; ++k)
    for (int ch = 1; ch <= 3; ++ch) EXPECT_EQ(Sample(0, k, ch), TestWord(k, ch - 1)) << k << "/" << ch;
}

TEST_F(ReadPositionTest, DigitalChannelsAreBitsOfTheirWord) {
  HeaderFields h;
  h.channels = 32;
  h.samples = 2;
  h.style = 0x84;
  ByteBuilder b;
  b.Append(FixedHeader(h)).Zeros(24).U16(0x0001).U16(0x0002).U16(0x8000).U16(0x0000);
  ASSERT_EQ(TAVIO_ReadDataFile(WriteFile("dig.dat", b.bytes).c_str()), 0);
  EXPECT_EQ(Sample(0, 0, 1), 1.0);
  EXPECT_EQ(Sample(0, 0, 2), 0.0);
  EXPECT_EQ(Sample(2, 0, 18), 1.0);  // bit 1 of the second word, in any mode
  EXPECT_EQ(Sample(1, 0, 17), 0.0);
  EXPECT_EQ(Sample(0, 1, 16), 1.0);
  EXPECT_EQ(Sample(0, 1, 32), 0.0);
}

TEST_F(ReadPositionTest, CursorArgumentsAndState) {
  ASSERT_EQ(TAVIO_ReadDataFile(Velmont(2, 4, 1).c_str()), 0);
  EXPECT_EQ(TAVIO_SetChannel(0), TAVIO_E_CHANNEL);
  EXPECT_EQ(TAVIO_SetChannel(3), TAVIO_E_CHANNEL);
  for (int bad : {3, 0, -1, INT_MIN, INT_MAX}) EXPECT_EQ(TAVIO_SetSampleAndChannel(1, bad), TAVIO_E_CHANNEL) << bad;
  ASSERT_EQ(TAVIO_SetSampleAndChannel(2, 2), 0);
  double k = 0.0;
  int ch = 0;
  EXPECT_EQ(TAVIO_GetSampleAndChannel(&k, &ch), 0);
  EXPECT_EQ(k, 2.0);
  EXPECT_EQ(ch, 2);
  EXPECT_EQ(TAVIO_GetSampleAndChannel(nullptr, &ch), TAVIO_E_INDEX);
  double out = 42.0;
  EXPECT_EQ(TAVIO_GetSingleSample(3, &out), 0);
  EXPECT_EQ(out, 42.0);
  EXPECT_EQ(TAVIO_GetSingleSample(0, nullptr), TAVIO_E_INDEX);
  EXPECT_EQ(TAVIO_GetSingleSample(1, &out), 0);
  EXPECT_DOUBLE_EQ(out, (TestWord(2, 1) - 32767.0) / 2675.0);
  EXPECT_EQ(TAVIO_CloseReadFile(), 0);
  EXPECT_EQ(TAVIO_CloseReadFile(), TAVIO_E_NOT_OPEN);
  EXPECT_EQ(TAVIO_SetSample(0), TAVIO_E_NOT_OPEN);
  // The description stays after closing.
  int n = 0;
  EXPECT_EQ((TAVIO_GetChannelCount(&n), n), 2);
}

TEST_F(ReadPositionTest, MissingFilesAndExistFile) {
  EXPECT_EQ(TAVIO_ReadDataFile(Path("none.dat").c_str()), TAVIO_E_FILE);
  EXPECT_EQ(TAVIO_ReadDataFile(""), TAVIO_E_FILE);
  EXPECT_EQ(TAVIO_ReadDataFile(nullptr), TAVIO_E_FILE);
  EXPECT_EQ(TAVIO_ExistFile(Path("none.dat").c_str()), 0);
  EXPECT_EQ(TAVIO_ExistFile(""), 0);
  EXPECT_EQ(TAVIO_ExistFile(nullptr), 0);
  EXPECT_EQ(TAVIO_ExistFile(Velmont(1, 1, 1).c_str()), 1);
}

}  // namespace
}  // namespace orvela::tavio::testing
