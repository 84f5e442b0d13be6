// BCD stamps from local times and from seconds, and their decoding.
#include "bcd_stamp.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvela::tavio {
namespace {

std::vector<uint32_t> Words(const BcdStamp& s) {
  std::vector<uint32_t> w(6);
  for (int i = 0; i < 6; ++i)
    w[static_cast<std::size_t>(i)] = static_cast<uint32_t>(s[i * 4]) | static_cast<uint32_t>(s[i * 4 + 1]) << 8 |
                                     static_cast<uint32_t>(s[i * 4 + 2]) << 16 | static_cast<uint32_t>(s[i * 4 + 3]) << 24;
  return w;
}

TEST(BcdStampTest, LocalTimeStamps) {
  const struct {
    int yday, hour, min, sec;
    std::vector<uint32_t> words;
  } cases[] = {
      {31, 9, 5, 7, {0, 0x3109, 0x0507, 0, 0, 0}},      // 1 February 09:05:07
      {0, 0, 0, 0, {0, 0, 0, 0, 0, 0}},                 // 1 January midnight
      {365, 23, 59, 60, {3, 0x6523, 0x5960, 0, 0, 0}},  // 31 December of a leap year, leap second
      {100, 12, 30, 45, {1, 0x0012, 0x3045, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    std::tm t{};
    t.tm_yday = c.yday;
    t.tm_hour = c.hour;
    t.tm_min = c.min;
    t.tm_sec = c.sec;
    EXPECT_EQ(Words(StampFromLocalTime(t)), c.words) << c.yday;
  }
}

TEST(BcdStampTest, SecondsStampsAndDecoding) {
  const struct {
    double seconds;
    std::vector<uint32_t> words;
    double decoded;
  } cases[] = {
      {31 * 86400.0 + 9 * 3600 + 5 * 60 + 7.25, {0, 0x3109, 0x0507, 0x2500, 0, 0}, 31 * 86400.0 + 32707.25},
      {59.99996, {0, 0x0000, 0x0100, 0, 0, 0}, 60.0},  // rounding carries into the minute
      {-3.0, {0, 0, 0, 0, 0, 0}, 0.0},
      {20000 * 86400.0 + 1.0001, {0x200, 0, 0x0001, 0x0001, 0, 0}, 20000 * 86400.0 + 1.0001},
  };
  for (const auto& c : cases) {
    const BcdStamp s = StampFromSeconds(c.seconds);
    EXPECT_EQ(Words(s), c.words) << c.seconds;
    EXPECT_NEAR(StampSeconds(s.data()), c.decoded, 1e-6) << c.seconds;
  }
  EXPECT_FALSE(StampIsSet(BcdStamp{}.data()));
  EXPECT_TRUE(StampIsSet(StampFromFields(0, 1, 0, 0, 0).data()));
  EXPECT_FALSE(StampIsSet(StampFromFields(100, 0, 0, 0, 0).data())) << "word 1 alone marks a stamp as set";
}

}  // namespace
}  // namespace orvela::tavio
