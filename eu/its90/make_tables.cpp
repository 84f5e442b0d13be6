// Build-time generator of the thermocouple lookup tables: reads the ITS-90
// coefficient file and writes a C++ source holding, for each of the eight
// letter types, one row (degrees C, mV) per whole degree of the type's range,
// the voltage rounded to 0.00001 mV.
//
// Usage: eu_make_tables COEFFICIENTS OUTPUT.cpp
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "reference_function.h"

namespace its90 = orvela::eu::its90;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s COEFFICIENTS OUTPUT.cpp\n", argv[0]);
    return 2;
  }
  std::vector<its90::ReferenceFunction> functions;
  std::string error;
  if (!its90::LoadCoefficients(argv[1], &functions, &error)) {
    std::fprintf(stderr, "%s: %s: %s\n", argv[0], argv[1], error.c_str());
    return 1;
  }
  std::string out;
  out += "// Generated from the ITS-90 coefficient file by eu_make_tables; do not edit.\n";
  out += "#include \"tc_tables.h\"\n\nnamespace orvela::eu {\n\nnamespace {\n\n";
  for (const auto& f : functions) {
    out += std::string("const TcRow kRows") + f.letter + "[] = {\n";
    for (int t = f.FirstDegree(); t <= f.LastDegree(); ++t) {
      const long double mv = f.Millivolts(t);
      if (!its90::Plausible(mv)) {
        std::fprintf(stderr, "%s: %s: type %c gives no usable voltage at %d degC\n", argv[0], argv[1], f.letter, t);
        return 1;
      }
      const int64_t units = its90::RoundToHundredThousandths(mv);
      out += "    {" + std::to_string(t) + ".0, " + its90::FormatHundredThousandths(units) + "},\n";
    }
    out += "};\n\n";
  }
  out += "}  // namespace\n\nconst TcTable kTcTables[kTcTableCount] = {\n";
  for (size_t i = 0; i < functions.size(); ++i) {
    const auto& f = functions[i];
    out += "    {" + std::to_string(its90::kFirstTypeCode + static_cast<int>(i)) + ", '" + f.letter + "', " +
           std::to_string(f.LastDegree() - f.FirstDegree() + 1) + ", kRows" + f.letter + "},\n";
  }
  out += "};\n\n}  // namespace orvela::eu\n";
  const std::string temporary = std::string(argv[2]) + ".tmp";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << out;
    if (!file.flush()) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], temporary.c_str());
      return 1;
    }
  }
  if (std::rename(temporary.c_str(), argv[2]) != 0) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
    return 1;
  }
  return 0;
}
