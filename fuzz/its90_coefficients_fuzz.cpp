// The ITS-90 coefficient parser over arbitrary text, then every whole degree
// of what it accepted evaluated, checked and formatted as the table
// generator does.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "reference_function.h"

namespace its90 = orvela::eu::its90;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<its90::ReferenceFunction> functions;
  std::string error;
  if (!its90::ParseCoefficients(text, &functions, &error)) return 0;
  for (const auto& f : functions) {
    for (int t = f.FirstDegree(); t <= f.LastDegree(); ++t) {
      const long double mv = f.Millivolts(t);
      if (!its90::Plausible(mv)) break;
      (void)its90::FormatHundredThousandths(its90::RoundToHundredThousandths(mv));
    }
  }
  return 0;
}
