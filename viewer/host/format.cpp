// Et_FormatCore: the host's printf-like formatter (conversions listed in et.h).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "et.h"

namespace {

constexpr int kMaxWidth = 990;
constexpr int kMaxPrecision = 960;
constexpr int kFillPiece = 120;      // fill is handed to the sink in pieces of this size
constexpr int kMaxSignificant = 16;  // a double carries no more decimal digits than this
constexpr int kEscapeLocal = 1000;   // local room of the "q" escape, terminator included

// One conversion's flags, width and precision.
struct Directive {
  bool left = false;
  bool plus = false;
  bool blank = false;
  bool alternate = false;
  bool zero = false;
  bool centre = false;
  bool is_long = false;
  int width = 0;
  int precision = -1;  // -1: none given
};

// Counts the characters handed to the sink.
class Output {
 public:
  Output(Et_Sink* sink, void* state) : sink_(sink), state_(state) {}

  void Put(const char* text, int count) {
    if (count <= 0) return;
    sink_(state_, text, count);
    produced_ += count;
  }

  // Repeats `c` n times, in pieces of at most kFillPiece.
  void Fill(char c, int n) {
    char piece[kFillPiece];
    std::memset(piece, c, sizeof piece);
    while (n > 0) {
      const int now = std::min(n, kFillPiece);
      Put(piece, now);
      n -= now;
    }
  }

  int produced() const { return produced_; }

 private:
  Et_Sink* sink_;
  void* state_;
  int produced_ = 0;
};

// Hands `body` (length n) to the sink, blank-filled to the directive's width on the
// left, the right or both sides.
void PutPadded(Output& out, const Directive& directive, const char* body, int n) {
  const int fill = directive.width > n ? directive.width - n : 0;
  if (directive.centre) {
    out.Fill(' ', fill / 2);
    out.Put(body, n);
    out.Fill(' ', fill - fill / 2);
  } else if (directive.left) {
    out.Put(body, n);
    out.Fill(' ', fill);
  } else {
    out.Fill(' ', fill);
    out.Put(body, n);
  }
}

// Zero fill applies only to right-justified numbers: with "-" or "=" the
// width is filled with blanks as for any other conversion.
bool ZeroFills(const Directive& directive) {
  return directive.zero && !directive.left && !directive.centre;
}

// Puts a number made of a sign or prefix, then digits, honouring zero fill.
void PutNumber(Output& out, const Directive& directive, const std::string& prefix,
               const std::string& digits) {
  std::string body = prefix;
  const int length = static_cast<int>(prefix.size() + digits.size());
  if (ZeroFills(directive) && directive.width > length) body.append(directive.width - length, '0');
  body += digits;
  PutPadded(out, directive, body.data(), static_cast<int>(body.size()));
}

std::string Digits(unsigned long long value, unsigned base, bool upper) {
  const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), set[value % base]);
    value /= base;
  } while (value != 0);
  return text;
}

const char* OrdinalSuffix(unsigned long long value) {
  const unsigned last_two = value % 100;
  if (last_two >= 11 && last_two <= 13) return "th";
  switch (value % 10) {
    case 1:
      return "st";
    case 2:
      return "nd";
    case 3:
      return "rd";
    default:
      return "th";
  }
}

