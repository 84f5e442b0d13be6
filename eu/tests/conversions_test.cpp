// Tests of the count, volt and EU conversions on a basalt handle.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "eu.h"

namespace {

class ConversionsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(EUInit("basalt", &h_), 0); }
  void TearDown() override { EXPECT_EQ(EUClose(&h_), 0); }
  EUHandle* h_ = nullptr;
};

TEST_F(ConversionsTest, CountTypesAndByteOrders) {
  struct Case {
    const char* name;
    int type;
    int order;
    std::vector<unsigned char> bytes;  // as stored
    double expected;
  };
  const float f = -1.5f;
  const double d = 1234.5678;
  std::vector<unsigned char> float_bytes(4), double_bytes(8), float_swapped(4);
  std::memcpy(float_bytes.data(), &f, 4);
  std::memcpy(double_bytes.data(), &d, 8);
  for (int i = 0; i < 4; ++i) float_swapped[i] = float_bytes[3 - i];
  const Case cases[] = {
      {"int16 host", 1, 1, {0x01, 0x00}, 1.0},
      {"int16 reversed", 1, 2, {0x01, 0x00}, 256.0},
      {"int16 any other order reverses", 1, 0, {0x01, 0x00}, 256.0},
      {"int16 negative", 1, 1, {0xff, 0xff}, -1.0},
      {"uint16 zero is most negative", 2, 1, {0x00, 0x00}, -32768.0},
      {"uint16 0x8000 is zero", 2, 1, {0x00, 0x80}, 0.0},
      {"uint16 0x8000 reversed", 2, 2, {0x80, 0x00}, 0.0},
      {"int32", 3, 1, {0xfe, 0xff, 0xff, 0xff}, -2.0},
      {"int32 reversed", 3, 2, {0x00, 0x01, 0x00, 0x00}, 65536.0},
      {"uint32 2147483648 is zero", 4, 1, {0x00, 0x00, 0x00, 0x80}, 0.0},
      {"uint32 zero", 4, 1, {0x00, 0x00, 0x00, 0x00}, -2147483648.0},
      {"float", 5, 1, float_bytes, -1.5},
      {"float reversed", 5, 2, float_swapped, -1.5},
      {"double", 6, 1, double_bytes, 1234.5678},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EUsetCountType(h_, c.type);
    EUsetCountByteOrder(h_, c.order);
    const void* cursor = c.bytes.data();
    double value = -99.0;
    ASSERT_EQ(EUgetCountValue(h_, &cursor, 0, 1, &value), 0);
    EXPECT_EQ(value, c.expected);
    EXPECT_EQ(static_cast<const unsigned char*>(cursor), c.bytes.data() + c.bytes.size());
  }
}

TEST_F(ConversionsTest, GetCountValueIndexStrideAndBadType) {
  const int16_t samples[6] = {10, 11, 12, 13, 14, 15};
  const void* cursor = samples;
  double value = 0.0;
  ASSERT_EQ(EUgetCountValue(h_, &cursor, 2, 3, &value), 0);
  EXPECT_EQ(value, 12.0);
  EXPECT_EQ(cursor, samples + 3);
  for (int bad : {0, 7, -1}) {
    EUsetCountType(h_, bad);
    cursor = samples;
    value = -99.0;
    EXPECT_EQ(EUgetCountValue(h_, &cursor, 0, 1, &value), EU_E_COUNT_TYPE) << bad;
    EXPECT_EQ(value, 0.0);
    EXPECT_EQ(cursor, samples);
  }
}

