// Tests for the temperature tables, the classification of conversion types
// and the conversion of counts to engineering units.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>

#include "engine.h"
#include "recording.h"

namespace trendel {
namespace {

using testing::TempDir;

class EuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetEngine();
    testing::LoadSmallTables(dir_.Path("tctables.txt"));
    for (int c = 0; c < 4; ++c) {
      sUnits[c][0] = '\0';
      iUnits[c] = 0;
      iRefChannel[c] = -1;
      dCounts_Volt[c] = 1.0;
      dOffset_Volts[c] = 0.0;
      dEUAddr[c] = 0.0;
      usPolyOrder[c] = 0;
      for (double& p : dPolyCoeff[c]) p = 0.0;
    }
    m_iXferStyle = 4;
    iNumRef = 0;
  }
  TempDir dir_;
};

TEST_F(EuTest, Classification) {
  struct Case {
    const char* type;
    const char* units;
    int code;
    int unit;
  } cases[] = {
      {"type_k", "degF", 13, UNIT_DEG_F}, {"TYPE_B", "c", 10, UNIT_DEG_C}, {"type_t", "K", 17, UNIT_DEG_K},
      {"VOLTS", "degF", 3, 0},             {"bridge", "", 2, 0},             {"", "", 2, 0},
      {"none", "", 1, 0},                  {"def", "", 0, 0},                {"Linear", "", 4, 0},
      {"polynomial", "", 5, 0},            {"tc_reference", "C", 6, UNIT_DEG_C}, {"rtd_reference", "C", 7, 0},
      {"type_x", "", 2, 0},                {"type_k", "", 13, 0},
  };
  for (const auto& c : cases) {
    CopyText(sUnits[0], kSstrSize, c.units);
    iUnits[0] = 0;
    ClassifyConversion(0, c.type);
    EXPECT_EQ(iConversionType[0], c.code) << c.type;
    EXPECT_EQ(iUnits[0], c.unit) << c.type << " " << c.units;
  }
}

TEST_F(EuTest, ReferencesResolveByNameTheLastMatchWins) {
  CopyText(sChannelName[1], kSstrSize, "Ref");
  CopyText(sChannelName[2], kSstrSize, "REF");
  ClassifyConversion(1, "TC_Reference");
  ClassifyConversion(2, "TC_Reference");
  EXPECT_EQ(iNumRef, 2);
  ResolveReference(0, "ref");
  EXPECT_EQ(iRefChannel[0], 2);
  ResolveReference(3, "");
  EXPECT_EQ(iRefChannel[3], -1);
  ResolveReference(3, "nothing");
  EXPECT_EQ(iRefChannel[3], -1);
}

TEST_F(EuTest, TableInterpolation) {
  const int k = 3;
  struct Case {
    double in, mv_to_degc;
  } mv_cases[] = {{0.059, 1.5}, {1.0, 2.0}, {0.0, 0.0}, {-1.0, 0.0}, {0.039, 1.0}};
  for (const auto& c : mv_cases) EXPECT_NEAR(QelConvertMvToDegC(k, c.in), c.mv_to_degc, 1e-12) << c.in;
  struct Case2 {
    double in, degc_to_mv;
  } degc_cases[] = {{1.5, 0.059}, {0.0, 0.0}, {1.0, 0.039}, {2.0, 0.0}, {5.0, 0.0}, {-3.0, 0.0}, {-0.5, 0.0}};
  for (const auto& c : degc_cases) EXPECT_NEAR(QelConvertDegCToMv(k, c.in), c.degc_to_mv, 1e-12) << c.in;
  EXPECT_EQ(QelConvertMvToDegC(9, 1.0), 0.0);   // empty table
  EXPECT_EQ(QelConvertMvToDegC(42, 1.0), 0.0);  // no such table
  EXPECT_EQ(QelConvertDegCToMv(-1, 1.0), 0.0);
}

