// Tests of basalt, the standard implementation: its defaults, its name, its
// forwarding entries and calcPolyCoefs through the handle's curve fit.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "dynlib.h"
#include "eu.h"
#include "handle.h"

namespace {

class BasaltTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(EUInit("basalt", &h_), 0); }
  void TearDown() override {
    if (h_ != nullptr) {
      EXPECT_EQ(EUClose(&h_), 0);
    }
  }
  EUHandle* h_ = nullptr;
};

TEST_F(BasaltTest, Defaults) {
  EXPECT_EQ(h_->countByteOrder, 1);
  EXPECT_EQ(h_->countType, 1);
  EXPECT_EQ(h_->curveFit, &EUleastSquares);
  EXPECT_EQ(h_->resourceHead, nullptr);
  // basalt supplies all 19 operations: every slot is its export of that name.
  void* slots[EU_OPERATION_COUNT];
  static_assert(sizeof slots == sizeof h_->ops);
  std::memcpy(slots, &h_->ops, sizeof slots);
  for (int i = 0; i < EU_OPERATION_COUNT; ++i) {
    const char* name = orvela::eu::kOperationNames[i];
    EXPECT_NE(slots[i], nullptr) << name;
    EXPECT_EQ(slots[i], orvela::platform::ResolveSymbol(h_->module, name)) << name;
  }
}

TEST_F(BasaltTest, CloseFreesTheRecordAndNullsThePointer) {
  EXPECT_EQ(EUClose(&h_), 0);
  EXPECT_EQ(h_, nullptr);
  EXPECT_EQ(EUClose(&h_), EU_E_NO_HANDLE);
}

TEST_F(BasaltTest, GetLibNameTruncates) {
  struct Case {
    int size;
    const char* expected;
  };
  const Case cases[] = {{1, ""}, {2, "B"}, {4, "Bas"}, {6, "Basal"}, {7, "Basalt"}, {16, "Basalt"}};
  for (const Case& c : cases) {
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    ASSERT_EQ(h_->ops.getLibName(h_, buffer, c.size), 0);
    EXPECT_STREQ(buffer, c.expected) << c.size;
    // Nothing past the room given is touched.
    for (int i = c.size; i < static_cast<int>(sizeof buffer); ++i) EXPECT_EQ(buffer[i], '#') << c.size << "@" << i;
  }
  char untouched = '#';
  EXPECT_EQ(h_->ops.getLibName(h_, &untouched, 0), 0);
  EXPECT_EQ(untouched, '#');
}

TEST_F(BasaltTest, SettingsForwardToTheExports) {
  int value = 0;
  EXPECT_EQ(h_->ops.setCountType(h_, 4), 0);
  EXPECT_EQ(h_->countType, 4);
  EXPECT_EQ(h_->ops.getCountType(h_, &value), 0);
  EXPECT_EQ(value, 4);
  EXPECT_EQ(h_->ops.setCountByteOrder(h_, 2), 0);
  EXPECT_EQ(h_->countByteOrder, 2);
  EXPECT_EQ(h_->ops.getCountByteOrder(h_, &value), 0);
  EXPECT_EQ(value, 2);
}

TEST_F(BasaltTest, ConversionEntriesMatchTheExports) {
  const int16_t counts[4] = {-100, 250, 3000, -4000};
  const double divisor[2] = {1000.0, 100.0}, offset[2] = {0.0, 50.0};
  double poly[2] = {1.0, 2.0};
  double* coefficients[2] = {nullptr, poly};
  const int types[2] = {6, 2}, orders[2] = {0, 1};
  double by_table[4], by_export[4], eus_table[4], eus_export[4];
  ASSERT_EQ(h_->ops.counts2Volts(h_, counts, divisor, offset, 2, 2, -1, by_table), 0);
  ASSERT_EQ(EUcounts2Volts(h_, counts, divisor, offset, 2, 2, -1, by_export), 0);
  EXPECT_EQ(0, std::memcmp(by_table, by_export, sizeof by_table));
  ASSERT_EQ(h_->ops.volts2EUs(h_, by_table, types, nullptr, nullptr, nullptr, coefficients, orders, 2, 2, -1,
                              eus_table),
            0);
  ASSERT_EQ(EUvolts2EUs(h_, by_export, types, nullptr, nullptr, nullptr, coefficients, orders, 2, 2, -1, eus_export),
            0);
  EXPECT_EQ(0, std::memcmp(eus_table, eus_export, sizeof eus_table));
  ASSERT_EQ(h_->ops.counts2EUs(h_, counts, divisor, offset, types, nullptr, nullptr, nullptr, coefficients, orders, 2,
                               2, -1, nullptr, eus_table),
            0);
  EXPECT_EQ(0, std::memcmp(eus_table, eus_export, sizeof eus_table));
}

int g_fake_fit_calls = 0;

int FakeFit(const double* /*x*/, const double* /*y*/, int n, int /*reserved*/, int* count, double* coefficients) {
  ++g_fake_fit_calls;
  *count = n;
  for (int i = 0; i < n; ++i) coefficients[i] = 42.0;
  return 7;
}

TEST_F(BasaltTest, CalcPolyCoefsUsesTheHandlesCurveFit) {
  const double x[2] = {0.0, 1.0}, y[2] = {1.0, 3.0};
  int count = 0;
  double c[2] = {0.0, 0.0};
  ASSERT_EQ(h_->ops.calcPolyCoefs(h_, x, y, 2, 0, &count, c), 0);
  EXPECT_EQ(c[0], 1.0);
  EXPECT_EQ(c[1], 2.0);

  g_fake_fit_calls = 0;
  ASSERT_EQ(h_->ops.setCurveFitAlgorithm(h_, FakeFit), 0);
  EXPECT_EQ(h_->ops.calcPolyCoefs(h_, x, y, 2, 0, &count, c), 7);
  EXPECT_EQ(g_fake_fit_calls, 1);
  EXPECT_EQ(c[0], 42.0);
  // The export is not affected by the handle's setting.
  EXPECT_EQ(EUleastSquares(x, y, 2, 0, &count, c), 0);
  EXPECT_EQ(c[0], 1.0);
  EXPECT_EQ(g_fake_fit_calls, 1);

  EXPECT_EQ(EUsetCurveFitAlgorithm(h_, nullptr), 0);
  EXPECT_EQ(h_->ops.calcPolyCoefs(h_, x, y, 2, 0, &count, c), EU_E_NOT_PROVIDED);
  EXPECT_EQ(h_->ops.calcPolyCoefs(nullptr, x, y, 2, 0, &count, c), EU_E_NO_HANDLE);
}

}  // namespace
