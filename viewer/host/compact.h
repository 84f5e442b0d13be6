// Compaction of Tcl script text before it is compiled into the program.
#ifndef TRENDEL_COMPACT_H
#define TRENDEL_COMPACT_H

#include <string>
#include <string_view>

namespace trendel::host {

// Returns `script` without blank lines, leading indentation and comment lines,
// behaving as the original.  What is kept unchanged, because removing it could
// change the script's meaning:
//   - a line that continues a backslash-ended line (only its indentation goes,
//     which Tcl collapses into one blank anyway), even when blank;
//   - every line inside a double-quoted word that spans lines, verbatim;
//   - a comment line holding a brace (braces in comments still count when an
//     enclosing braced word is matched) or ending in a backslash;
//   - trailing white space (it decides whether a final backslash continues).
// Line breaks are kept as "\n"; a carriage return before one is kept.
std::string CompactScript(std::string_view script);

}  // namespace trendel::host

#endif