// Below a table's first entry both lookups stay inside the table and answer
// its first entry; the table here does not start at 0 so that the clamped
// value differs from the 0.0 of an empty table.
TEST_F(EuTest, ValuesBelowATableClampToItsFirstEntry) {
  const std::string path = dir_.Path("cold.txt");
  {
    std::ofstream f(path);
    f << " ITS-90 Table for type B thermocouples\nh\nh\n-2, -0.078\n-1, -0.039\n0, 0.000\n1, 0.039\n";
  }
  ASSERT_EQ(ParseTcTablesFrom(path.c_str()), 0);
  struct Case {
    double in, out;
  } mv_to_degc[] = {{-5.0, -2.0}, {-0.079, -2.0}, {-0.078, -2.0}, {-0.0585, -1.5}, {0.039, 1.0}, {7.0, 1.0}};
  for (const auto& c : mv_to_degc) EXPECT_NEAR(QelConvertMvToDegC(0, c.in), c.out, 1e-12) << c.in;
  struct Case2 {
    double in, out;
  } degc_to_mv[] = {{-1e300, -0.078}, {-300.0, -0.078}, {-3.5, -0.078}, {-2.5, -0.078},
                    {-2.0, -0.078},   {-1.0, -0.039},   {0.5, 0.0195},   {1.0, 0.0}};
  for (const auto& c : degc_to_mv) EXPECT_NEAR(QelConvertDegCToMv(0, c.in), c.out, 1e-12) << c.in;
  EXPECT_EQ(QelConvertDegCToMv(0, std::nan("")), 0.0);
}

TEST_F(EuTest, TableFileLimits) {
  const std::string path = dir_.Path("big.txt");
  {
    std::ofstream f(path);
    f << "5, 5\n";  // before any section: dropped
    for (int s = 0; s < 12; ++s) {
      f << " ITS-90 table " << s << "\nh\nh\n";
      const int rows = s == 0 ? 2500 : 1;
      for (int r = 0; r < rows; ++r) f << r << ", " << (s * 10000 + r) << "\n";
    }
    f << " Table rtd\nh\nh\n0, 100\n1, 100.39\n\n   \nnot a row\n";
  }
  ASSERT_EQ(ParseTcTablesFrom(path.c_str()), 0);
  EXPECT_EQ(QelNumThermoTableEntries[0], 2000);
  EXPECT_EQ(QelThermoTables[0][0].mv, 0.0);
  EXPECT_EQ(QelThermoTables[0][1999].mv, 1999.0);
  EXPECT_EQ(QelNumThermoTableEntries[9], 1);
  EXPECT_EQ(QelThermoTables[9][0].mv, 90000.0);
  EXPECT_EQ(QelNumRtdTableEntries[0], 2);
  EXPECT_DOUBLE_EQ(QelRtdTables[0][1].ohms, 100.39);
  EXPECT_EQ(ParseTcTablesFrom(dir_.Path("missing.txt").c_str()), -1);
  const std::string empty = dir_.Path("empty.txt");
  std::ofstream(empty).close();
  EXPECT_EQ(ParseTcTablesFrom(empty.c_str()), 0);
}

