// Tests of basalt, the standard implementation: its defaults, its name, its
// forwarding entries and calcPolyCoefs through the handle's curve fit.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "dynlib.h"
#include "eu.h"

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
  // Every delivered slot is basalt's own export of that name.
  struct Slot {
    const char* name;
    void* entry;
  };
  const Slot slots[] = {
      {"getLibName", reinterpret_cast<void*>(h_->ops.getLibName)},
      {"setCountType", reinterpret_cast<void*>(h_->ops.setCountType)},
      {"getCountType", reinterpret_cast<void*>(h_->ops.getCountType)},
      {"setCurveFitAlgorithm", reinterpret_cast<void*>(h_->ops.setCurveFitAlgorithm)},
      {"setCountByteOrder", reinterpret_cast<void*>(h_->ops.setCountByteOrder)},
      {"getCountByteOrder", reinterpret_cast<void*>(h_->ops.getCountByteOrder)},
      {"counts2Volts", reinterpret_cast<void*>(h_->ops.counts2Volts)},
      {"volts2EUs", reinterpret_cast<void*>(h_->ops.volts2EUs)},
      {"counts2EUs", reinterpret_cast<void*>(h_->ops.counts2EUs)},
      {"calcPolyCoefs", reinterpret_cast<void*>(h_->ops.calcPolyCoefs)},
  };
  for (const Slot& s : slots) {
    EXPECT_EQ(s.entry, orvela::platform::ResolveSymbol(h_->module, s.name)) << s.name;
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

TEST_F(BasaltTest, DataSetSlotsAreStubsUntilDelivered) {
  if (orvela::platform::ResolveSymbol(h_->module, "openDataSets") != nullptr) GTEST_SKIP();
  EUDataSetCollection* c = nullptr;
  EXPECT_EQ(h_->ops.openDataSets(h_, nullptr, &c), EU_E_NOT_PROVIDED);
  EXPECT_EQ(c, nullptr);
}

}  // namespace
