// The thermocouple table file "tctables.txt" and the table lookups.
#include <cstdio>

#include "engine.h"

namespace trendel {

QELTHERMOCOUPLE QelThermoTables[kNumTables][kTableEntries];
int QelNumThermoTableEntries[kNumTables];
QELRTD QelRtdTables[kNumTables][kTableEntries];
int QelNumRtdTableEntries[kNumTables];
int QelThermoTablesRead = 0;

namespace {

enum class Section { kNone, kThermo, kRtd };

}  // namespace

int ParseTcTables() { return ParseTcTablesFrom("tctables.txt"); }

/*
 * ParseTcTablesFrom --
 *   Reads a table file of " ITS-90" (thermocouple) and " Table" (RTD)
 *   sections of "temperature, value" rows.
 * Results:
 *   0 when the file was read, -1 when it cannot be opened.
 * Side effects:
 *   Refills the tables.  Rows before the first section, sections beyond the
 *   tenth of a kind and rows beyond the 2000th of a section are dropped.
 */
int ParseTcTablesFrom(const char* path) {
  FILE* fp = OpenRegularFile(path, "r");
  if (fp == nullptr) return -1;
  for (int t = 0; t < kNumTables; ++t) QelNumThermoTableEntries[t] = QelNumRtdTableEntries[t] = 0;
  int thermo_sections = 0;
  int rtd_sections = 0;
  Section section = Section::kNone;
  int table = -1;  // -1: rows are dropped
  char line[1024];
  char skipped[1024];
  while (freadln(&fp, line, sizeof line) >= 0) {
    if (cmpnstr(line, " ITS-90", 7) == 0 || cmpnstr(line, " Table", 6) == 0) {
      const bool thermo = cmpnstr(line, " ITS-90", 7) == 0;
      freadln(&fp, skipped, sizeof skipped);
      freadln(&fp, skipped, sizeof skipped);
      int& count = thermo ? thermo_sections : rtd_sections;
      section = thermo ? Section::kThermo : Section::kRtd;
      table = count < kNumTables ? count : -1;
      ++count;
      if (table >= 0) (thermo ? QelNumThermoTableEntries : QelNumRtdTableEntries)[table] = 0;
      if (fp == nullptr) break;
      continue;
    }
    trim(line);
    if (line[0] == '\0') continue;
    STR words[3];
    if (dword(line, ",", words, 2) < 2) continue;
    trim(words[0]);
    trim(words[1]);
    if (section == Section::kNone || table < 0) continue;
    const double temp = fval(words[0]);
    const double value = fval(words[1]);
    if (section == Section::kThermo) {
      int& n = QelNumThermoTableEntries[table];
      if (n >= kTableEntries) continue;
      QelThermoTables[table][n++] = QELTHERMOCOUPLE{temp, value};
    } else {
      int& n = QelNumRtdTableEntries[table];
      if (n >= kTableEntries) continue;
      QelRtdTables[table][n++] = QELRTD{temp, value};
    }
  }
  if (fp != nullptr) std::fclose(fp);
  return 0;
}

/*
 * QelConvertMvToDegC --
 *   Interpolates a temperature from millivolts in thermocouple table t.
 * Results:
 *   Degrees C; the last entry's temperature above the table, the first
 *   entry's below it, 0.0 for an empty or unknown table.
 * Side effects:
 *   None.
 */
double QelConvertMvToDegC(int t, double mv) {
  if (t < 0 || t >= kNumTables) return 0.0;
  const int n = QelNumThermoTableEntries[t];
  if (n <= 0) return 0.0;
  const QELTHERMOCOUPLE* e = QelThermoTables[t];
  for (int i = 0; i < n; ++i) {
    if (e[i].mv > mv) {
      if (i == 0) return e[0].temp;  // below the table: clamp to its first entry
      return e[i - 1].temp + (mv - e[i - 1].mv) * (e[i].temp - e[i - 1].temp) / (e[i].mv - e[i - 1].mv);
    }
  }
  return e[n - 1].temp;
}

/*
 * QelConvertDegCToMv --
 *   Interpolates millivolts from degrees C in table t, whose entries run in
 *   steps of one degree from its first temperature.
 * Results:
 *   Millivolts; 0.0 at or above the table's end or for an empty table; the
 *   first entry's millivolts below the table.
 * Side effects:
 *   None.
 */
double QelConvertDegCToMv(int t, double degc) {
  if (t < 0 || t >= kNumTables) return 0.0;
  const int n = QelNumThermoTableEntries[t];
  if (n <= 0) return 0.0;
  const QELTHERMOCOUPLE* e = QelThermoTables[t];
  if (!(degc == degc)) return 0.0;
  if (degc < e[0].temp) return e[0].mv;  // below the table: clamp to its first entry
  const double steps = static_cast<double>(static_cast<long long>(degc > 1e15 ? 1e15 : (degc < -1e15 ? -1e15 : degc))) - e[0].temp;
  if (steps >= n) return 0.0;
  const long long i = static_cast<long long>(steps) + 1;
  if (i >= n) return 0.0;
  if (i < 1) return e[0].mv;  // below the table: clamp to its first entry
  const double span = e[i].temp - e[i - 1].temp;
  if (span == 0.0) return e[i - 1].mv;
  return e[i - 1].mv + (degc - e[i - 1].temp) * (e[i].mv - e[i - 1].mv) / span;
}

}  // namespace trendel
