// mktctables: writes the viewer's thermocouple table file "tctables.txt" from
// eu's ITS-90 tables.
//
// The file holds eight sections in the order B, E, J, K, N, R, S, T (the
// order in which the viewer fills its tables).  Each section is a header line
// starting with " ITS-90" (leading blank included) that names the type, two
// column-heading lines the viewer skips, then one "degC,mV" row per whole
// degree.  Both numbers are plain decimals, because the viewer's number
// reader takes no exponent; the millivolts carry five decimals.
//
// Usage: mktctables [OUTPUT]   (default "tctables.txt")
#include <cstdio>
#include <string>

#include "tc_tables.h"

namespace {

using orvela::eu::kTcTableCount;
using orvela::eu::kTcTables;

std::string Row(double celsius, double millivolts) {
  // Rows hold whole degrees and values of exactly five decimals, so %.0f and
  // %.5f print them as stored; a zero is written without a sign.
  char line[64];
  if (millivolts == 0.0) millivolts = 0.0;
  std::snprintf(line, sizeof line, "%.0f,%.5f\n", celsius, millivolts);
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "tctables.txt";
  std::string text;
  for (int i = 0; i < kTcTableCount; ++i) {
    const auto& t = kTcTables[i];
    text += std::string(" ITS-90 Table for type ") + t.letter + " thermocouples\n";
    text += "Reference junction at 0 degC\n";
    text += "degC,mV\n";
    for (int r = 0; r < t.rows; ++r) text += Row(t.row[r].celsius, t.row[r].millivolts);
  }
  // Written beside the target and renamed into place, so that a reader never
  // sees half a file.
  const std::string temporary = path + ".tmp";
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  if (f == nullptr) {
    std::perror(temporary.c_str());
    return 1;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::perror(path.c_str());
    std::remove(temporary.c_str());
    return 1;
  }
  return 0;
}