TEST_F(ConversionsTest, Counts2Volts) {
  const int16_t counts[6] = {100, 200, 300, 400, 500, 600};  // 2 scans of 3 channels
  const double divisor[3] = {10.0, 100.0, 1000.0};
  const double offset[3] = {0.0, 100.0, -100.0};
  struct Case {
    const char* name;
    int scans;
    int selector;
    int expected_rc;
    std::vector<double> expected;  // -1 marks an element left alone
  };
  const Case cases[] = {
      {"all channels", 2, -1, 0, {10.0, 1.0, 0.4, 40.0, 4.0, 0.7}},
      {"channel 2 only: samples 1 and 4", 2, 2, 0, {-1, 1.0, -1, -1, 4.0, -1}},
      {"channel 3 only", 2, 3, 0, {-1, -1, 0.4, -1, -1, 0.7}},
      {"no scans", 0, -1, 0, {-1, -1, -1, -1, -1, -1}},
      {"selector 0 refused", 2, 0, EU_E_CONVERSION, {-1, -1, -1, -1, -1, -1}},
      {"selector past the channels refused", 2, 4, EU_E_CONVERSION, {-1, -1, -1, -1, -1, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<double> volts(6, -1.0);
    EXPECT_EQ(EUcounts2Volts(h_, counts, divisor, offset, 3, c.scans, c.selector, volts.data()), c.expected_rc);
    for (int i = 0; i < 6; ++i) EXPECT_DOUBLE_EQ(volts[i], c.expected[i]) << i;
  }
}

TEST_F(ConversionsTest, Counts2VoltsStopsAtTheFirstFailure) {
  // The table's getCountType is asked on every sample; an unsupported type
  // stops the conversion before anything is written.
  const int16_t counts[2] = {1, 2};
  const double divisor[2] = {1.0, 1.0}, offset[2] = {0.0, 0.0};
  double volts[2] = {-1.0, -1.0};
  EUsetCountType(h_, 9);
  EXPECT_EQ(EUcounts2Volts(h_, counts, divisor, offset, 2, 1, -1, volts), EU_E_COUNT_TYPE);
  EXPECT_EQ(volts[0], -1.0);
  EXPECT_EQ(volts[1], -1.0);
  // A zero divisor is not guarded: IEEE infinity.
  EUsetCountType(h_, 1);
  const double zero_divisor[2] = {0.0, 1.0};
  EXPECT_EQ(EUcounts2Volts(h_, counts, zero_divisor, offset, 2, 1, -1, volts), 0);
  EXPECT_TRUE(std::isinf(volts[0]));
}

TEST_F(ConversionsTest, Volts2EUs) {
  double poly[2] = {1.0, 2.0};      // 1 + 2x
  double square[3] = {0.0, 0.0, 1.0};  // x^2
  struct Case {
    const char* name;
    std::vector<double> volts;
    std::vector<int> types;
    std::vector<double*> coefficients;  // empty: no coefficient array at all
    std::vector<int> orders;
    std::vector<double> offsets;  // empty: no offsets
    int selector;
    int expected_rc;
    std::vector<double> expected;  // -1 marks an element left alone
  };
  const Case cases[] = {
      {"volts", {0.25}, {1}, {}, {0}, {}, -1, 0, {0.25}},
      {"volts plus offset", {0.25}, {1}, {}, {0}, {1.0}, -1, 0, {1.25}},
      {"polynomial order 1 maps 3 V to 7", {3.0}, {2}, {poly}, {1}, {}, -1, 0, {7.0}},
      {"polynomial order 0 gives c0", {3.0}, {2}, {poly}, {0}, {}, -1, 0, {1.0}},
      {"polynomial negative order gives c0", {3.0}, {2}, {poly}, {-2}, {}, -1, 0, {1.0}},
      {"type K at 0 V plus offset", {0.0}, {6}, {}, {0}, {0.5}, -1, 0, {0.5}},
      {"type K at 1 V is the last row", {1.0}, {6}, {}, {0}, {}, -1, 0, {1372.0}},
      {"type K at 4.09623 mV", {0.00409623}, {6}, {}, {0}, {}, -1, 0, {100.0}},
      {"type K then its polynomial", {0.00409623}, {6}, {square}, {2}, {}, -1, 0, {10000.0}},
      {"type K with a null coefficient pointer", {0.00409623}, {6}, {nullptr}, {2}, {}, -1, 0, {100.0}},
      {"null coefficient pointer on a polynomial channel",
       {1.0, 3.0},
       {1, 2},
       {poly, nullptr},
       {1, 1},
       {10.0, 10.0},
       -1,
       EU_E_NO_COEFFICIENTS,
       {11.0, -1}},
      {"polynomial without any coefficient array", {3.0}, {2}, {}, {1}, {}, -1, EU_E_NO_COEFFICIENTS, {-1}},
      {"conversion type 0", {1.0, 2.0}, {1, 0}, {}, {0, 0}, {}, -1, EU_E_CONVERSION, {1.0, -1}},
      {"conversion type 11", {1.0}, {11}, {}, {0}, {}, -1, EU_E_CONVERSION, {-1}},
      {"selector writes its column only", {1.0, 2.0}, {1, 1}, {}, {0, 0}, {}, 2, 0, {-1, 2.0}},
      {"selector skips a bad type elsewhere", {1.0, 2.0}, {0, 1}, {}, {0, 0}, {}, 2, 0, {-1, 2.0}},
      {"selector out of range", {1.0, 2.0}, {1, 1}, {}, {0, 0}, {}, 3, EU_E_CONVERSION, {-1, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int channels = static_cast<int>(c.types.size());
    std::vector<double> eus(c.volts.size(), -1.0);
    std::vector<double*> coefficients = c.coefficients;
    EXPECT_EQ(EUvolts2EUs(h_, c.volts.data(), c.types.data(), c.offsets.empty() ? nullptr : c.offsets.data(),
                          nullptr, nullptr, coefficients.empty() ? nullptr : coefficients.data(), c.orders.data(),
                          channels, static_cast<int>(c.volts.size()) / channels, c.selector, eus.data()),
              c.expected_rc);
    for (size_t i = 0; i < eus.size(); ++i) EXPECT_DOUBLE_EQ(eus[i], c.expected[i]) << i;
  }
}

TEST_F(ConversionsTest, Volts2EUsEvaluatesWithPow) {
  // Ascending powers through the C library's pow, summed from c0 up.
  double c[4] = {0.5, -1.25, 3.0, 0.125};
  const double v = 1.7;
  // Exponents the compiler cannot see, so that it cannot rewrite pow(v, 2)
  // as v * v or fold the powers at compile time with another rounding.
  volatile int one = 1, two = 2, three = 3;
  const double expected =
      ((0.5 + std::pow(v, one) * -1.25) + std::pow(v, two) * 3.0) + std::pow(v, three) * 0.125;
  const int type = 2, order = 3;
  double* coefficients[1] = {c};
  double eu = 0.0;
  ASSERT_EQ(EUvolts2EUs(h_, &v, &type, nullptr, nullptr, nullptr, coefficients, &order, 1, 1, -1, &eu), 0);
  EXPECT_EQ(eu, expected);
}

TEST_F(ConversionsTest, Counts2EUs) {
  const int16_t counts[4] = {1000, 2000, 3000, 4000};  // 2 scans of 2 channels
  const double divisor[2] = {1000.0, 1000.0}, offset[2] = {0.0, 0.0};
  double poly[2] = {1.0, 2.0};
  double* coefficients[2] = {nullptr, poly};
  const int types[2] = {1, 2}, orders[2] = {0, 1};
  const double eu_offsets[2] = {0.0, 0.5};
  const std::vector<double> expected = {1.0, 5.5, 3.0, 9.5};
  for (bool own_scratch : {false, true}) {
    SCOPED_TRACE(own_scratch ? "caller's scratch" : "allocated scratch");
    std::vector<double> scratch(4, -1.0), eus(4, -1.0);
    ASSERT_EQ(EUcounts2EUs(h_, counts, divisor, offset, types, eu_offsets, nullptr, nullptr, coefficients, orders,
                           2, 2, -1, own_scratch ? scratch.data() : nullptr, eus.data()),
              0);
    EXPECT_EQ(eus, expected);
    if (own_scratch) {
      EXPECT_EQ(scratch, (std::vector<double>{1.0, 2.0, 3.0, 4.0}));
    }
  }
  // A failing first step leaves the EU values alone.
  EUsetCountType(h_, 0);
  std::vector<double> eus(4, -1.0);
  EXPECT_EQ(EUcounts2EUs(h_, counts, divisor, offset, types, eu_offsets, nullptr, nullptr, coefficients, orders, 2,
                         2, -1, nullptr, eus.data()),
            EU_E_COUNT_TYPE);
  EXPECT_EQ(eus, std::vector<double>(4, -1.0));
  EXPECT_EQ(EUcounts2EUs(h_, counts, divisor, offset, types, eu_offsets, nullptr, nullptr, coefficients, orders, 2,
                         0, -1, nullptr, eus.data()),
            0);
}

TEST(Conversions, NullHandle) {
  int value = 0;
  double d = 0.0;
  const void* cursor = &d;
  EXPECT_EQ(EUsetCountType(nullptr, 1), EU_E_NO_HANDLE);
  EXPECT_EQ(EUgetCountType(nullptr, &value), EU_E_NO_HANDLE);
  EXPECT_EQ(EUsetCountByteOrder(nullptr, 1), EU_E_NO_HANDLE);
  EXPECT_EQ(EUgetCountByteOrder(nullptr, &value), EU_E_NO_HANDLE);
  EXPECT_EQ(EUsetCurveFitAlgorithm(nullptr, EUleastSquares), EU_E_NO_HANDLE);
  EXPECT_EQ(EUgetCountValue(nullptr, &cursor, 0, 1, &d), EU_E_NO_HANDLE);
  EXPECT_EQ(EUcounts2Volts(nullptr, &d, &d, &d, 1, 1, -1, &d), EU_E_NO_HANDLE);
  EXPECT_EQ(EUvolts2EUs(nullptr, &d, &value, nullptr, nullptr, nullptr, nullptr, &value, 1, 1, -1, &d),
            EU_E_NO_HANDLE);
  EXPECT_EQ(EUcounts2EUs(nullptr, &d, &d, &d, &value, nullptr, nullptr, nullptr, nullptr, &value, 1, 1, -1, nullptr,
                         &d),
            EU_E_NO_HANDLE);
}

}  // namespace
