// Line-by-line compaction of Tcl scripts that keeps their meaning.
#include "compact.h"

#include <vector>

namespace trendel::host {
namespace {

// What a scan of one line leaves for the next.
struct ScanState {
  bool in_quote = false;  // inside a double-quoted word that spans lines
  int bracket_depth = 0;  // command substitutions open inside that word
};

// Whether the line ends in an odd run of backslashes, which joins it to the next.
bool EndsInContinuation(std::string_view line) {
  size_t n = 0;
  while (n < line.size() && line[line.size() - 1 - n] == '\\') ++n;
  return n % 2 == 1;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Follows double-quoted words through one line.  A quote opens a word only at
// a word start (line start, after a blank, ";" or "["); inside the word a
// quote closes it unless it belongs to a command substitution.  Erring
// towards "inside a quote" only keeps more lines verbatim.
void ScanLine(std::string_view line, ScanState& s) {
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\\') {
      ++i;
      continue;
    }
    if (s.in_quote) {
      if (c == '[') {
        ++s.bracket_depth;
      } else if (c == ']' && s.bracket_depth > 0) {
        --s.bracket_depth;
      } else if (c == '"' && s.bracket_depth == 0) {
        s.in_quote = false;
      }
    } else if (c == '"') {
      const char before = i == 0 ? ' ' : line[i - 1];
      if (IsBlank(before) || before == ';' || before == '[') {
        s.in_quote = true;
        s.bracket_depth = 0;
      }
    }
  }
}

}  // namespace

std::string CompactScript(std::string_view script) {
  std::string out;
  out.reserve(script.size());
  ScanState state;
  bool continued = false;          // this line continues the previous one
  bool comment_continued = false;  // ... and that one was a comment
  size_t start = 0;
  while (start < script.size()) {
    size_t end = script.find('\n', start);
    const bool has_newline = end != std::string_view::npos;
    if (!has_newline) end = script.size();
    const std::string_view line = script.substr(start, end - start);
    start = end + 1;
    // The content without a carriage return that precedes the line break.
    const std::string_view body =
        !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
    size_t indent = 0;
    while (indent < body.size() && IsBlank(body[indent])) ++indent;
    const std::string_view stripped = line.substr(indent);

    bool keep = true;
    bool scan = true;
    std::string_view text = stripped;
    if (state.in_quote) {
      text = line;  // inside a quoted word every character counts
    } else if (continued) {
      scan = !comment_continued;
    } else if (indent == body.size()) {
      keep = false;  // blank line
    } else if (stripped[0] == '#') {
      scan = false;  // quotes in a comment open nothing
      const bool has_brace = stripped.find_first_of("{}") != std::string_view::npos;
      if (!has_brace && !EndsInContinuation(body)) keep = false;
    }

    const bool was_comment = !state.in_quote && !continued && indent < body.size() && stripped[0] == '#';
    if (scan) ScanLine(body.substr(text.data() == line.data() ? 0 : indent), state);
    const bool next_continued = EndsInContinuation(body);
    comment_continued = next_continued && (was_comment || (continued && comment_continued));
    continued = next_continued;

    if (keep) {
      out.append(text);
      if (has_newline) out += '\n';
    }
  }
  return out;
}

}  // namespace trendel::host
