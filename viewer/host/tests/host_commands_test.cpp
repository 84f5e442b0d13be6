// source, Et_NewBuiltinFile, Et_MessageBox, the evaluation trace and the
// host variables, driven through a Tcl interpreter.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "builtin_index.h"
#include "et.h"
#include "host_fixture.h"

namespace trendel::host {
namespace {

class HostCommands : public HostInterp {};

TEST_F(HostCommands, Source) {
  struct Case {
    const char* name;
    const char* script;
    std::string source;    // the command that sources it
    std::string expected;  // result, or "ERROR: " and message
  } cases[] = {
      {"t/plain.tcl", "set a 1\nset b 2", "source t/plain.tcl", "2"},
      {"t/ret.tcl", "set c 3\nreturn\nset c 4", "list [source t/ret.tcl] $c", "{} 3"},
      {"t/retval.tcl", "return done", "source t/retval.tcl", "done"},
      {"t/break.tcl", "break", "catch {source t/break.tcl}", "0"},
      {"t/case.tcl", "set d 5", "source T\\\\CASE.TCL", "5"},
      {"t/err.tcl", "set e 1\n\nerror boom", "source t/err.tcl", "ERROR: boom"},
      {"t/code.tcl", "return -code error failed", "source t/code.tcl", "ERROR: failed"},
      {"t/script.tcl", "info script", "source t/script.tcl", "t/script.tcl"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(Eval(std::string("Et_NewBuiltinFile ") + c.name + " {" + c.script + "}"), "");
    EXPECT_EQ(Eval(c.source), c.expected) << c.name;
  }
  // The error information names the file and the line of the failing command.
  Eval("catch {source t/err.tcl}");
  const std::string info = Eval("set errorInfo");
  EXPECT_NE(info.find("\n    (file \"t/err.tcl\" line 3)"), std::string::npos) << info;
  EXPECT_EQ(Eval("info script"), "");  // restored after the file ran
}

TEST_F(HostCommands, SourceLongNameIsCut) {
  const std::string name(200, 'n');
  Eval("Et_NewBuiltinFile " + name + " {error long}");
  Eval("catch {source " + name + "}");
  EXPECT_NE(Eval("set errorInfo").find("(file \"" + std::string(150, 'n') + "\" line 1)"), std::string::npos);
}

TEST_F(HostCommands, ReRegisteredFileRunsNewData) {
  EXPECT_EQ(Eval("Et_NewBuiltinFile t/again.tcl {set r old}; source t/again.tcl"), "old");
  EXPECT_EQ(Eval("Et_NewBuiltinFile t/again.tcl {set r new}; source t/again.tcl"), "new");
  // Binary data is taken byte for byte; the size excludes the added NUL.
  EXPECT_EQ(Eval("Et_NewBuiltinFile t/bytes.bin [binary format c3 {1 2 3}]; file size t/bytes.bin"), "3");
}

TEST_F(HostCommands, SourceFromDiskAndErrors) {
  const std::string path = testing::TempDir() + "/trendel_disk_source_" + std::to_string(getpid()) + ".tcl";
  std::FILE* f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("set from_disk yes\n", f);
  std::fclose(f);
  struct Case {
    std::string script;
    std::string expected;
  } cases[] = {
      {"source " + path, "yes"},
      {"source -encoding utf-8 " + path, "yes"},
      {"source", "ERROR: wrong # args: should be \"source FILENAME\""},
      {"source a b", "ERROR: wrong # args: should be \"source FILENAME\""},
      {"source /no/such/file.tcl",
       "ERROR: couldn't read file \"/no/such/file.tcl\": no such file or directory"},
      {"Et_NewBuiltinFile x", "ERROR: wrong # args: should be \"Et_NewBuiltinFile filename data\""},
      {"Et_NewBuiltinFile", "ERROR: wrong # args: should be \"Et_NewBuiltinFile filename data\""},
  };
  for (const Case& c : cases) EXPECT_EQ(Eval(c.script), c.expected) << c.script;
  std::remove(path.c_str());
}

TEST_F(HostCommands, MessageBoxWithoutTk) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(Eval("Et_MessageBox"), "");
  EXPECT_EQ(Eval("Et_MessageBox Title"), "");
  EXPECT_EQ(Eval("Et_MessageBox Title Text ignored"), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Message...: (Empty Message)\nTitle: (Empty Message)\nTitle: Text\n");
}

TEST_F(HostCommands, Variables) {
  EXPECT_EQ(Eval("set et_version"), "3.11");
  EXPECT_EQ(Eval("set tcl_library"), kTclLibraryDir);
  EXPECT_EQ(Eval("set tcl_libPath"), kTclLibraryDir);
  EXPECT_EQ(Eval("set tk_library"), kTkLibraryDir);
  EXPECT_EQ(Eval("set env(TCL_LIBRARY)"), kTclLibraryDir);
  EXPECT_EQ(Eval("set env(TK_LIBRARY)"), kTkLibraryDir);
  EXPECT_EQ(Eval("file size builtin:/console.tcl"), std::to_string(kConsoleFiles[0].size));
  EXPECT_EQ(Eval("catch {set Et_EvalTrace maybe}"), "1");  // a boolean only
  EXPECT_EQ(Et_Interp, interp_);
}

TEST_F(HostCommands, EvalTrace) {
  Eval("set Et_EvalTrace 1");
  testing::internal::CaptureStdout();
  EXPECT_EQ(Et_EvalF(interp_, "set x %d", 5), TCL_OK);
  EXPECT_EQ(Et_EvalAtGlobalF(interp_, "error \"%q\"", "a b"), TCL_ERROR);
  Eval("set Et_EvalTrace 0");
  EXPECT_EQ(Et_EvalF(interp_, "set y 1"), TCL_OK);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "set x 5\n0 5\nerror \"a b\"\n1 a b\n");
}

TEST_F(HostCommands, EvalLevels) {
  Eval("proc at_local {} {set v local; Et_Probe; set v}");
  Tcl_CreateCommand(
      interp_, "Et_Probe",
      [](ClientData, Tcl_Interp* interp, int, const char**) {
        Et_EvalF(interp, "set v changed_local");
        Et_EvalAtGlobalF(interp, "set v changed_global");
        return TCL_OK;
      },
      nullptr, nullptr);
  EXPECT_EQ(Eval("at_local"), "changed_local");
  EXPECT_EQ(Eval("set v"), "changed_global");
  Et_SetResultF(interp_, "%d of %d", 5, 10);
  EXPECT_STREQ(Tcl_GetStringResult(interp_), "5 of 10");
  // Results and scripts longer than the local buffers.
  const std::string long_text(3000, 'w');
  Et_SetResultF(interp_, "<%s>", long_text.c_str());
  EXPECT_EQ(Tcl_GetStringResult(interp_), "<" + long_text + ">");
  EXPECT_EQ(Et_EvalF(interp_, "string length \"%q\"", ("{" + long_text + "}").c_str()), TCL_OK);
  EXPECT_STREQ(Tcl_GetStringResult(interp_), "3002");
}

TEST_F(HostCommands, VersionCheck) {
  EXPECT_TRUE(RequireTclInterface(interp_, TCL_VERSION));
  EXPECT_TRUE(RequireTclInterface(interp_, "8.6"));
  EXPECT_FALSE(RequireTclInterface(interp_, "8.5"));
  EXPECT_FALSE(RequireTclInterface(interp_, "8.7"));
  EXPECT_FALSE(RequireTclInterface(interp_, "9.0"));
  EXPECT_EQ(VersionMismatchMessage(interp_, "8.3"),
            "Tcl header version (8.3) does not match  Tcl library (8.6)");
}

using HostCommandsDeathTest = HostCommands;

TEST_F(HostCommandsDeathTest, BgerrorWithoutTkShowsErrorInfoAndEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        Eval("catch {error inner}");
        Eval("Et_Bgerror outer");
      },
      testing::ExitedWithCode(0), "Error: inner\n    while executing");
}

}  // namespace
}  // namespace trendel::host

