// EUleastSquares: the polynomial of degree n - 1 through n calibration points,
// from the normal equations solved by Gauss-Jordan elimination.
#include <cmath>
#include <cstddef>
#include <vector>

#include "eu.h"

namespace {

// x^k as the C library's pow gives it.  pow(x, 0) is 1 and pow(x, 1) is x
// exactly (pow is accurate to well under one unit in the last place, and x is
// representable), so those two skip the call without changing any result.
inline double Power(double x, int k) {
  if (k == 0) return 1.0;
  if (k == 1) return x;
  return std::pow(x, k);
}

}  // namespace

/*
 *----------------------------------------------------------------------
 * EUleastSquares --
 *   Power sums S[k] = sum pow(x[i], k) for k = 0 .. 2m (m = n - 1), the
 *   augmented matrix M[r][c] = S[r + c], M[r][n] = sum pow(x[i], r) y[i],
 *   then Gauss-Jordan elimination without pivoting.  Every sum adds its
 *   terms in point order and the elimination runs pivot by pivot, row by
 *   row, so results are reproducible to the last bit.
 * Results:
 *   0; EU_E_NOMEM for n < 1 or no memory; EU_E_SINGULAR for a zero pivot.
 * Side effects:
 *   *coefficientCount and coefficients[0 .. n-1] on success only.
 *----------------------------------------------------------------------
 */
extern "C" int EUleastSquares(const double* x, const double* y, int n, int /*reserved*/, int* coefficientCount,
                              double* coefficients) {
  if (n < 1) return EU_E_NOMEM;
  if (x == nullptr || y == nullptr || coefficientCount == nullptr || coefficients == nullptr) return EU_E_NOMEM;
  const int m = n - 1;
  const std::size_t width = static_cast<std::size_t>(n) + 1;
  std::vector<double> sums;
  std::vector<double> matrix;
  try {
    sums.assign(2 * static_cast<std::size_t>(m) + 1, 0.0);
    matrix.assign(static_cast<std::size_t>(n) * width, 0.0);
  } catch (...) {
    return EU_E_NOMEM;
  }
  auto at = [&](int r, int c) -> double& { return matrix[static_cast<std::size_t>(r) * width + c]; };

  // One pass over the points computes each power once.  For every S[k] and
  // every right-hand side the terms are still added in point order, so the
  // sums are those of the point-by-point definition.
  for (int i = 0; i < n; ++i) {
    for (int k = 0; k <= 2 * m; ++k) {
      const double p = Power(x[i], k);
      sums[k] = sums[k] + p;
      if (k <= m) at(k, n) = at(k, n) + p * y[i];
    }
  }
  for (int r = 0; r <= m; ++r) {
    for (int c = 0; c <= m; ++c) at(r, c) = sums[r + c];
  }

  for (int p = 0; p <= m; ++p) {
    if (at(p, p) == 0.0) return EU_E_SINGULAR;
    const double f = 1.0 / at(p, p);
    for (int c = 0; c <= n; ++c) at(p, c) = at(p, c) * f;
    for (int k = 0; k <= m; ++k) {
      if (k == p || at(k, p) == 0.0) continue;
      const double g = -at(k, p);
      for (int c = 0; c <= n; ++c) at(k, c) = at(k, c) + g * at(p, c);
    }
  }

  *coefficientCount = n;
  for (int i = 0; i <= m; ++i) coefficients[i] = at(i, n);
  return 0;
}
