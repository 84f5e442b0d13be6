// Tests of the ITS-90 coefficient parser and of the rounding and formatting
// the table generator uses.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "reference_function.h"

namespace {

namespace its90 = orvela::eu::its90;

// A file with one linear sub-range per type: E(t) = 0.01 t (and 0.02 t for K).
std::string MinimalFile() {
  std::string text = "# minimal\n";
  for (const char* letter = its90::kLetters; *letter != '\0'; ++letter) {
    text += std::string("type ") + *letter + " range -10 10\nc0 0\nc1 " + (*letter == 'K' ? "0.02" : "0.01") + "\n\n";
  }
  return text;
}

TEST(ReferenceFunction, ParsesAndEvaluates) {
  std::vector<its90::ReferenceFunction> f;
  std::string error;
  ASSERT_TRUE(its90::ParseCoefficients(MinimalFile(), &f, &error)) << error;
  ASSERT_EQ(f.size(), 8u);
  EXPECT_EQ(f[3].letter, 'K');
  EXPECT_EQ(f[3].FirstDegree(), -10);
  EXPECT_EQ(f[3].LastDegree(), 10);
  EXPECT_NEAR(static_cast<double>(f[3].Millivolts(5.0)), 0.1, 1e-15);
  EXPECT_TRUE(std::isnan(static_cast<double>(f[3].Millivolts(11.0))));
}

TEST(ReferenceFunction, RefusesMalformedFiles) {
  struct Case {
    const char* name;
    std::string text;
    const char* error_part;
  };
  const Case cases[] = {
      {"empty", "", "no coefficients for type B"},
      {"one type missing", MinimalFile().substr(0, MinimalFile().find("type T")), "no coefficients for type T"},
      {"unknown letter", "type Q range 0 1\nc0 0\n", "malformed block header"},
      {"range reversed", "type B range 5 1\nc0 0\n", "malformed block header"},
      {"range beyond absolute zero", "type B range -300 1\nc0 0\n", "range outside"},
      {"range far too high", "type B range 0 1e30\nc0 0\n", "range outside"},
      {"infinite coefficient", "type B range 0 1\nc0 1e99999\n", "malformed coefficient"},
      {"not a number", "type B range 0 1\nc0 zero\n", "malformed coefficient"},
      {"coefficient before any block", "c0 1\n", "malformed coefficient"},
      {"coefficients out of order", "type B range 0 1\nc1 0\n", "coefficients out of order"},
      {"sub-ranges out of order", "type B range 5 9\nc0 0\ntype B range 0 4\nc0 0\n", "sub-ranges out of order"},
      {"unknown exponential term", "type K exponential range 0 1\na7 1\n", "unknown exponential term"},
  };
  for (const Case& c : cases) {
    std::vector<its90::ReferenceFunction> f;
    std::string error;
    EXPECT_FALSE(its90::ParseCoefficients(c.text, &f, &error)) << c.name;
    EXPECT_NE(error.find(c.error_part), std::string::npos) << c.name << ": " << error;
    EXPECT_TRUE(f.empty()) << c.name;
  }
  std::string too_many = "type B range 0 1\n";
  for (int i = 0; i <= 32; ++i) too_many += "c" + std::to_string(i) + " 0\n";
  std::vector<its90::ReferenceFunction> f;
  std::string error;
  EXPECT_FALSE(its90::ParseCoefficients(too_many, &f, &error));
  EXPECT_NE(error.find("too many coefficients"), std::string::npos) << error;
}

TEST(ReferenceFunction, RoundsHalvesAwayFromZeroAndFormatsPlainly) {
  struct Case {
    long double millivolts;
    const char* text;
  };
  const Case cases[] = {
      {4.096225L, "4.09623"},   {-4.096225L, "-4.09623"}, {4.0962249L, "4.09622"}, {0.0L, "0.00000"},
      {-0.000004L, "0.00000"},  {-0.00258L, "-0.00258"},  {54.88636L, "54.88636"}, {-9.834951L, "-9.83495"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(its90::FormatHundredThousandths(its90::RoundToHundredThousandths(c.millivolts)), c.text)
        << static_cast<double>(c.millivolts);
  }
  EXPECT_EQ(its90::RoundToHundredThousandths(std::nanl("")), 0);
  EXPECT_EQ(its90::RoundToHundredThousandths(1e30L), 0);
  EXPECT_TRUE(its90::Plausible(-9.8L));
  EXPECT_FALSE(its90::Plausible(1e4L));
  EXPECT_FALSE(its90::Plausible(std::nanl("")));
}

}  // namespace