void FormatInteger(Output& out, const Directive& directive, char conversion, va_list& ap) {
  const bool is_signed = conversion == 'd' || conversion == 'i';
  long long value = directive.is_long ? va_arg(ap, long) : va_arg(ap, int);
  unsigned long long magnitude;
  std::string prefix;
  if (is_signed) {
    if (value < 0) {
      prefix = "-";
      magnitude = 0ULL - static_cast<unsigned long long>(value);
    } else {
      if (directive.plus)
        prefix = "+";
      else if (directive.blank)
        prefix = " ";
      magnitude = static_cast<unsigned long long>(value);
    }
  } else {
    // Unsigned conversions read the argument's bits at its own width.
    magnitude = directive.is_long ? static_cast<unsigned long>(value) : static_cast<unsigned>(value);
  }

  unsigned base = 10;
  switch (conversion) {
    case 'o':
      base = 8;
      break;
    case 'x':
    case 'X':
      base = 16;
      break;
    case 'b':
      base = 2;
      break;
    default:
      break;
  }
  std::string digits = Digits(magnitude, base, conversion == 'X');
  if (directive.precision > static_cast<int>(digits.size()))
    digits.insert(0, directive.precision - digits.size(), '0');

  if (directive.alternate) {
    if (conversion == 'o') {
      if (magnitude != 0 && digits[0] != '0') digits.insert(0, "0");
    } else if (conversion == 'x') {
      prefix = "0x";
    } else if (conversion == 'X') {
      prefix = "0X";
    } else if (conversion == 'b') {
      prefix = "0b";
    }
  }
  if (conversion == 'r') digits += OrdinalSuffix(magnitude);
  PutNumber(out, directive, prefix, digits);
}

// Counts the significant digits of a printed number (from its first non-zero
// digit up to its exponent or end).
int SignificantDigits(const char* text) {
  int count = 0;
  bool started = false;
  for (const char* p = text; *p != '\0' && *p != 'e' && *p != 'E'; ++p) {
    if (*p < '0' || *p > '9') continue;
    if (*p != '0') started = true;
    if (started) ++count;
  }
  return count;
}

// Renders a non-negative finite value whose output would need more than 16
// significant digits: the value is rounded to 16 and every further digit
// position prints as "0".  `style` is 'f' or 'e'/'E'.
std::string RenderLimited(double value, char style, int precision, bool alternate) {
  char sixteen[64];
  std::snprintf(sixteen, sizeof sixteen, "%.*e", kMaxSignificant - 1, value);
  char digits[kMaxSignificant];
  digits[0] = sixteen[0];
  std::memcpy(digits + 1, sixteen + 2, kMaxSignificant - 1);
  const int exponent = std::atoi(std::strchr(sixteen, 'e') + 1);
  auto digit_at = [&](int index) { return index >= 0 && index < kMaxSignificant ? digits[index] : '0'; };

  std::string text;
  if (style == 'f') {
    // The digit for the decimal position 10^k is digits[exponent - k].
    for (int k = std::max(exponent, 0); k >= 0; --k) text += digit_at(exponent - k);
    if (precision > 0 || alternate) text += '.';
    for (int k = -1; k >= -precision; --k) text += digit_at(exponent - k);
  } else {
    text += digits[0];
    if (precision > 0 || alternate) text += '.';
    for (int i = 1; i <= precision; ++i) text += digit_at(i);
    char tail[16];
    std::snprintf(tail, sizeof tail, "%c%+03d", style, exponent);
    text += tail;
  }
  return text;
}

// Drops the trailing zeros of a fraction (and a bare point), keeping any exponent.
void StripTrailingZeros(std::string& text) {
  const size_t point = text.find('.');
  if (point == std::string::npos) return;
  const size_t exponent_at = text.find_first_of("eE");
  std::string exponent = exponent_at == std::string::npos ? std::string() : text.substr(exponent_at);
  std::string mantissa = text.substr(0, exponent_at);
  while (!mantissa.empty() && mantissa.back() == '0') mantissa.pop_back();
  if (!mantissa.empty() && mantissa.back() == '.') mantissa.pop_back();
  text = mantissa + exponent;
}

