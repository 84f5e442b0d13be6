// Thermocouple lookups: millivolts to degrees Celsius and back, by bisection
// over the whole-degree ITS-90 tables and linear interpolation between rows.
#include "eu.h"
#include "tc_tables.h"

namespace {

using orvela::eu::TcRow;
using orvela::eu::TcTable;

/*
 *----------------------------------------------------------------------
 * Lookup --
 *   Searches column `in` of the table for x and interpolates column `out`.
 *   The comparisons are exact: an input equal to a row returns that row's
 *   value as stored.
 * Results:
 *   out of the first row for x below it or NaN; out of the last row for x
 *   above it; otherwise the interpolated value.
 * Side effects:
 *   None.
 *----------------------------------------------------------------------
 */
double Lookup(const TcTable& table, double x, double TcRow::*in, double TcRow::*out) {
  const TcRow* r = table.row;
  const int n = table.rows;
  // Written as "not x >= first" so that NaN takes the first row too.
  if (!(x >= r[0].*in)) return r[0].*out;
  if (x > r[n - 1].*in) return r[n - 1].*out;
  int lo = 0;
  int hi = n - 1;
  do {
    if (x == r[lo].*in) return r[lo].*out;
    if (x == r[hi].*in) return r[hi].*out;
    const int mid = (lo + hi) / 2;
    if (x == r[mid].*in) return r[mid].*out;
    if (x < r[mid].*in) {
      hi = mid;
    } else {
      lo = mid;
    }
  } while (lo + 1 != hi);
  // Here in(lo) < x < in(hi) strictly, so the divisor is never zero, also in
  // the type B voltage column, which is not monotonic near 0 degrees C.
  return (x - r[lo].*in) / (r[hi].*in - r[lo].*in) * (r[hi].*out - r[lo].*out) + r[lo].*out;
}

}  // namespace

extern "C" double EUlookup_mv2c(double millivolts, int type) {
  const TcTable* table = orvela::eu::FindTcTable(type);
  if (table == nullptr) return 0.0;
  return Lookup(*table, millivolts, &TcRow::millivolts, &TcRow::celsius);
}

extern "C" double EUlookup_c2mv(double degreesCelsius, int type) {
  const TcTable* table = orvela::eu::FindTcTable(type);
  if (table == nullptr) return 0.0;
  return Lookup(*table, degreesCelsius, &TcRow::celsius, &TcRow::millivolts);
}