namespace trendel::host {
namespace {

TEST_F(HostCommands, ArgumentVariables) {
  struct Case {
    std::vector<std::string> words;  // as the shell passed them, program name first
    std::string argv;                // the Tcl list argv holds
    std::string first;               // lindex $argv 0
  } cases[] = {
      {{"trendel"}, "{}", ""},
      {{"trendel", "/data/run1.bin"}, "/data/run1.bin", "/data/run1.bin"},
      {{"trendel", "/data/my", "run", "1.bin"}, "{/data/my run 1.bin}", "/data/my run 1.bin"},
      {{"trendel", "c:\\data\\x y.bin"}, "{c:\\data\\x y.bin}", "c:\\data\\x y.bin"},
      {{"trendel", "a{b", "$c"}, "a\\{b\\ \\$c", "a{b $c"},
  };
  for (const Case& c : cases) {
    std::vector<char*> shell;
    for (const std::string& w : c.words) shell.push_back(const_cast<char*>(w.c_str()));
    std::string tail = JoinCommandTail(static_cast<int>(shell.size()), shell.data());
    char program[] = "trendelapp";
    char* entry[] = {program, tail.data()};
    SetArgumentVariables(interp_, 2, entry);
    EXPECT_EQ(Eval("set argv"), c.argv) << tail;
    EXPECT_EQ(Eval("lindex $argv 0"), c.first) << tail;
    EXPECT_EQ(Eval("list $argc $argv0 $tcl_interactive"), "1 trendelapp 0");
  }
}

}  // namespace
}  // namespace trendel::host

namespace trendel::host {
namespace {

TEST(SetupDeathTest, LibraryFailureIsReportedAndEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        Tcl_FindExecutable("trendel_host_tests");
        Tcl_Interp* interp = Tcl_CreateInterp();
        // A later registration hides the compiled-in init.tcl.
        static const char broken[] = "error {init broken}";
        const std::string init = std::string(kTclLibraryDir) + "/init.tcl";
        Et_RegisterBuiltinFile(init.c_str(), broken, static_cast<int>(sizeof broken - 1));
        Et_SetupInterp(interp);
        std::exit(3);  // not reached: Et_Bgerror ends the program
      },
      testing::ExitedWithCode(0), "Error: .*init broken");
}

}  // namespace
}  // namespace trendel::host
