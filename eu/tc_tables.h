// The eight constant ITS-90 thermocouple tables eu looks temperatures and
// voltages up in.  The rows are generated at build time from the coefficient
// file in its90/ (one row per whole degree, voltage rounded to 0.00001 mV).
#ifndef ORVELA_EU_TC_TABLES_H
#define ORVELA_EU_TC_TABLES_H

namespace orvela::eu {

// One table row: a whole degree Celsius and its voltage in millivolts.
struct TcRow {
  double celsius;
  double millivolts;
};

// The table of one letter type: its type code (3 B to 10 T), letter and rows
// in ascending temperature.
struct TcTable {
  int type;
  char letter;
  int rows;
  const TcRow* row;
};

inline constexpr int kTcFirstType = 3;
inline constexpr int kTcTableCount = 8;

// The tables in type-code order: kTcTables[type - kTcFirstType].
extern const TcTable kTcTables[kTcTableCount];

// The table of thermocouple `type`, or null for a type outside 3 to 10.
inline const TcTable* FindTcTable(int type) {
  if (type < kTcFirstType || type >= kTcFirstType + kTcTableCount) return nullptr;
  return &kTcTables[type - kTcFirstType];
}

}  // namespace orvela::eu

#endif