void FormatDouble(Output& out, const Directive& directive, char conversion, va_list& ap) {
  const double value = va_arg(ap, double);
  if (!std::isfinite(value)) {
    PutPadded(out, directive, "NaN", 3);
    return;
  }
  const int precision = directive.precision < 0 ? 6 : directive.precision;
  std::string prefix;
  if (std::signbit(value) && value != 0.0)
    prefix = "-";
  else if (directive.plus)
    prefix = "+";
  else if (directive.blank)
    prefix = " ";
  const double magnitude = std::fabs(value);

  // The widest printed double: 309 integer digits, a point, 960 decimals.
  char printed[1400];
  char used[8];
  std::snprintf(used, sizeof used, "%%%s.*%c", directive.alternate ? "#" : "", conversion);
  std::snprintf(printed, sizeof printed, used, precision, magnitude);
  std::string body = printed;

  if (SignificantDigits(printed) > kMaxSignificant) {
    if (conversion == 'f') {
      body = RenderLimited(magnitude, 'f', precision, directive.alternate);
    } else if (conversion == 'e' || conversion == 'E') {
      body = RenderLimited(magnitude, conversion, precision, directive.alternate);
    } else {
      // g/G: more than 16 digits only arise from a precision above 16, where
      // rounding to 16 digits fixes the exponent that picks the style.
      const int wanted = precision == 0 ? 1 : precision;
      char sixteen[64];
      std::snprintf(sixteen, sizeof sixteen, "%.*e", kMaxSignificant - 1, magnitude);
      const int exponent = magnitude == 0.0 ? 0 : std::atoi(std::strchr(sixteen, 'e') + 1);
      const char e_style = conversion == 'G' ? 'E' : 'e';
      if (exponent < wanted && exponent >= -4)
        body = RenderLimited(magnitude, 'f', wanted - 1 - exponent, directive.alternate);
      else
        body = RenderLimited(magnitude, e_style, wanted - 1, directive.alternate);
      if (!directive.alternate) StripTrailingZeros(body);
    }
  }
  PutNumber(out, directive, prefix, body);
}

// Escapes `text` for use inside a double-quoted Tcl word, appending to `out`
// NUL-terminated; `out` has room for EscapedLength(text) + 1 bytes.
// Returns the escaped length.
int EscapeInto(const char* text, char* out) {
  int n = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != '\0'; ++p) {
    const unsigned char c = *p;
    const char* named = nullptr;
    switch (c) {
      case '\b':
        named = "\\b";
        break;
      case '\t':
        named = "\\t";
        break;
      case '\n':
        named = "\\n";
        break;
      case '\f':
        named = "\\f";
        break;
      case '\r':
        named = "\\r";
        break;
      default:
        break;
    }
    if (named != nullptr) {
      out[n++] = named[0];
      out[n++] = named[1];
    } else if (c == '"' || c == '$' || c == '[' || c == ']' || c == '\\') {
      out[n++] = '\\';
      out[n++] = static_cast<char>(c);
    } else if (c < 32 || c == '{' || c == '}' || c >= 127) {
      out[n++] = '\\';
      out[n++] = static_cast<char>('0' + ((c >> 6) & 7));
      out[n++] = static_cast<char>('0' + ((c >> 3) & 7));
      out[n++] = static_cast<char>('0' + (c & 7));
    } else {
      out[n++] = static_cast<char>(c);
    }
  }
  out[n] = '\0';
  return n;
}

// Length of the escaped form of `text`, terminator excluded.
size_t EscapedLength(const char* text) {
  size_t n = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != '\0'; ++p) {
    const unsigned char c = *p;
    if (c == '\b' || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == '"' || c == '$' || c == '[' ||
        c == ']' || c == '\\')
      n += 2;
    else if (c < 32 || c == '{' || c == '}' || c >= 127)
      n += 4;
    else
      n += 1;
  }
  return n;
}

void FormatEscaped(Output& out, const Directive& directive, const char* text) {
  if (text == nullptr) text = "(NULL)";
  const size_t needed = EscapedLength(text) + 1;
  char local[kEscapeLocal];
  char* buffer = local;
  if (needed > sizeof local) buffer = Tcl_Alloc(static_cast<unsigned>(needed));
  int n = EscapeInto(text, buffer);
  if (directive.precision >= 0 && directive.precision < n) n = directive.precision;
  PutPadded(out, directive, buffer, n);
  if (buffer != local) Tcl_Free(buffer);
}

void FormatText(Output& out, const Directive& directive, const char* text) {
  if (text == nullptr) text = "(null)";
  int n = static_cast<int>(std::strlen(text));
  if (directive.precision >= 0 && directive.precision < n) n = directive.precision;
  PutPadded(out, directive, text, n);
}

