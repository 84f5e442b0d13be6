// Tests for BCD stamps and time texts.
#include "bcd_time.h"

#include <gtest/gtest.h>

#include <cstring>

namespace trendel {
namespace {

TEST(BcdTime, DecodesAndNormalises) {
  struct Case {
    uint8_t b8;
    int days, hours, minutes;
    double seconds;
  } cases[] = {
      {0x59, 1, 23, 59, 59.9999},  // 59.9999 < 59.99999999: stays
      {0x60, 2, 0, 0, 0.9999},     // rolls over into the next day
  };
  for (const auto& c : cases) {
    uint8_t stamp[24] = {};
    stamp[4] = 0x23;
    stamp[5] = 0x01;
    stamp[8] = c.b8;
    stamp[9] = 0x59;
    stamp[12] = 0x99;
    stamp[13] = 0x99;
    cBcdTime t;
    EXPECT_EQ(t.setTime(stamp), c.days);
    EXPECT_EQ(t.hours, c.hours);
    EXPECT_EQ(t.minutes, c.minutes);
    EXPECT_NEAR(t.seconds, c.seconds, 1e-9);
    EXPECT_NEAR(t.totalseconds, c.days * 86400.0 + c.hours * 3600.0 + c.minutes * 60.0 + c.seconds, 1e-6);
  }
}

TEST(BcdTime, HundredsOfDaysAndOffset) {
  uint8_t stamp[24] = {};
  stamp[0] = 0x02;  // 200 days
  stamp[5] = 0x34;  // + 34
  stamp[4] = 0x09;
  cBcdTime t;
  EXPECT_EQ(t.setTime(stamp), 234);
  EXPECT_EQ(t.setTimeOffset(stamp, 234), 0);
  EXPECT_DOUBLE_EQ(t.totalseconds, 9 * 3600.0);
}

TEST(BcdTime, TimeTexts) {
  cBcdTime t;
  t.convertSecondsToTime(9 * 3600 + 5 * 60 + 7.25);
  char text[64];
  t.formatTimeStamp(text, sizeof text);
  EXPECT_STREQ(text, "0:09:05:7.250000");
  struct Case {
    const char* text;
    double seconds;
  } cases[] = {{"1:2:3:4.5", 93784.5}, {"1:2:3", 0.0}, {"0:09:05:7.250000", 32707.25}, {"", 0.0}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(cBcdTime().parseTimeStamp(c.text), c.seconds) << c.text;
  // A malformed text leaves the fields alone.
  t.parseTimeStamp("5:6");
  EXPECT_EQ(t.hours, 9);
}

}  // namespace
}  // namespace trendel
