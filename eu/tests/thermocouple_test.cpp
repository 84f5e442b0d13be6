// Tests of the ITS-90 tables and the thermocouple lookups.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "eu.h"
#include "reference_function.h"
#include "tc_tables.h"

namespace {

namespace its90 = orvela::eu::its90;
using orvela::eu::FindTcTable;
using orvela::eu::TcTable;

const std::string kIts90Dir = std::string(ORVELA_SOURCE_DIR) + "/eu/its90/";

int TypeCode(char letter) {
  for (int i = 0; its90::kLetters[i] != '\0'; ++i) {
    if (its90::kLetters[i] == letter) return its90::kFirstTypeCode + i;
  }
  return 0;
}

struct Check {
  char letter;
  double celsius;
  std::string millivolts;  // as published, five decimals
};

std::vector<Check> LoadChecks() {
  std::ifstream in(kIts90Dir + "checks.txt");
  std::vector<Check> checks;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    Check c{};
    std::string letter;
    words >> letter >> c.celsius >> c.millivolts;
    c.letter = letter[0];
    checks.push_back(c);
  }
  return checks;
}

TEST(Its90Tables, ChecksAgreeWithReferenceFunctionsAndTables) {
  std::vector<its90::ReferenceFunction> functions;
  std::string error;
  ASSERT_TRUE(its90::LoadCoefficients(kIts90Dir + "coefficients.txt", &functions, &error)) << error;
  const std::vector<Check> checks = LoadChecks();
  ASSERT_EQ(checks.size(), 50u);
  for (const Check& c : checks) {
    SCOPED_TRACE(std::string(1, c.letter) + " " + std::to_string(c.celsius));
    const int code = TypeCode(c.letter);
    const auto& f = functions[code - its90::kFirstTypeCode];
    EXPECT_EQ(its90::FormatHundredThousandths(its90::RoundToHundredThousandths(f.Millivolts(c.celsius))),
              c.millivolts);
    // Whole degrees are table rows: the lookup returns the row as stored.
    if (c.celsius == std::floor(c.celsius)) {
      EXPECT_EQ(EUlookup_c2mv(c.celsius, code), std::strtod(c.millivolts.c_str(), nullptr));
    }
  }
}

TEST(Its90Tables, RowCountsAndEndRows) {
  struct Case {
    int type;
    double first_c, first_mv, last_c, last_mv;
    int rows;
  };
  const Case cases[] = {
      {3, 0, 0.00000, 1820, 13.82028, 1821},     {4, -270, -9.83495, 1000, 76.37283, 1271},
      {5, -210, -8.09538, 1200, 69.55318, 1411}, {6, -270, -6.45774, 1372, 54.88636, 1643},
      {7, -270, -4.34514, 1300, 47.51277, 1571}, {8, -50, -0.22647, 1768, 21.10148, 1819},
      {9, -50, -0.23556, 1768, 18.69251, 1819},  {10, -270, -6.25751, 400, 20.87197, 671},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    const TcTable* t = FindTcTable(c.type);
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->rows, c.rows);
    EXPECT_EQ(t->row[0].celsius, c.first_c);
    EXPECT_EQ(t->row[0].millivolts, c.first_mv);
    EXPECT_EQ(t->row[c.rows - 1].celsius, c.last_c);
    EXPECT_EQ(t->row[c.rows - 1].millivolts, c.last_mv);
    for (int i = 0; i < t->rows; ++i) ASSERT_EQ(t->row[i].celsius, c.first_c + i) << "row " << i;
  }
  EXPECT_EQ(FindTcTable(2), nullptr);
  EXPECT_EQ(FindTcTable(11), nullptr);
}

TEST(Its90Tables, TellingRows) {
  struct Case {
    int type;
    double celsius, millivolts;
  };
  const Case cases[] = {
      {6, 100, 4.09623}, {5, 100, 5.26892},
      // Type B dips below zero near the bottom of its range.
      {3, 20, -0.00258}, {3, 21, -0.00258}, {3, 22, -0.00258}, {3, 42, -0.00003}, {3, 43, 0.00022},
      // Within 1e-9 mV of a rounding tie: a precision-losing evaluation gets it wrong.
      {3, 644, 2.06246},
  };
  for (const Case& c : cases) {
    const TcTable* t = FindTcTable(c.type);
    EXPECT_EQ(t->row[static_cast<int>(c.celsius - t->row[0].celsius)].millivolts, c.millivolts)
        << c.type << " at " << c.celsius;
  }
  for (int type = 3; type <= 10; ++type) {
    const TcTable* t = FindTcTable(type);
    EXPECT_EQ(t->row[static_cast<int>(-t->row[0].celsius)].millivolts, 0.0) << type;
  }
}

TEST(Its90Tables, VoltagesRiseStrictlyExceptTheTypeBDip) {
  for (int type = 3; type <= 10; ++type) {
    const TcTable* t = FindTcTable(type);
    // Type B falls to its minimum at 20 to 22 degrees C and rises from there.
    const int from = type == 3 ? 22 : 0;
    for (int i = from + 1; i < t->rows; ++i) {
      ASSERT_LT(t->row[i - 1].millivolts, t->row[i].millivolts) << type << " row " << i;
    }
  }
  const TcTable* b = FindTcTable(3);
  for (int i = 1; i <= 20; ++i) EXPECT_LE(b->row[i].millivolts, b->row[i - 1].millivolts) << i;
}

