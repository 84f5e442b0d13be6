// Tests of the byte-order copies ZORQmemcpyt and ZORQmemcpy.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "ostrel.h"

namespace {

struct OrderCase {
  const char* label;
  int order;
  int count;
  std::vector<uint8_t> expected;  // the first bytes of the destination afterwards
};

class ZorqMemcpytTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(ZorqMemcpytTest, CopiesInTheGivenOrder) {
  const OrderCase& c = GetParam();
  const std::array<uint8_t, 4> src = {0x01, 0x02, 0x03, 0x04};
  std::array<uint8_t, 6> dst = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
  ZORQmemcpyt(dst.data(), src.data(), c.count, c.order);
  for (size_t i = 0; i < c.expected.size(); ++i) EXPECT_EQ(dst[i], c.expected[i]) << "byte " << i;
  // Nothing is written past the count.
  for (size_t i = c.expected.size(); i < dst.size(); ++i) EXPECT_EQ(dst[i], 0xEE) << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(Orders, ZorqMemcpytTest,
                         ::testing::Values(OrderCase{"host_order_1", 1, 4, {0x01, 0x02, 0x03, 0x04}},
                                           OrderCase{"reversed_order_2", 2, 4, {0x04, 0x03, 0x02, 0x01}},
                                           OrderCase{"order_0_reverses", 0, 4, {0x04, 0x03, 0x02, 0x01}},
                                           OrderCase{"order_7_reverses", 7, 4, {0x04, 0x03, 0x02, 0x01}},
                                           OrderCase{"two_bytes_reversed", 2, 2, {0x02, 0x01}},
                                           OrderCase{"one_byte", 2, 1, {0x01}},
                                           OrderCase{"count_0_copies_nothing", 2, 0, {}},
                                           OrderCase{"count_minus_1_copies_nothing", 1, -1, {}}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(ZorqMemcpy, ReversesAllEightBytes) {
  const std::array<uint8_t, 8> src = {1, 2, 3, 4, 5, 6, 7, 8};
  std::array<uint8_t, 8> dst{};
  ZORQmemcpy(dst.data(), src.data(), 8);
  EXPECT_EQ(dst, (std::array<uint8_t, 8>{8, 7, 6, 5, 4, 3, 2, 1}));
}

TEST(ZorqMemcpy, ReversedDoubleReadsBackAfterASecondReversal) {
  const double value = 1234.5678;
  double swapped = 0;
  double back = 0;
  ZORQmemcpy(&swapped, &value, sizeof value);
  ZORQmemcpy(&back, &swapped, sizeof value);
  EXPECT_EQ(back, value);
}

}  // namespace