// Repeats `c` precision times (once without a precision), padded to the width.
void FormatRepeated(Output& out, const Directive& directive, char c) {
  const int count = directive.precision < 0 ? 1 : directive.precision;
  const int fill = directive.width > count ? directive.width - count : 0;
  const int before = directive.centre ? fill / 2 : (directive.left ? 0 : fill);
  out.Fill(' ', before);
  out.Fill(c, count);
  out.Fill(' ', fill - before);
}

}  // namespace

/*
 * Et_FormatCore --
 *	Formats `format` with the arguments in `ap`, handing output to `sink`.
 * Results:
 *	The number of characters produced, or -1 when the format ends inside a
 *	conversion.
 * Side effects:
 *	Calls the sink; "n" stores through its pointer; "z" frees its text.
 */
extern "C" int Et_FormatCore(Et_Sink* sink, void* state, const char* format, va_list ap_in) {
  Output out(sink, state);
  va_list ap;
  va_copy(ap, ap_in);
  const char* p = format;
  while (*p != '\0') {
    if (*p != '%') {
      const char* run = p;
      while (*p != '\0' && *p != '%') ++p;
      out.Put(run, static_cast<int>(p - run));
      continue;
    }
    ++p;
    Directive directive;
    for (;; ++p) {
      if (*p == '-')
        directive.left = true;
      else if (*p == '+')
        directive.plus = true;
      else if (*p == ' ')
        directive.blank = true;
      else if (*p == '#')
        directive.alternate = true;
      else if (*p == '0')
        directive.zero = true;
      else if (*p == '=')
        directive.centre = true;
      else
        break;
    }
    if (*p == '*') {
      int width = va_arg(ap, int);
      if (width < 0) {
        directive.left = true;
        width = width == -2147483647 - 1 ? 2147483647 : -width;
      }
      directive.width = width;
      ++p;
    } else {
      while (*p >= '0' && *p <= '9') {
        directive.width = std::min(directive.width * 10 + (*p - '0'), kMaxWidth + 1);
        ++p;
      }
    }
    directive.width = std::min(directive.width, kMaxWidth);
    if (*p == '.') {
      ++p;
      directive.precision = 0;
      if (*p == '*') {
        int precision = va_arg(ap, int);
        if (precision < 0) precision = precision == -2147483647 - 1 ? 2147483647 : -precision;
        directive.precision = precision;
        ++p;
      } else {
        while (*p >= '0' && *p <= '9') {
          directive.precision = std::min(directive.precision * 10 + (*p - '0'), kMaxPrecision + 1);
          ++p;
        }
      }
      directive.precision = std::min(directive.precision, kMaxPrecision);
    }
    if (directive.centre) directive.left = false;
    while (*p == 'l') {
      directive.is_long = true;
      ++p;
    }
    const char conversion = *p;
    if (conversion == '\0') {
      va_end(ap);
      return -1;
    }
    ++p;
    switch (conversion) {
      case 'd':
      case 'i':
      case 'u':
      case 'p':
      case 'o':
      case 'x':
      case 'X':
      case 'b':
      case 'r':
        FormatInteger(out, directive, conversion, ap);
        break;
      case 'f':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
        FormatDouble(out, directive, conversion, ap);
        break;
      case 's':
        FormatText(out, directive, va_arg(ap, const char*));
        break;
      case 'z': {
        char* text = va_arg(ap, char*);
        FormatText(out, directive, text);
        if (text != nullptr) Tcl_Free(text);
        break;
      }
      case 'q':
        FormatEscaped(out, directive, va_arg(ap, const char*));
        break;
      case 'c':
        FormatRepeated(out, directive, static_cast<char>(va_arg(ap, int)));
        break;
      case '\'':
        if (*p == '\0') {
          va_end(ap);
          return -1;
        }
        FormatRepeated(out, directive, *p++);
        break;
      case 'n':
        if (int* slot = va_arg(ap, int*); slot != nullptr) *slot = out.produced();
        break;
      case '%':
        out.Put("%", 1);
        break;
      default: {
        const char unknown[2] = {'%', conversion};
        out.Put(unknown, 2);
        break;
      }
    }
  }
  va_end(ap);
  return out.produced();
}