TEST_F(EuTest, Counts2EU) {
  struct Case {
    const char* name;
    uint16_t style;
    const char* type;
    const char* units;
    double counts_volt, offset, adder;
    std::vector<double> poly;
    uint16_t order;
    double counts, refcounts, expected;
  } cases[] = {
      {"style 5 None", 5, "None", "", 1, 0, 0, {}, 0, 0x8001, 0, 1},
      {"style 5 Counts", 5, "Counts", "", 1, 0, 0, {}, 0, 0x8001, 0, 32769},
      {"style 4 DEF", 4, "DEF", "", 1, 0, 0, {}, 0, 1234, 0, 1234},
      {"volts plus adder", 4, "volts", "", 100, 1000, 0.5, {}, 0, 1200, 0, 2.5},
      {"linear", 4, "linear", "", 1, 0, 1, {3, 2}, 1, 4, 0, 12},
      {"polynomial order 2", 4, "polynomial", "", 1, 0, 0, {1, 2, 3}, 2, 2, 0, 17},
      {"polynomial order beyond the table", 4, "polynomial", "", 1, 0, 0, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 40, 1, 0, 10},
      {"TC reference in F", 4, "TC_Reference", "F", 1, 0, 0, {}, 0, 100, 0, 212},
      {"type K in F", 4, "type_k", "degF", 1000, 0, 0, {}, 0, 0.059, 0, 1.5 * 1.8 + 32},
      {"type K in K", 4, "type_k", "K", 1000, 0, 0, {}, 0, 0.059, 0, 1.5 + 273.15},
      {"type K with adder", 4, "type_k", "", 1000, 0, 1, {}, 0, 0.059, 0, 2.5},
  };
  for (const auto& c : cases) {
    m_iXferStyle = c.style;
    CopyText(sUnits[0], kSstrSize, c.units);
    iUnits[0] = 0;
    ClassifyConversion(0, c.type);
    dCounts_Volt[0] = c.counts_volt;
    dOffset_Volts[0] = c.offset;
    dEUAddr[0] = c.adder;
    for (int m = 0; m < kPolyTerms; ++m) dPolyCoeff[0][m] = m < static_cast<int>(c.poly.size()) ? c.poly[m] : 0.0;
    usPolyOrder[0] = c.order;
    EXPECT_NEAR(Counts2EU(c.counts, c.refcounts, 0), c.expected, 1e-9) << c.name;
  }
  EXPECT_EQ(Counts2EU(7, 0, -1), 7);  // an index outside the tables gives the counts
  EXPECT_EQ(Counts2EU(7, 0, MAX_CHANNELS), 7);
}

TEST_F(EuTest, ColdJunctionCompensation) {
  // Channel 0: type K, mV = counts; channel 1: its reference, degrees C = counts.
  CopyText(sChannelName[1], kSstrSize, "cj");
  ClassifyConversion(1, "TC_Reference");
  ClassifyConversion(0, "type_k");
  ResolveReference(0, "cj");
  ASSERT_EQ(iRefChannel[0], 1);
  dCounts_Volt[0] = 1000.0;  // counts are millivolts
  // 1 degree C at the junction adds 0.039 mV: 0.020 mV + 0.039 mV = 0.059 mV = 1.5 C.
  EXPECT_NEAR(Counts2EU(0.020, 1.0, 0), 1.5, 1e-9);
  // A reference sample of exactly 0 switches compensation off.
  EXPECT_NEAR(Counts2EU(0.039, 0.0, 0), 1.0, 1e-9);
  // Style 5: the reference count is offset binary too.
  m_iXferStyle = 5;
  EXPECT_NEAR(Counts2EU(32768 + 0.020, 32768 + 1.0, 0), 1.5, 1e-6);
}

TEST_F(EuTest, MissingTablesGiveZeroDegrees) {
  for (int t = 0; t < kNumTables; ++t) QelNumThermoTableEntries[t] = 0;
  ClassifyConversion(0, "type_j");
  dEUAddr[0] = 0.25;
  EXPECT_EQ(Counts2EU(5000, 0, 0), 0.25);
}

}  // namespace
}  // namespace trendel

namespace trendel {
namespace {

// The table file the build writes from the ITS-90 tables.
TEST(RealTables, KnownThermocoupleValues) {
  const std::string path = std::string(ORVELA_BIN_DIR) + "/tctables.txt";
  if (ParseTcTablesFrom(path.c_str()) != 0) GTEST_SKIP() << "no " << path;
  struct Case {
    int table;
    double degc, mv;
  } cases[] = {{3, 100.0, 4.096}, {3, -100.0, -3.554}, {2, 100.0, 5.269}, {7, 100.0, 4.279}, {0, 1000.0, 4.834}};
  for (const auto& c : cases) {
    EXPECT_NEAR(QelConvertDegCToMv(c.table, c.degc), c.mv, 0.002) << c.table << " " << c.degc;
    EXPECT_NEAR(QelConvertMvToDegC(c.table, c.mv), c.degc, 0.05) << c.table << " " << c.mv;
  }
}

}  // namespace
}  // namespace trendel
