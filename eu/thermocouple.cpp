// Thermocouple lookups: millivolts to degrees Celsius and back, by bisection
// over the whole-degree ITS-90 tables and linear interpolation between rows.
#include "eu.h"
#include "tc_tables.h"

namespace {

using orvela::eu::TcRow;
using orvela::eu::TcTable;

// The searched column of a row.
template <bool kByMillivolts>
inline double Key(const TcRow& row) {
  return kByMillivolts ? row.millivolts : row.celsius;
}

// The returned column of a row.
template <bool kByMillivolts>
inline double Value(const TcRow& row) {
  return kByMillivolts ? row.celsius : row.millivolts;
}

/*
 *----------------------------------------------------------------------
 * Lookup --
 *   Finds x in the searched column (millivolts when kByMillivolts, else
 *   degrees C) and interpolates the other column linearly between the two
 *   rows around it.  The comparisons are exact: an input equal to a row
 *   returns that row's value as stored.
 *
 *   This gives the results of the interface's bisection (lo = 0, hi = n-1;
 *   return a row whose key equals x; else mid = (lo + hi) / 2, hi = mid when
 *   x < key(mid), otherwise lo = mid; until lo + 1 = hi; interpolate) without
 *   its unpredictable branches.  That bisection ends at the last row whose
 *   key is <= x, because "key(i) <= x" is true for a prefix of the rows and
 *   false after it: every column rises strictly except the type B voltages,
 *   whose dip lies below 0 mV, and an x that reaches the search is above the
 *   first row (0 mV for B), so every row of the dip counts as <= x.  The same
 *   row is found here by a branch-free binary search.  An equal key returns
 *   that row, as the bisection's equality tests do, and for the first row
 *   this is needed: type B's 0.00000 mV at 0 degrees C would otherwise be
 *   interpolated in the 42 to 43 degrees C interval.
 * Results:
 *   The first row's value for x below it or NaN; the last row's value for x
 *   at or above it; otherwise the interpolated value.
 * Side effects:
 *   None.
 *----------------------------------------------------------------------
 */
template <bool kByMillivolts>
double Lookup(const TcTable& table, double x) {
  const TcRow* r = table.row;
  const int n = table.rows;
  // Written as "not x >= first" so that NaN takes the first row too.
  if (!(x >= Key<kByMillivolts>(r[0]))) return Value<kByMillivolts>(r[0]);
  if (x == Key<kByMillivolts>(r[0])) return Value<kByMillivolts>(r[0]);
  if (!(x < Key<kByMillivolts>(r[n - 1]))) return Value<kByMillivolts>(r[n - 1]);
  // The last row among 0 .. n-2 whose key is <= x.
  const TcRow* base = r;
  int length = n - 1;
  while (length > 1) {
    const int half = length / 2;
    base = Key<kByMillivolts>(base[half]) <= x ? base + half : base;
    length -= half;
  }
  const TcRow& lo = base[0];
  const TcRow& hi = base[1];
  if (x == Key<kByMillivolts>(lo)) return Value<kByMillivolts>(lo);
  // Here key(lo) < x < key(hi), so the divisor is never zero.
  return (x - Key<kByMillivolts>(lo)) / (Key<kByMillivolts>(hi) - Key<kByMillivolts>(lo)) *
             (Value<kByMillivolts>(hi) - Value<kByMillivolts>(lo)) +
         Value<kByMillivolts>(lo);
}

}  // namespace

extern "C" double EUlookup_mv2c(double millivolts, int type) {
  const TcTable* table = orvela::eu::FindTcTable(type);
  if (table == nullptr) return 0.0;
  return Lookup<true>(*table, millivolts);
}

extern "C" double EUlookup_c2mv(double degreesCelsius, int type) {
  const TcTable* table = orvela::eu::FindTcTable(type);
  if (table == nullptr) return 0.0;
  return Lookup<false>(*table, degreesCelsius);
}
