// The table of recognised conversion type texts.
#include "conversion_type.h"

#include <strings.h>

namespace orvela::tavio {

namespace {

struct ConversionName {
  const char* text;
  int code;
};

constexpr ConversionName kConversionNames[] = {
    {"volts", 0},  {"none", 0},   {"linear", 1}, {"polynomial", 2}, {"type_b", 3},
    {"type_e", 4}, {"type_j", 5}, {"type_k", 6}, {"type_n", 7},     {"type_r", 8},
    {"type_s", 9}, {"type_t", 10}, {"TC_Reference", 11}, {"bridge", 12},
};

}  // namespace

int ConversionCodeFromText(const char* text, bool* known) {
  if (known != nullptr) *known = false;
  if (text == nullptr) return 0;
  for (const ConversionName& entry : kConversionNames) {
    if (strcasecmp(text, entry.text) == 0) {
      if (known != nullptr) *known = true;
      return entry.code;
    }
  }
  return 0;
}

}  // namespace orvela::tavio
