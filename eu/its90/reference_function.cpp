// Parsing and evaluating the ITS-90 reference-function coefficient file.
#include "reference_function.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace orvela::eu::its90 {

namespace {

// Sub-range bounds a thermocouple table can have: well beyond every letter
// type, and small enough that whole degrees fit an int.
constexpr long double kLowestCelsius = -273.15L;
constexpr long double kHighestCelsius = 10000.0L;
// Most coefficients one sub-range may have.
constexpr size_t kMaxCoefficients = 32;

// A finite number filling the whole word.
bool ParseNumber(const std::string& word, long double* out) {
  if (word.empty()) return false;
  char* end = nullptr;
  const long double v = std::strtold(word.c_str(), &end);
  if (end == nullptr || *end != '\0' || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

int LetterIndex(char letter) {
  const char* at = std::strchr(kLetters, letter);
  return at != nullptr && letter != '\0' ? static_cast<int>(at - kLetters) : -1;
}

}  // namespace

int ReferenceFunction::FirstDegree() const {
  return ranges.empty() ? 0 : static_cast<int>(std::ceil(ranges.front().lo));
}

int ReferenceFunction::LastDegree() const {
  return ranges.empty() ? -1 : static_cast<int>(std::floor(ranges.back().hi));
}

long double ReferenceFunction::Millivolts(double t) const {
  for (const SubRange& r : ranges) {
    if (r.lo <= t && t <= r.hi) {
      // Horner's rule in long double: the rounding of every row to 0.00001 mV
      // needs far more than double's worth of digits near a tie.
      const long double x = t;
      long double e = 0.0L;
      for (auto it = r.c.rbegin(); it != r.c.rend(); ++it) e = e * x + *it;
      // The exponential term belongs to the sub-range it is given for (type K
      // above 0 degrees C), not to the lower range that owns their boundary.
      if (exponential.present && exponential.lo == r.lo && exponential.hi == r.hi) {
        const long double d = x - exponential.a2;
        e += exponential.a0 * std::exp(exponential.a1 * d * d);
      }
      return e;
    }
  }
  return std::nanl("");
}

bool ParseCoefficients(const std::string& text, std::vector<ReferenceFunction>* out, std::string* error) {
  std::vector<ReferenceFunction> types(sizeof kLetters - 1);
  for (size_t i = 0; i < types.size(); ++i) types[i].letter = kLetters[i];
  std::istringstream in(text);
  std::string line;
  int line_number = 0;
  ReferenceFunction* current = nullptr;
  SubRange* range = nullptr;  // block being filled, or null in an exponential block
  auto fail = [&](const std::string& why) {
    *error = "line " + std::to_string(line_number) + ": " + why;
    return false;
  };
  while (std::getline(in, line)) {
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string first;
    if (!(words >> first) || first[0] == '#') continue;
    if (first == "type") {
      std::string letter, kind, lo, hi;
      words >> letter >> kind;
      const bool exponential = kind == "exponential";
      if (exponential) words >> kind;
      words >> lo >> hi;
      long double lo_v = 0, hi_v = 0;
      const int index = letter.size() == 1 ? LetterIndex(letter[0]) : -1;
      if (index < 0 || kind != "range" || !ParseNumber(lo, &lo_v) || !ParseNumber(hi, &hi_v) || lo_v > hi_v)
        return fail("malformed block header");
      if (lo_v < kLowestCelsius || hi_v > kHighestCelsius) return fail("range outside -273.15 to 10000 degC");
      current = &types[index];
      if (exponential) {
        current->exponential.present = true;
        current->exponential.lo = static_cast<double>(lo_v);
        current->exponential.hi = static_cast<double>(hi_v);
        range = nullptr;
      } else {
        if (!current->ranges.empty() && current->ranges.back().hi > static_cast<double>(lo_v)) return fail("sub-ranges out of order");
        current->ranges.push_back({static_cast<double>(lo_v), static_cast<double>(hi_v), {}});
        range = &current->ranges.back();
      }
      continue;
    }
    std::string value;
    long double v = 0;
    if (current == nullptr || !(words >> value) || !ParseNumber(value, &v)) return fail("malformed coefficient");
    if (range != nullptr) {
      if (first != "c" + std::to_string(range->c.size())) return fail("coefficients out of order");
      if (range->c.size() >= kMaxCoefficients) return fail("too many coefficients");
      range->c.push_back(v);
    } else if (first == "a0") {
      current->exponential.a0 = v;
    } else if (first == "a1") {
      current->exponential.a1 = v;
    } else if (first == "a2") {
      current->exponential.a2 = v;
    } else {
      return fail("unknown exponential term");
    }
  }
  for (const ReferenceFunction& f : types) {
    if (f.ranges.empty()) {
      *error = std::string("no coefficients for type ") + f.letter;
      return false;
    }
    for (const SubRange& r : f.ranges) {
      if (r.c.empty()) {
        *error = std::string("empty sub-range in type ") + f.letter;
        return false;
      }
    }
  }
  *out = std::move(types);
  return true;
}

bool LoadCoefficients(const std::string& path, std::vector<ReferenceFunction>* out, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = "cannot read " + path;
    return false;
  }
  std::ostringstream text;
  text << file.rdbuf();
  return ParseCoefficients(text.str(), out, error);
}

bool Plausible(long double millivolts) { return std::fabs(millivolts) <= 1000.0L; }

int64_t RoundToHundredThousandths(long double millivolts) {
  const long double units = std::roundl(millivolts * 100000.0L);
  // Outside int64_t (or NaN) the conversion would be undefined.
  if (!(std::fabs(units) < 9.0e18L)) return 0;
  return static_cast<int64_t>(units);
}

std::string FormatHundredThousandths(int64_t units) {
  const bool negative = units < 0;
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(units) : static_cast<uint64_t>(units);
  char fraction[8];
  std::snprintf(fraction, sizeof fraction, "%05llu", static_cast<unsigned long long>(magnitude % 100000));
  return (negative ? "-" : "") + std::to_string(magnitude / 100000) + "." + fraction;
}

}  // namespace orvela::eu::its90
