// The formatter's conversions, flags and buffer growth.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "et.h"

namespace {

// Formats through Et_FormatAlloc and returns the text as a std::string.
template <typename... Args>
std::string Fmt(const char* format, Args... args) {
  char* text = Et_FormatAlloc(format, args...);
  std::string result = text;
  Tcl_Free(text);
  return result;
}

struct IntCase {
  const char* format;
  int value;
  const char* expected;
};

TEST(EtFormat, Integers) {
  const IntCase cases[] = {
      {"%d", -42, "-42"},   {"%i", 7, "7"},           {"%+d", 5, "+5"},          {"% d", 5, " 5"},
      {"%+d", -5, "-5"},    {"%5d", 42, "   42"},     {"%-5d|", 42, "42   |"},   {"%05d", -42, "-0042"},
      {"%.4d", 7, "0007"},  {"%u", -1, "4294967295"}, {"%p", -1, "4294967295"},  {"%o", 8, "10"},
      {"%#o", 8, "010"},    {"%#o", 0, "0"},          {"%#.3o", 8, "010"},       {"%x", 255, "ff"},
      {"%X", 255, "FF"},    {"%#x", 255, "0xff"},     {"%#X", 255, "0XFF"},      {"%b", 5, "101"},
      {"%#b", 5, "0b101"},  {"%r", 10, "10th"},       {"%r", 21, "21st"},        {"%r", 22, "22nd"},
      {"%r", 23, "23rd"},   {"%r", 111, "111th"},     {"%r", 112, "112th"},      {"%r", 113, "113th"},
      {"%r", 101, "101st"}, {"%r", 4, "4th"},         {"%=7d|", 42, "  42   |"}, {"%-=7d|", 42, "  42   |"},
      {"%c", 'A', "A"},     {"%.3c", 'A', "AAA"},     {"%ld", 12, "12"},
      // Flags that do not apply, and fill with a prefix or a centred number.
      {"%+u", 5, "5"},      {"% x", 255, "ff"},       {"%-05d|", 42, "42   |"},  {"%=05d|", 42, " 42  |"},
      {"%#06x", 255, "0x00ff"}, {"%+06d", 42, "+00042"}, {"%r", 0, "0th"},      {"%5r|", 2, "  2nd|"},
      {"%3c|", 'A', "  A|"}, {"%-3.2c|", 'A', "AA |"}, {"%=4c|", 'A', " A  |"},
  };
  for (const auto& c : cases) {
    if (std::string(c.format) == "%ld") {
      EXPECT_EQ(Fmt(c.format, 12L), c.expected) << c.format;
    } else {
      EXPECT_EQ(Fmt(c.format, c.value), c.expected) << c.format << " " << c.value;
    }
  }
}

struct DoubleCase {
  const char* format;
  double value;
  const char* expected;
};

TEST(EtFormat, Doubles) {
  const double inf = std::numeric_limits<double>::infinity();
  const DoubleCase cases[] = {
      {"%f", 1.5, "1.500000"},
      {"%.2f", 3.14159, "3.14"},
      {"%e", 12345.678, "1.234568e+04"},
      {"%E", 0.00012, "1.200000E-04"},
      {"%g", 0.0001, "0.0001"},
      {"%g", 100000.0, "100000"},
      {"%g", 1000000.0, "1e+06"},
      {"%#g", 1.5, "1.50000"},
      {"%G", 1e-10, "1E-10"},
      {"%08.2f", -3.5, "-0003.50"},
      {"%+f", 2.0, "+2.000000"},
      {"%f", inf, "NaN"},
      {"%f", -inf, "NaN"},
      {"%5f|", inf, "  NaN|"},
      {"%.20f", 0.1, "0.10000000000000000000"},
      {"%.20f", 2.0 / 3.0, "0.66666666666666660000"},
      {"%f", 123456789012345678.0, "123456789012345700.000000"},
      {"%.18e", 1.0 / 3.0, "3.333333333333333000e-01"},
      {"%.20g", 0.1, "0.1"},
      {"%.20g", 1.0 / 3.0, "0.3333333333333333"},
      {"%.20g", 123456789012345678.0, "123456789012345700"},
      {"%.20g", 1e20, "1e+20"},
      {"%#.20g", 0.5, "0.50000000000000000000"},
      {"%.17e", 0.0, "0.00000000000000000e+00"},
      {"%f", std::nan(""), "NaN"},
      {"%-6f|", inf, "NaN   |"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Fmt(c.format, c.value), c.expected) << c.format << " " << c.value;
  }
  // Digit positions past the 16th significant one print as "0".
  EXPECT_EQ(Fmt("%f", 1e300), "1" + std::string(300, '0') + ".000000");
  // The widest doubles the caps allow are produced in full.
  const double largest = std::numeric_limits<double>::max();
  EXPECT_EQ(Fmt("%+#.960f", -largest).size(), 1u + 309 + 1 + 960);
  EXPECT_EQ(Fmt("%.960f", std::numeric_limits<double>::denorm_min()).substr(0, 330),
            "0." + std::string(323, '0') + "49406");
  EXPECT_EQ(Fmt("%#.960g", largest).size(), 309u + 1 + 651);
  EXPECT_EQ(Fmt("%990.960e|", 1.0).size(), 991u);
}

struct TextCase {
  const char* format;
  const char* value;
  const char* expected;
};

TEST(EtFormat, Texts) {
  const TextCase cases[] = {
      {"%s", "abc", "abc"},
      {"%.2s", "abc", "ab"},
      {"%5s|", "ab", "   ab|"},
      {"%-5s|", "ab", "ab   |"},
      {"%=7s|", "ab", "  ab   |"},
      {"%=6s|", "ab", "  ab  |"},
      {"%s", nullptr, "(null)"},
      {"%q", "a{b}$c", "a\\173b\\175\\$c"},
      {"%q", nullptr, "(NULL)"},
      {"%q", "x\"[y]\\", "x\\\"\\[y\\]\\\\"},
      {"%q", "\b\t\n\f\r", "\\b\\t\\n\\f\\r"},
      {"%q", "\x01\x7f\xff a", "\\001\\177\\377 a"},
      {"%.4q", "{abc", "\\173"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Fmt(c.format, c.value), c.expected) << c.format;
  }
}

TEST(EtFormat, NoArgumentConversions) {
  EXPECT_EQ(Fmt("%.3'-"), "---");
  EXPECT_EQ(Fmt("%'x"), "x");
  EXPECT_EQ(Fmt("100%%"), "100%");
  EXPECT_EQ(Fmt("%y"), "%y");
  EXPECT_EQ(Fmt("a%"), "a");
}

TEST(EtFormat, StarWidthAndPrecision) {
  EXPECT_EQ(Fmt("%*d|", 4, 7), "   7|");
  EXPECT_EQ(Fmt("%*d|", -4, 7), "7   |");
  EXPECT_EQ(Fmt("%.*s", -2, "abc"), "ab");
  EXPECT_EQ(Fmt("%.*f", 1, 2.25), "2.2");
  // Widths and precisions are capped so that no conversion grows unbounded.
  EXPECT_EQ(Fmt("%5000d", 1).size(), 990u);
  EXPECT_EQ(Fmt("%*d", 100000, 1).size(), 990u);
  EXPECT_EQ(Fmt("%.5000d", 1).size(), 960u);
}

TEST(EtFormat, CountAndZ) {
  int count = -1;
  EXPECT_EQ(Fmt("abc%n%d", &count, 5), "abc5");
  EXPECT_EQ(count, 3);
  char* owned = Tcl_Alloc(4);
  std::strcpy(owned, "own");
  EXPECT_EQ(Fmt("<%z>", owned), "<own>");  // ASan reports a leak or double free here
}

void CountingSink(void* state, const char* /*text*/, int count) {
  auto* pieces = static_cast<std::vector<int>*>(state);
  pieces->push_back(count);
}

int CoreF(std::vector<int>* pieces, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  const int n = Et_FormatCore(CountingSink, pieces, format, ap);
  va_end(ap);
  return n;
}

TEST(EtFormat, CoreReturnsCountAndFillsInPieces) {
  std::vector<int> pieces;
  EXPECT_EQ(CoreF(&pieces, "ab%300s", "x"), 302);
  // "ab", then 299 blanks in pieces of at most 120, then "x".
  EXPECT_EQ(pieces, (std::vector<int>{2, 120, 120, 59, 1}));
  pieces.clear();
  EXPECT_EQ(CoreF(&pieces, "ab%"), -1);
  EXPECT_EQ(CoreF(&pieces, "ab%-5"), -1);
  EXPECT_EQ(CoreF(&pieces, "ab%.3'"), -1);  // no character to repeat
}

// Output around the edges of the 200-byte local buffer of Et_FormatAlloc and
// the 1000-byte buffer of the "q" escape (the terminator counts): each text
// comes out whole.
TEST(EtFormat, LocalBufferEdges) {
  for (size_t length : {198u, 199u, 200u, 201u, 399u, 400u}) {
    const std::string text(length, 'a');
    EXPECT_EQ(Fmt("%s", text.c_str()), text) << length;
    EXPECT_EQ(Fmt("%s%s", text.c_str(), "b"), text + "b") << length;
  }
  for (size_t escaped : {998u, 999u, 1000u, 1001u}) {
    // One brace escapes to four characters, the rest to one each.
    const std::string text = "{" + std::string(escaped - 4, 'a');
    EXPECT_EQ(Fmt("%q", text.c_str()), "\\173" + std::string(escaped - 4, 'a')) << escaped;
  }
}

TEST(EtFormat, LongOutputMovesToHeap) {
  std::string big(5000, 'x');
  const std::string expected = "[" + big + "][" + big + "]";
  EXPECT_EQ(Fmt("[%s][%s]", big.c_str(), big.c_str()), expected);
  // The "q" escape of a text longer than its local buffer.
  std::string braces(600, '{');
  std::string escaped;
  for (int i = 0; i < 600; ++i) escaped += "\\173";
  EXPECT_EQ(Fmt("%q", braces.c_str()), escaped);
}

}  // namespace
