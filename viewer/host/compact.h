// Compaction of Tcl script text before it is compiled into the program.
#ifndef TRENDEL_COMPACT_H
#define TRENDEL_COMPACT_H

#include <string>
#include <string_view>

namespace trendel::host {

// Returns `script` without blank lines, leading indentation and comment lines,
// behaving as the original.  What is kept unchanged, because removing it could
// change the script's meaning:
//   - a line that continues a backslash-ended line (its indentation shrinks
//     to one blank, which Tcl collapses it into anyway), even when blank;
//   - every line inside a double-quoted word that spans lines, verbatim;
//   - a comment line holding a brace (braces in comments still count when an
//     enclosing braced word is matched) or ending in a backslash;
//   - trailing white space (it decides whether a final backslash continues).
// Line breaks are kept as "\n"; a carriage return before one is kept.  The
// result is checked against the original with ParseOutline; a script whose
// outline would change (quoting that the line rules misjudge) is returned
// unchanged.
std::string CompactScript(std::string_view script);

// The parts of a script's parse that compaction must keep, as a text: each
// command's word count, every double-quoted word as written (its text is its
// value), and the same, recursively, for braced words and command
// substitutions, which may run as scripts later; a part that does not parse
// (an expression, say) appears as written after a "!", without indentation
// and blank lines.  Two scripts with equal outlines behave alike up to the white
// space between words and the lines of braced words.
std::string ParseOutline(std::string_view script);

}  // namespace trendel::host

#endif
