// Tests for the point lists: dense and sparse cases, heights and odd scales.
#include <gtest/gtest.h>

#include "engine.h"

namespace trendel {
namespace {

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_iXferStyle = 4;
    iConversionType[0] = CONV_COUNTS;  // values stay counts
    iRefChannel[0] = -1;
    g_.clearData();
    g_.minyval = 0;
    g_.maxyval = 65535;
    g_.sx = 1000;
    g_.sy = 100;
  }
  cGraph g_;
};

TEST_F(DisplayTest, DenseFullGraphMergesColumns) {
  for (int k = 0; k < 2000; ++k) g_.addPair(static_cast<uint16_t>(k), static_cast<uint16_t>(k + 10));
  g_.calcMinMax = 1;
  g_.x1 = 0;
  g_.x2 = 3998;
  ScaleToWindow(g_, nullptr, 0);
  EXPECT_EQ(g_.decipoints, 2000);
  EXPECT_DOUBLE_EQ(g_.pixelsPerDecipoint, 1000.0 / 1999.0);
  ASSERT_EQ(g_.numPoints() % 2, 0u);
  const size_t columns = g_.numPoints() / 2;
  EXPECT_GE(columns, 998u);
  EXPECT_LE(columns, 999u);  // the last, partly covered column is not emitted
  for (size_t i = 0; i < columns; ++i) {
    EXPECT_EQ(g_.points[2 * i].x, static_cast<int>(i));
    EXPECT_EQ(g_.points[2 * i + 1].x, static_cast<int>(i));
    EXPECT_GE(g_.points[2 * i].y, g_.points[2 * i + 1].y);  // minimum lower on the screen
  }
}

TEST_F(DisplayTest, SparseCases) {
  struct Case {
    const char* name;
    int entries;
    int calc_min_max;
    size_t points;
    int x_step;
  } cases[] = {{"100 samples", 100, 0, 100, 10}, {"30 pairs", 30, 1, 60, 34}};
  for (const auto& c : cases) {
    g_.clearData();
    for (int k = 0; k < c.entries * (c.calc_min_max + 1); ++k) g_.addData(static_cast<uint16_t>(k * 100));
    g_.calcMinMax = c.calc_min_max;
    g_.x1 = 0;
    g_.x2 = static_cast<int64_t>(g_.numData()) - (c.calc_min_max ? 2 : 1);
    ScaleToWindow(g_, nullptr, 0);
    ASSERT_EQ(g_.numPoints(), c.points) << c.name;
    EXPECT_EQ(g_.points[0].x, 0) << c.name;
    const int per = c.calc_min_max + 1;
    EXPECT_EQ(g_.points[per].x, c.x_step) << c.name;
    if (c.calc_min_max) {
      EXPECT_EQ(g_.points[2].x, g_.points[3].x) << c.name;
    }
    EXPECT_LE(g_.points.back().x, 1000) << c.name;
    EXPECT_GE(g_.points.back().x, 990) << c.name;
  }
}

TEST_F(DisplayTest, HeightsAndDegenerateScales) {
  iConversionType[0] = CONV_VOLTS;
  dCounts_Volt[0] = 1.0;
  dOffset_Volts[0] = 0.0;
  dEUAddr[0] = 0.0;
  g_.minyval = -10;
  g_.maxyval = 10;
  g_.sy = 200;
  struct Case {
    double v;
    int y;
  } cases[] = {{0, 100}, {10, 0}, {15, -50}, {-10, 200}};
  for (const auto& c : cases) {
    g_.clearData();
    dEUAddr[0] = c.v;  // counts 0 convert to the adder
    g_.addData(0);
    g_.calcMinMax = 0;
    g_.x1 = g_.x2 = 0;
    ScaleToWindow(g_, nullptr, 0);
    ASSERT_EQ(g_.numPoints(), 1u);
    EXPECT_EQ(g_.points[0].x, 0);  // decipoints <= 1: everything at x = 0
    EXPECT_EQ(g_.points[0].y, c.y) << c.v;
  }
  // Bottom equal to top, and an infinite value (0 counts per volt): finite heights.
  g_.minyval = g_.maxyval = 5;
  dEUAddr[0] = 6;
  ScaleToWindow(g_, nullptr, 0);
  ASSERT_EQ(g_.numPoints(), 1u);
  EXPECT_EQ(g_.points[0].y, 200 - 1000000);
  dCounts_Volt[0] = 0.0;
  g_.minyval = -10;
  ScaleToWindow(g_, nullptr, 0);
  ASSERT_EQ(g_.numPoints(), 1u);
  // Box heights at the int limits (GetChannelData takes any int) with values
  // far outside the scale: the heights stop at the limits.
  dCounts_Volt[0] = 1.0;
  g_.minyval = -10;
  g_.maxyval = 10;
  struct Limit {
    int sy;
    double v;
    int y;
  } limits[] = {{INT32_MAX, -1e9, INT32_MAX}, {INT32_MIN, -1e9, INT32_MIN}, {INT32_MIN, 1e9, INT32_MIN + 1000000}};
  for (const auto& c : limits) {
    g_.sy = c.sy;
    dEUAddr[0] = c.v;
    ScaleToWindow(g_, nullptr, 0);
    ASSERT_EQ(g_.numPoints(), 1u);
    EXPECT_EQ(g_.points[0].y, c.y) << c.sy << " " << c.v;
  }
}

TEST_F(DisplayTest, EmptyAndOutOfRangeWindows) {
  g_.calcMinMax = 1;
  g_.x1 = 0;
  g_.x2 = -2;
  ScaleToWindow(g_, nullptr, 0);
  EXPECT_EQ(g_.numPoints(), 0u);
  g_.addPair(1, 2);
  g_.x1 = 40;  // a window beyond a partial (cancelled) series
  g_.x2 = 80;
  ScaleToWindow(g_, nullptr, 0);
  EXPECT_EQ(g_.numPoints(), 0u);
  g_.x1 = 1;  // odd start on pairs: the last pair is incomplete
  g_.x2 = 1;
  ScaleToWindow(g_, nullptr, 0);
  EXPECT_EQ(g_.numPoints(), 0u);
}

TEST_F(DisplayTest, ReferenceGraphShorterThanTheChannel) {
  cGraph ref;
  ref.addPair(10, 20);
  for (int k = 0; k < 50; ++k) g_.addPair(1, 2);
  g_.calcMinMax = 1;
  g_.x1 = 0;
  g_.x2 = 98;
  ScaleToWindow(g_, &ref, 0);
  EXPECT_EQ(g_.numPoints(), 100u);
}

}  // namespace
}  // namespace trendel