TEST(ThermocoupleLookup, Cases) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const TcTable* k = FindTcTable(6);
  const double k_mid = (k->row[370].millivolts + k->row[371].millivolts) / 2.0;  // 100 and 101 degrees C
  struct Case {
    const char* name;
    bool mv2c;  // EUlookup_mv2c, else EUlookup_c2mv
    double input;
    int type;
    double expected;
  };
  const Case cases[] = {
      {"K row to degrees exactly", true, 4.09623, 6, 100.0},
      {"K degrees to row", false, 100.0, 6, 4.09623},
      {"K half degree is the midpoint", false, 100.5, 6, k_mid},
      {"K below range", true, -10.0, 6, -270.0},
      {"T below range", false, -300.0, 10, -6.25751},
      {"K above range", true, 60.0, 6, 1372.0},
      {"B above range", false, 2000.0, 3, 13.82028},
      {"B negative voltage is below the first row", true, -0.001, 3, 0.0},
      {"NaN mV gives the first row", true, nan, 6, -270.0},
      {"NaN degrees give the first row", false, nan, 8, -0.22647},
      {"type 0", true, 1.0, 0, 0.0},
      {"type 1", false, 1.0, 1, 0.0},
      {"type 2", true, 1.0, 2, 0.0},
      {"type 11", false, 1.0, 11, 0.0},
      {"first row exactly", true, -6.45774, 6, -270.0},
      {"last row exactly", false, 1372.0, 6, 54.88636},
  };
  for (const Case& c : cases) {
    const double got = c.mv2c ? EUlookup_mv2c(c.input, c.type) : EUlookup_c2mv(c.input, c.type);
    EXPECT_EQ(got, c.expected) << c.name;
  }
  for (int type = 3; type <= 10; ++type) {
    EXPECT_EQ(EUlookup_mv2c(0.0, type), 0.0) << type;
    EXPECT_EQ(EUlookup_c2mv(0.0, type), 0.0) << type;
  }
  // Type B at 0.0001 mV bisects into the 42 to 43 degrees C interval of the dip.
  EXPECT_NEAR(EUlookup_mv2c(0.0001, 3), 42.52, 1e-9);
}

TEST(ThermocoupleLookup, InterpolatesBetweenRows) {
  // Halfway between two voltage rows gives the half degree, for every type.
  for (int type = 3; type <= 10; ++type) {
    const TcTable* t = FindTcTable(type);
    const int i = t->rows / 2;
    const double mv = (t->row[i].millivolts + t->row[i + 1].millivolts) / 2.0;
    EXPECT_NEAR(EUlookup_mv2c(mv, type), t->row[i].celsius + 0.5, 1e-9) << type;
    // And the round trip through both lookups comes back.
    EXPECT_NEAR(EUlookup_mv2c(EUlookup_c2mv(t->row[i].celsius + 0.25, type), type), t->row[i].celsius + 0.25,
                1e-9)
        << type;
  }
}

// The interface's bisection, step by step, with its exact comparisons.
double ReferenceBisection(const TcTable& t, double x, bool by_millivolts) {
  auto in = [&](int i) { return by_millivolts ? t.row[i].millivolts : t.row[i].celsius; };
  auto out = [&](int i) { return by_millivolts ? t.row[i].celsius : t.row[i].millivolts; };
  const int n = t.rows;
  if (!(x >= in(0))) return out(0);
  if (x > in(n - 1)) return out(n - 1);
  int lo = 0, hi = n - 1;
  do {
    if (x == in(lo)) return out(lo);
    if (x == in(hi)) return out(hi);
    const int mid = (lo + hi) / 2;
    if (x == in(mid)) return out(mid);
    if (x < in(mid)) {
      hi = mid;
    } else {
      lo = mid;
    }
  } while (lo + 1 != hi);
  return (x - in(lo)) / (in(hi) - in(lo)) * (out(hi) - out(lo)) + out(lo);
}

TEST(ThermocoupleLookup, SameResultsAsTheStepByStepBisection) {
  std::mt19937 random(7);
  for (int type = 3; type <= 10; ++type) {
    const TcTable& t = *FindTcTable(type);
    for (bool by_millivolts : {true, false}) {
      auto key = [&](int i) { return by_millivolts ? t.row[i].millivolts : t.row[i].celsius; };
      std::vector<double> inputs = {-1e300, 1e300, -std::numeric_limits<double>::infinity(),
                                    std::numeric_limits<double>::infinity(), 0.0, -0.0};
      for (int i = 0; i < t.rows; ++i) {
        inputs.push_back(key(i));
        inputs.push_back(std::nextafter(key(i), -1e300));
        inputs.push_back(std::nextafter(key(i), 1e300));
        if (i + 1 < t.rows) inputs.push_back((key(i) + key(i + 1)) / 2.0);
      }
      std::uniform_real_distribution<double> spread(key(0) - 1.0, key(t.rows - 1) + 1.0);
      for (int i = 0; i < 2000; ++i) inputs.push_back(spread(random));
      for (double x : inputs) {
        const double expected = ReferenceBisection(t, x, by_millivolts);
        const double got = by_millivolts ? EUlookup_mv2c(x, type) : EUlookup_c2mv(x, type);
        ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0)
            << "type " << type << (by_millivolts ? " mV " : " degC ") << x << ": " << got << " vs " << expected;
      }
    }
  }
}

}  // namespace
