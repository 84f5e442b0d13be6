// Text helpers shared by the engine.
#include "text.h"

#include <cstring>

namespace trendel {
namespace {

bool IsWhite(unsigned char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

int Lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

int Sign(int d) { return d < 0 ? -1 : (d > 0 ? 1 : 0); }

}  // namespace

/*
 * fval --
 *   Scans a decimal number in the engine's restricted form.
 * Results:
 *   The value; 0.0 without digits.  *digits receives the digit count.
 * Side effects:
 *   None.
 */
double fval(const char* text, int* digits) {
  int seen = 0;
  double value = 0.0;
  bool negative = false;
  const char* p = text;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  int integer_digits = 0;
  while (*p >= '0' && *p <= '9' && integer_digits < 10) {
    value = value * 10.0 + (*p++ - '0');
    ++integer_digits;
  }
  seen += integer_digits;
  if (*p == '.') {
    ++p;
    double scale = 1.0;
    int fraction_digits = 0;
    while (*p >= '0' && *p <= '9') {
      if (fraction_digits < 9) {
        scale *= 10.0;
        value += (*p - '0') / scale;
      }
      ++fraction_digits;
      ++p;
    }
    seen += fraction_digits;
  }
  if (digits != nullptr) *digits = seen;
  return negative ? -value : value;
}

/*
 * trim --
 *   Strips white space from both ends of a text.
 * Results:
 *   None.
 * Side effects:
 *   Rewrites the text in place.
 */
void trim(char* text) {
  size_t length = std::strlen(text);
  while (length > 0 && IsWhite(static_cast<unsigned char>(text[length - 1]))) --length;
  text[length] = '\0';
  size_t start = 0;
  while (start < length && IsWhite(static_cast<unsigned char>(text[start]))) ++start;
  if (start > 0) std::memmove(text, text + start, length - start + 1);
}

/*
 * dword --
 *   Splits a text into words at a set of delimiter characters.
 * Results:
 *   The number of words stored in `words`.
 * Side effects:
 *   Fills words[0 .. result-1].
 */
int dword(const char* text, const char* delims, STR* words, int limit) {
  if (limit < 0) return 0;
  auto is_delim = [delims](char c) { return c != '\0' && std::strchr(delims, c) != nullptr; };
  int count = 0;
  const char* p = text;
  while (true) {
    if (count == limit) {
      CopyText(words[count++], kStrSize, p);
      return count;
    }
    const char* end = p;
    while (*end != '\0' && !is_delim(*end)) ++end;
    const size_t n = static_cast<size_t>(end - p) < kStrSize - 1 ? static_cast<size_t>(end - p) : kStrSize - 1;
    std::memcpy(words[count], p, n);
    words[count][n] = '\0';
    ++count;
    if (*end == '\0') return count;
    while (is_delim(*end)) ++end;
    if (*end == '\0') return count;
    p = end;
  }
}

/*
 * cmpstr --
 *   Compares two texts ordinally, optionally ignoring ASCII case.
 * Results:
 *   -1, 0 or 1.
 * Side effects:
 *   None.
 */
int cmpstr(const char* a, const char* b, bool ignore_case) {
  for (;; ++a, ++b) {
    int ca = static_cast<unsigned char>(*a);
    int cb = static_cast<unsigned char>(*b);
    if (ignore_case) {
      ca = Lower(static_cast<unsigned char>(ca));
      cb = Lower(static_cast<unsigned char>(cb));
    }
    if (ca != cb) return Sign(ca - cb);
    if (ca == 0) return 0;
  }
}

/*
 * cmpnstr --
 *   Compares at most n characters of two texts, ignoring ASCII case.
 * Results:
 *   -1, 0 or 1.
 * Side effects:
 *   None.
 */
int cmpnstr(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const int ca = Lower(static_cast<unsigned char>(a[i]));
    const int cb = Lower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return Sign(ca - cb);
    if (ca == 0) return 0;
  }
  return 0;
}

/*
 * freadln --
 *   Reads one LF-terminated line from a stream.
 * Results:
 *   The stored length, or -1 at the end of the stream.
 * Side effects:
 *   Consumes the line; closes the stream at its end.
 */
int freadln(FILE** stream, char* out, size_t size) {
  out[0] = '\0';
  if (*stream == nullptr) return -1;
  size_t length = 0;
  bool any = false;
  int c;
  while ((c = std::getc(*stream)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (length + 1 < size) out[length++] = static_cast<char>(c);
  }
  out[length] = '\0';
  if (!any) {
    std::fclose(*stream);
    *stream = nullptr;
    return -1;
  }
  return static_cast<int>(length);
}

/*
 * file_ext --
 *   Splits a path at its last dot.
 * Results:
 *   None.
 * Side effects:
 *   Fills base and ext.
 */
void file_ext(const char* path, char* base, char* ext) {
  CopyText(base, kStrSize, path);
  ext[0] = '\0';
  char* dot = std::strrchr(base, '.');
  if (dot != nullptr) {
    CopyText(ext, kStrSize, dot + 1);
    *dot = '\0';
  }
}

void CopyText(char* to, size_t size, const char* from) {
  if (size == 0) return;
  size_t n = std::strlen(from);
  if (n > size - 1) n = size - 1;
  std::memcpy(to, from, n);
  to[n] = '\0';
}

}  // namespace trendel
