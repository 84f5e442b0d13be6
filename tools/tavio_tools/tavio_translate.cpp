// tavio-translate: translates a recorded data file or KEPR container into
// another format through the data file library, whole or in part.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "tavio.h"
#include "tool_messages.h"

namespace {

constexpr const char* kUsage =
    "usage: tavio-translate SRC DST FORMAT [FIRST END]\n"
    "Translates the recorded data file or KEPR container SRC into DST.\n"
    "FORMAT is a name or its code: Velmont (1), VelmontEnhanced (2), KEPR (5),\n"
    "DIZ (6, tab-separated EU values with a header), DIZ_NOHEADER (7); codes 3\n"
    "and 4 write Velmont.  FIRST and END select the sample sets FIRST to END - 1\n"
    "(END below 0: up to the last).  KEPR needs kepr.so in the working directory.\n"
    "Exit status: 0, 1 when the translation fails, 2 for bad usage.\n";

struct FormatName {
  const char* name;
  int code;
};

constexpr FormatName kFormats[] = {
    {"Velmont", 1}, {"VelmontEnhanced", 2}, {"KEPR", 5}, {"DIZ", 6}, {"DIZ_NOHEADER", 7},
};

// The format code of a name or a number from 1 to 7, or 0.
int ParseFormat(const char* text) {
  for (const FormatName& f : kFormats)
    if (strcasecmp(text, f.name) == 0) return f.code;
  char* end = nullptr;
  errno = 0;
  const long code = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || code < 1 || code > 7) return 0;
  return static_cast<int>(code);
}

bool ParseIndex(const char* text, double* out) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text, &end);
  if (errno != 0 || end == text || *end != '\0' || !std::isfinite(value)) return false;
  *out = value;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 4 && argc != 6) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const int format = ParseFormat(argv[3]);
  if (format == 0) {
    std::fprintf(stderr, "tavio-translate: unknown output format \"%s\"\n", argv[3]);
    return 2;
  }
  double first = 0.0;
  double end = -1.0;
  if (argc == 6 && (!ParseIndex(argv[4], &first) || !ParseIndex(argv[5], &end))) {
    std::fprintf(stderr, "tavio-translate: FIRST and END must be numbers (got \"%s\" and \"%s\")\n", argv[4],
                 argv[5]);
    return 2;
  }
  const int rc = TAVIO_TranslateSubFile(argv[2], argv[1], format, first, end);
  if (rc != 0) {
    // For a translation, 219 also stands for an output that could not be
    // started.
    const char* more = rc == TAVIO_E_CLOSE ? "; in a translation also: the output could not be created "
                                             "or is the source itself"
                                           : "";
    std::fprintf(stderr, "tavio-translate: cannot translate %s into %s: %s%s\n", argv[1], argv[2],
                 tavio_tools::Describe(rc).c_str(), more);
    return 1;
  }
  std::printf("translated %s into %s (format %d)\n", argv[1], argv[2], format);
  return 0;
}
