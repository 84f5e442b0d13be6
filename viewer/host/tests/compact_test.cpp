// Compaction of script text: what goes, what must stay, and that the
// compacted libraries still parse as the originals do.
#include "compact.h"

#include <gtest/gtest.h>

#include <string>

#include "builtin_index.h"
#include "host_fixture.h"

namespace trendel::host {
namespace {

TEST(Compact, Lines) {
  struct Case {
    const char* name;
    const char* input;
    const char* expected;
  } cases[] = {
      {"indentation and blanks", "proc f {} {\n    set a 1\n\n\tset b 2\n}\n",
       "proc f {} {\nset a 1\nset b 2\n}\n"},
      {"comments", "# head\nset a 1\n    # inner\nset b 2 ;# tail stays\n",
       "set a 1\nset b 2 ;# tail stays\n"},
      {"comment with brace stays", "proc f {} {\n  # one {\n  # }\n}\n", "proc f {} {\n# one {\n# }\n}\n"},
      {"continued comment stays", "# a \\\nset hidden 1\nset b 2\n", "# a \\\nset hidden 1\nset b 2\n"},
      {"continuation keeps blank", "set a [list x \\\n\n]\n", "set a [list x \\\n\n]\n"},
      {"continuation loses indent", "set a [list x \\\n      y]\n", "set a [list x \\\ny]\n"},
      {"even backslashes end the line", "set a x\\\\\n\n  set b", "set a x\\\\\nset b"},
      {"multi-line quote verbatim", "set m \"one\n    two\n\n# three\"\n  set n 1\n",
       "set m \"one\n    two\n\n# three\"\nset n 1\n"},
      {"escaped quote does not open", "set q \\\"\n   set r 1\n", "set q \\\"\nset r 1\n"},
      {"quote inside braces is literal", "regexp {\"} $x\n   set r 1\n", "regexp {\"} $x\nset r 1\n"},
      {"bracket inside quote", "set m \"a [list \"b\"] c\n   d\"\n", "set m \"a [list \"b\"] c\n   d\"\n"},
      {"carriage returns", "  set a 1\r\n\r\n", "set a 1\r\n"},
      {"trailing blank after backslash", "set a \\ \n  set b\n", "set a \\ \nset b\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(CompactScript(c.input), c.expected) << c.name;
}

class CompactedLibraries : public HostInterp {};

TEST_F(CompactedLibraries, EveryScriptIsComplete) {
  // Every compiled-in script is a complete Tcl script (braces, quotes and
  // brackets balance), as the originals are.
  for (int i = 0; i < kCompiledFilesCount; ++i) {
    Tcl_Obj* text = Tcl_NewStringObj(kCompiledFiles[i].data, kCompiledFiles[i].size);
    Tcl_IncrRefCount(text);
    EXPECT_TRUE(Tcl_CommandComplete(Tcl_GetString(text))) << kCompiledFiles[i].name;
    Tcl_DecrRefCount(text);
  }
}

TEST_F(CompactedLibraries, Behave) {
  struct Case {
    const char* script;
    const char* expected;
  } cases[] = {
      {"parray tcl_platform byteOrder", "tcl_platform(byteOrder) = littleEndian\n"},
      {"clock format 0 -format %Y -gmt 1", "1970"},
      {"clock scan {1970-01-02 00:00:00} -format {%Y-%m-%d %H:%M:%S} -gmt 1", "86400"},
      {"tcl_wordBreakAfter {ab cd} 0", "2"},
      {"package require msgcat; msgcat::mc hello", "hello"},
      {"history add {set a 1}; history event 1", "set a 1"},
      {"info procs auto_load", "auto_load"},
      // Message catalogues, read from the compacted msgs folders.
      {"clock format 0 -format %B -locale de -gmt 1", "Januar"},
      {"namespace eval ::tk {msgcat::mclocale de; msgcat::mcload $::tk_library/msgs; msgcat::mc &Abort}",
       "&Abbruch"},
  };
  for (const auto& c : cases) {
    testing::internal::CaptureStdout();
    std::string result = Eval(c.script);
    result = testing::internal::GetCapturedStdout() + result;
    EXPECT_EQ(result, c.expected) << c.script;
  }
}

}  // namespace
}  // namespace trendel::host
