// Text helpers shared by the engine: number scanning, trimming, splitting,
// comparison and line reading.  Texts are 8-bit; white space is TAB, LF, CR
// and blank.
#ifndef TRENDEL_ENGINE_TEXT_H
#define TRENDEL_ENGINE_TEXT_H

#include <cstddef>
#include <cstdio>

namespace trendel {

inline constexpr size_t kSstrSize = 33;   // SSTR: 32 characters and a NUL
inline constexpr size_t kStrSize = 256;   // STR: 255 characters and a NUL
using SSTR = char[kSstrSize];
using STR = char[kStrSize];

// Reads a decimal number: an optional sign in the first position, up to 10
// integer digits, then optionally "." and digits of which the first 9 count.
// No exponent and no leading white space.  *digits (when given) receives the
// number of digits seen, so that a caller can tell "0" from "no number".
// Returns the value, 0.0 when there are no digits.
double fval(const char* text, int* digits = nullptr);

// Removes leading and trailing white space in place.
void trim(char* text);

// Splits `text` at any of `delims` into words of `words` (each a STR, longer
// words cut to 255 characters; the array holds `limit` + 1 words).  A run of
// delimiters counts as one; a leading delimiter yields an empty first word;
// once `limit` words are split off, the rest of the text, delimiters
// included, becomes the last word.  Returns the number of words stored.
int dword(const char* text, const char* delims, STR* words, int limit);

// Ordinal comparison, with `ignore_case` ASCII letters as lower case.
// Returns -1, 0 or 1.
int cmpstr(const char* a, const char* b, bool ignore_case);

// Compares the first `n` characters ignoring case.  Returns -1, 0 or 1.
int cmpnstr(const char* a, const char* b, size_t n);

// Reads one line up to LF (not stored; a CR stays) into `out` of `size`
// bytes (longer lines are cut, the rest of the line is consumed).  At the end
// of the stream with nothing read, closes the stream, sets *stream to null,
// stores an empty text and returns -1; otherwise returns the stored length.
int freadln(FILE** stream, char* out, size_t size);

// Splits `path` at its last "." into `base` and `ext` (both STR); without a
// dot base is the path and ext is empty.  Paths are cut to 255 characters.
void file_ext(const char* path, char* base, char* ext);

// Copies at most size - 1 characters of `from` into `to` and terminates it.
void CopyText(char* to, size_t size, const char* from);

}  // namespace trendel

#endif
