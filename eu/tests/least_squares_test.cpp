// Tests of EUleastSquares.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "eu.h"

extern "C" int EuFitLineFromC(double* c0, double* c1);

namespace {

TEST(LeastSquares, CallableFromC) {
  double c0 = 0.0, c1 = 0.0;
  EXPECT_EQ(EuFitLineFromC(&c0, &c1), 2);
  EXPECT_EQ(c0, 1.0);
  EXPECT_EQ(c1, 2.0);
}

TEST(LeastSquares, Fits) {
  struct Case {
    const char* name;
    std::vector<double> x, y, expected;
    double tolerance;
  };
  const Case cases[] = {
      {"one point", {5.0}, {3.0}, {3.0}, 0.0},
      {"two points", {0.0, 1.0}, {1.0, 3.0}, {1.0, 2.0}, 0.0},
      {"parabola 2x^2 - x + 4", {1.0, 2.0, 3.0}, {5.0, 10.0, 19.0}, {4.0, -1.0, 2.0}, 1e-9},
      {"cubic through negative x", {-2.0, -1.0, 1.0, 2.0}, {-7.0, 1.0, 5.0, 13.0}, {3.0, 1.0, 0.0, 1.0}, 1e-9},
      {"volts to degrees line", {0.0, 0.01, 0.02}, {0.0, 100.0, 200.0}, {0.0, 10000.0, 0.0}, 1e-6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int n = static_cast<int>(c.x.size());
    int count = -1;
    std::vector<double> coefficients(n, -99.0);
    ASSERT_EQ(EUleastSquares(c.x.data(), c.y.data(), n, 0, &count, coefficients.data()), 0);
    EXPECT_EQ(count, n);
    for (int i = 0; i < n; ++i) EXPECT_NEAR(coefficients[i], c.expected[i], c.tolerance) << "c" << i;
  }
}

TEST(LeastSquares, FailuresLeaveOutputsUntouched) {
  struct Case {
    const char* name;
    std::vector<double> x, y;
    int n;
    int expected;
  };
  const Case cases[] = {
      {"two points at the same x", {1.0, 1.0}, {2.0, 3.0}, 2, EU_E_SINGULAR},
      {"every x zero", {0.0, 0.0, 0.0}, {1.0, 2.0, 3.0}, 3, EU_E_SINGULAR},
      {"no points", {1.0}, {1.0}, 0, EU_E_NOMEM},
      {"negative count", {1.0}, {1.0}, -3, EU_E_NOMEM},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int count = 77;
    double coefficients[3] = {-1.0, -2.0, -3.0};
    EXPECT_EQ(EUleastSquares(c.x.data(), c.y.data(), c.n, 0, &count, coefficients), c.expected);
    EXPECT_EQ(count, 77);
    EXPECT_EQ(coefficients[0], -1.0);
    EXPECT_EQ(coefficients[1], -2.0);
    EXPECT_EQ(coefficients[2], -3.0);
  }
}

// The result is defined to the last bit by the order of the sums and of the
// elimination; this replays that order on a case whose rounding shows it.
TEST(LeastSquares, FollowsTheStatedOrderOfArithmetic) {
  const double x[3] = {0.1, 0.7, 1.3};
  const double y[3] = {0.3, 2.9, 11.0};
  // Loop bounds the compiler cannot see, so that it cannot unroll the powers
  // into products with another rounding.
  volatile int sums = 5, rows = 3;
  double s[5] = {0, 0, 0, 0, 0};
  for (int k = 0; k < sums; ++k)
    for (int i = 0; i < 3; ++i) s[k] = s[k] + std::pow(x[i], k);
  double m[3][4];
  for (int r = 0; r < rows; ++r) {
    double t = 0;
    for (int i = 0; i < 3; ++i) t = t + std::pow(x[i], r) * y[i];
    m[r][3] = t;
    for (int c = 0; c < 3; ++c) m[r][c] = s[r + c];
  }
  for (int p = 0; p < 3; ++p) {
    const double f = 1.0 / m[p][p];
    for (int c = 0; c < 4; ++c) m[p][c] = m[p][c] * f;
    for (int k = 0; k < 3; ++k) {
      if (k == p || m[k][p] == 0.0) continue;
      const double g = -m[k][p];
      for (int c = 0; c < 4; ++c) m[k][c] = m[k][c] + g * m[p][c];
    }
  }
  int count = 0;
  double coefficients[3];
  ASSERT_EQ(EUleastSquares(x, y, 3, 0, &count, coefficients), 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(coefficients[i], m[i][3]) << i;
}

}  // namespace
