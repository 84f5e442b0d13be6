// Compaction of script text: what goes, what must stay, and that the
// compacted libraries still parse as the originals do.
#include "compact.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

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
      {"continuation keeps one blank", "set a [list x \\\n      y]\n", "set a [list x \\\n y]\n"},
      {"continued blank line at the end", "x \\\n\t", "x \\\n\t"},
      {"even backslashes end the line", "set a x\\\\\n\n  set b", "set a x\\\\\nset b"},
      {"multi-line quote verbatim", "set m \"one\n    two\n\n# three\"\n  set n 1\n",
       "set m \"one\n    two\n\n# three\"\nset n 1\n"},
      {"escaped quote does not open", "set q \\\"\n   set r 1\n", "set q \\\"\nset r 1\n"},
      // A quote after a brace may open a word of a body run later: what
      // follows is kept as it is until a quote closes it.
      {"quote after a brace", "regexp {\"} $x\n   set r 1\n", "regexp {\"} $x\n   set r 1\n"},
      {"quote inside a word", "set q a\"b\n   set r 1\n", "set q a\"b\nset r 1\n"},
      {"quote after {*}", "list {*}\"a\n   b\"\n  set r 1\n", "list {*}\"a\n   b\"\nset r 1\n"},
      {"comment after a semicolon", "set a 1;# \"\n  set b \"x\n  y\"\n",
       "set a 1;# \"\nset b \"x\n  y\"\n"},
      // A comment ending in a backslash inside braces: the line rules take the
      // next line for comment, Tcl's parser does not, so nothing is changed.
      {"misjudged script kept", "  x\n{#  \\\n\\\"} \"#\n\n#;;\"\n", "  x\n{#  \\\n\\\"} \"#\n\n#;;\"\n"},
      {"bracket inside quote", "set m \"a [list \"b\"] c\n   d\"\n", "set m \"a [list \"b\"] c\n   d\"\n"},
      {"carriage returns", "  set a 1\r\n\r\n", "set a 1\r\n"},
      {"trailing blank after backslash", "set a \\ \n  set b\n", "set a \\ \nset b\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(CompactScript(c.input), c.expected) << c.name;
}

// Random scripts made of the characters that matter to Tcl's parser: a
// complete script stays complete and parses as before, and nothing grows.
TEST(Compact, RandomScriptsKeepTheirParse) {
  static const char* const kPieces[] = {"set a 1", "#", "# c", "\"", "{", "}", "\\", "[", "]", " ",
                                        "\t",      "x", ";",   "\n", "\n", "\n", "\r", "$b",
                                        "\f",      "  ", "{*}", "\\\n"};
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
  int complete_inputs = 0;
  for (int round = 0; round < 40000; ++round) {
    std::string script;
    const int length = 1 + static_cast<int>(next() % 24);
    for (int i = 0; i < length; ++i) script += kPieces[next() % (sizeof kPieces / sizeof kPieces[0])];
    const std::string compacted = CompactScript(script);
    ASSERT_LE(compacted.size(), script.size()) << script;
    if (!Tcl_CommandComplete(script.c_str())) continue;
    ++complete_inputs;
    ASSERT_TRUE(Tcl_CommandComplete(compacted.c_str()))
        << "input: " << testing::PrintToString(script) << "\ncompacted: " << testing::PrintToString(compacted);
    ASSERT_EQ(ParseOutline(compacted), ParseOutline(script))
        << "input: " << testing::PrintToString(script) << "\ncompacted: " << testing::PrintToString(compacted);
  }
  EXPECT_GT(complete_inputs, 1000);
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

TEST_F(CompactedLibraries, KeepTheirParse) {
  // Every compacted script parses as its original did (word counts, quoted
  // words as written, recursively into braced words and substitutions).
  std::ifstream manifest(TRENDEL_BUILTIN_MANIFEST);
  ASSERT_TRUE(manifest) << TRENDEL_BUILTIN_MANIFEST;
  size_t original_bytes = 0;
  size_t compacted_bytes = 0;
  for (std::string line; std::getline(manifest, line);) {
    const size_t a = line.find('\t');
    const size_t b = line.find('\t', a + 1);
    ASSERT_NE(b, std::string::npos) << line;
    if (line.compare(0, a, "compact") != 0) continue;
    const std::string name = line.substr(a + 1, b - a - 1);
    std::ifstream in(line.substr(b + 1), std::ios::binary);
    ASSERT_TRUE(in) << line;
    const std::string original((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int size = 0;
    const char* data = Et_FindBuiltinFile(name.c_str(), &size);
    ASSERT_NE(data, nullptr) << name;
    EXPECT_EQ(ParseOutline(std::string(data, static_cast<size_t>(size))), ParseOutline(original)) << name;
    EXPECT_LE(static_cast<size_t>(size), original.size()) << name;
    original_bytes += original.size();
    compacted_bytes += static_cast<size_t>(size);
  }
  // Comments and indentation are over a third of the originals: compaction
  // took them out rather than keeping files as they are.
  EXPECT_LT(compacted_bytes, original_bytes * 3 / 4);
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
