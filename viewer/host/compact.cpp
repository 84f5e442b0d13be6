// Line-by-line compaction of Tcl scripts that keeps their meaning.
#include "compact.h"

#include <tcl.h>

namespace trendel::host {
namespace {

// What a scan of one line leaves for the next.
struct ScanState {
  bool in_quote = false;    // inside a double-quoted word that spans lines
  int bracket_depth = 0;    // command substitutions open inside that word
  bool in_comment = false;  // a comment continues onto the next line
};

// Whether the line ends in an odd run of backslashes, which joins it to the next.
bool EndsInContinuation(std::string_view line) {
  size_t n = 0;
  while (n < line.size() && line[line.size() - 1 - n] == '\\') ++n;
  return n % 2 == 1;
}

// Tcl's word-separating white space within a line.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

// Follows double-quoted words and comments through one line.  A quote opens
// a word only at a word start: the line start, after a blank, ";" or "[",
// after "{*}" at a word start, and after a "{" at a word start (a braced word
// may run as a script later, and its first word starts there).  A "#" at a
// command start begins a comment, in which quotes open nothing.  Inside a
// quoted word a quote closes it unless it belongs to a command substitution.
// `command_start` tells whether the line begins a command (it does unless it
// continues one).
void ScanLine(std::string_view line, ScanState& s, bool command_start) {
  if (s.in_comment) {
    s.in_comment = EndsInContinuation(line);
    return;
  }
  bool word_start = true;  // position i begins a word
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    const bool at_word = word_start;
    const bool at_command = command_start;
    word_start = false;
    command_start = false;
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
      continue;
    }
    if (c == '#' && at_command) {
      s.in_comment = EndsInContinuation(line);
      return;
    }
    if (c == '"' && at_word) {
      s.in_quote = true;
      s.bracket_depth = 0;
    } else if (IsBlank(c)) {
      word_start = true;
      command_start = at_command;
    } else if (c == ';' || c == '[') {
      word_start = true;
      command_start = true;
    } else if (c == '{' && at_word) {
      // "{*}" expands the word that follows; any other "{" opens a braced
      // word whose content may be a script.
      if (line.compare(i, 3, "{*}") == 0) {
        i += 2;
      } else {
        command_start = true;
      }
      word_start = true;
    }
  }
}

// Appends the non-blank lines of `text` without their indentation.
void AppendLines(std::string_view text, std::string* out) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (!line.empty()) {
      out->append(line);
      *out += '\n';
    }
    start = end + 1;
  }
}

// Appends the outline of `length` bytes of script at `script` (see
// ParseOutline).  Past the depth limit a braced word counts as written.
void AppendOutline(const char* script, int length, int depth, std::string* out) {
  constexpr int kMaxDepth = 100;
  while (length > 0) {
    Tcl_Parse parse;
    if (Tcl_ParseCommand(nullptr, script, length, 0, &parse) != TCL_OK) {
      // What does not parse (an expression, say) counts as written, up to
      // indentation and blank lines.
      *out += '!';
      AppendLines(std::string_view(script, static_cast<size_t>(length)), out);
      return;
    }
    if (parse.numWords > 0) *out += "(" + std::to_string(parse.numWords);
    for (int i = 0; i < parse.numTokens; i += 1 + parse.tokenPtr[i].numComponents) {
      const Tcl_Token& word = parse.tokenPtr[i];
      std::string_view text(word.start, static_cast<size_t>(word.size));
      if (word.type == TCL_TOKEN_EXPAND_WORD) text.remove_prefix(3);  // "{*}"
      if (!text.empty() && text[0] == '"') {
        *out += ' ';
        out->append(text);
      } else if (word.type == TCL_TOKEN_SIMPLE_WORD && text.size() >= 2 && text[0] == '{') {
        *out += " {";
        if (depth < kMaxDepth)
          AppendOutline(text.data() + 1, static_cast<int>(text.size()) - 2, depth + 1, out);
        else
          out->append(text);
        *out += '}';
      } else {
        for (int k = i + 1; k <= i + word.numComponents; ++k) {
          const Tcl_Token& part = parse.tokenPtr[k];
          if (part.type != TCL_TOKEN_COMMAND) continue;
          *out += " [";
          if (depth < kMaxDepth)
            AppendOutline(part.start + 1, part.size - 2, depth + 1, out);
          else
            out->append(part.start, static_cast<size_t>(part.size));
          *out += ']';
        }
      }
    }
    if (parse.numWords > 0) *out += ')';
    const char* next = parse.commandStart + parse.commandSize;
    length -= static_cast<int>(next - script);
    script = next;
    Tcl_FreeParse(&parse);
  }
}

// The line-by-line compaction, before it is checked.
std::string CompactLines(std::string_view script) {
  std::string out;
  out.reserve(script.size());
  ScanState state;
  bool continued = false;  // this line continues the previous one
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
    std::string_view text = stripped;
    if (state.in_quote) {
      text = line;  // inside a quoted word every character counts
    } else if (continued) {
      // Tcl turns backslash, line break and the blanks after it into one
      // blank, so one blank of the indentation is enough; keeping it also
      // keeps a final backslash-newline followed only by blanks complete.
      if (indent > 0) text = line.substr(indent - 1);
    } else if (indent == body.size()) {
      keep = false;  // blank line
    } else if (stripped[0] == '#') {
      const bool has_brace = stripped.find_first_of("{}") != std::string_view::npos;
      if (!has_brace && !EndsInContinuation(body)) keep = false;
    }

    ScanLine(body, state, !continued);
    continued = EndsInContinuation(body);

    if (keep) {
      out.append(text);
      if (has_newline) out += '\n';
    }
  }
  return out;
}

}  // namespace

std::string ParseOutline(std::string_view script) {
  const std::string text(script);  // NUL-terminated for the parser
  std::string out;
  AppendOutline(text.c_str(), static_cast<int>(text.size()), 0, &out);
  return out;
}

std::string CompactScript(std::string_view script) {
  std::string compacted = CompactLines(script);
  // The line rules judge quotes and comments without a full parse; a script
  // they misjudge is kept as it is.
  if (ParseOutline(compacted) != ParseOutline(script)) return std::string(script);
  return compacted;
}

}  // namespace trendel::host
