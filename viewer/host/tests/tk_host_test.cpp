// The host with Tk up (run under an X server): the message box, the
// last-resort error reporter and the console script.
#include <gtest/gtest.h>
#include <tk.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "et.h"
#include "host_fixture.h"

namespace trendel::host {
namespace {

class TkHost : public HostInterp {
 protected:
  void SetUp() override {
    HostInterp::SetUp();
    ASSERT_EQ(Tk_Init(interp_), TCL_OK) << Tcl_GetStringResult(interp_);
    ASSERT_EQ(Eval("set dir $tk_library; source $dir/tclIndex; unset dir"), "");
  }
};

TEST_F(TkHost, MessageBoxUsesTk) {
  // A stand-in records the arguments instead of waiting for a click.
  Eval("proc tk_messageBox args {lappend ::shown $args; return ok}");
  EXPECT_EQ(Eval("Et_MessageBox"), "");
  EXPECT_EQ(Eval("Et_MessageBox Title Text extra"), "");
  EXPECT_EQ(Eval("lindex $shown 0"), "-icon error -type ok -title Message... -message {(Empty Message)}");
  EXPECT_EQ(Eval("lindex $shown 1"), "-icon error -type ok -title Title -message Text");
  Eval("proc tk_messageBox args {error {no display}}");
  EXPECT_EQ(Eval("Et_MessageBox"), "ERROR: no display");
}

TEST_F(TkHost, BgerrorHandsOverToTheDialog) {
  Eval("proc bgerror err {set ::reported $err}");
  EXPECT_EQ(Eval("Et_Bgerror oops; set reported"), "oops");  // and the program goes on
}

TEST_F(TkHost, RealMessageBoxIsModalAndCloses) {
  // The real box: pressing its button from a timer ends the wait.
  Eval("after 300 {catch {[lindex [winfo children .] end].ok invoke}}");
  EXPECT_EQ(Eval("Et_MessageBox Title Text"), "");
}

// Autoloads every procedure of the Tcl and Tk indexes (which sources every
// indexed library file) and lists the names that fail, with their messages.
constexpr const char kAutoloadCheck[] =
    "proc autoload_check {} {\n"
    "  auto_load_index\n"
    "  set bad {}\n"
    "  foreach name [lsort [array names ::auto_index]] {\n"
    "    if {[llength [info commands $name]]} continue\n"
    "    if {[catch {auto_load $name} msg] || ![llength [info commands $name]]} {lappend bad $name $msg}\n"
    "  }\n"
    "  return $bad\n"
    "}\n";

// Runs the same check in the installed wish, on the script libraries on disk.
std::string AutoloadFailuresOnDisk() {
  const std::string path = testing::TempDir() + "/trendel_autoload_" + std::to_string(getpid()) + ".tcl";
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) return "(no script)";
  std::fprintf(f, "%sputs [autoload_check]\nexit\n", kAutoloadCheck);
  std::fclose(f);
  std::string out;
  if (std::FILE* p = popen(("wish8.6 " + path + " 2>/dev/null").c_str(), "r"); p != nullptr) {
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
    pclose(p);
  }
  std::remove(path.c_str());
  if (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

TEST_F(TkHost, CompactedLibrariesLoadAsTheOriginals) {
  Eval(kAutoloadCheck);
  const std::string built_in = Eval("autoload_check");
  const std::string on_disk = AutoloadFailuresOnDisk();
  if (on_disk.empty()) GTEST_SKIP() << "wish8.6 and its script library on disk are needed for the comparison";
  // The same names fail the same way (the shipped indexes name a few
  // procedures their files do not define, and the console needs a console
  // interpreter); nothing fails only in the compacted form.
  EXPECT_EQ(built_in, on_disk);
  EXPECT_GT(std::stoi(Eval("array size auto_index")), 100);
  // The themed widgets and their themes, loaded from the built-in ttk folder.
  EXPECT_EQ(Eval("lsort [ttk::style theme names]"), "alt clam classic default");
  EXPECT_EQ(Eval("ttk::style theme use clam; ttk::style theme use"), "clam");
  EXPECT_EQ(Eval("ttk::combobox .cb -values {a b}; ttk::notebook .nb; ttk::treeview .tv; winfo class .tv"),
            "Treeview");
}

class Console : public TkHost {
 protected:
  void SetUp() override {
    TkHost::SetUp();
    ASSERT_EQ(Eval("source builtin:/console.tcl; console:create .con {% } {Con}"), "");
    Eval("update");
  }
  // Types `line` on the input line and submits it.
  std::string Submit(const std::string& line) {
    return Eval("console:Insert .con.t {" + line + "}; console:Enter .con.t; .con.t get 1.0 {end - 1 chars}");
  }
};

TEST_F(Console, WindowAndMenus) {
  EXPECT_EQ(Eval("wm title .con"), "Con");
  EXPECT_EQ(Eval("wm iconname .con"), "Con");
  EXPECT_EQ(Eval("bindtags .con.t"), "Console");
  EXPECT_EQ(Eval("set m .con.mb.edit.m; set r {}; for {set i 0} {$i <= [$m index end]} {incr i} "
                 "{lappend r [expr {[$m type $i] eq {separator} ? {-} : [$m entrycget $i -label]}]}; set r"),
            "Cut Copy Paste {Clear Screen} - Source... {Save As...}");
  EXPECT_EQ(Eval("console:EnableEditMenu .con; .con.mb.edit.m entrycget Copy -state"), "disabled");
  EXPECT_EQ(Eval(".con.t get 1.0 {end - 1 chars}"), "% ");
}

TEST_F(Console, Evaluation) {
  struct Case {
    std::string line;
    std::string screen_tail;  // what the screen ends with afterwards
  } cases[] = {
      {"expr {1 + 2}", "% expr {1 + 2}\n3\n% "},
      {"error bad", "% error bad\nbad\n% "},
      {"set x \"a", "% set x \"a\n. "},  // incomplete: the prompt's non-blanks become dots
      {"b\"", ". b\"\na\nb\n% "},
      {"puts hello", "% puts hello\nhello\n% "},
      {"set y {}", "% set y {}\n% "},
  };
  for (const Case& c : cases) {
    const std::string screen = Submit(c.line);
    ASSERT_GE(screen.size(), c.screen_tail.size()) << screen;
    EXPECT_EQ(screen.substr(screen.size() - c.screen_tail.size()), c.screen_tail) << c.line;
  }
  EXPECT_EQ(Eval("lindex [.con.t tag names {end - 4 lines}] 0"), "");
  EXPECT_EQ(Eval("set x"), "a\nb");
  // Errors are tagged err, results ok.
  Submit("error tagged");
  EXPECT_EQ(Eval(".con.t tag names {end - 2 lines linestart}"), "err");
  Submit("string length abc");
  EXPECT_EQ(Eval(".con.t tag names {end - 2 lines linestart}"), "ok");
}

TEST_F(Console, HistoryAndEditing) {
  Submit("set a 1");
  Submit("set a 1");  // a repeat is not added again
  Submit("set b 2");
  EXPECT_EQ(
      Eval("console:Recall .con.t -1; console:Recall .con.t -1; .con.t get {end - 1 lines linestart} end"),
      "% set a 1\n");
  EXPECT_EQ(Eval("console:Recall .con.t 1; .con.t get {end - 1 lines linestart} end"), "% set b 2\n");
  // Moving and deleting never reach into the prompt.
  Eval(".con.t mark set insert [console:InputStart .con.t]");
  Eval("console:Move .con.t -1; console:Delete .con.t -1");
  EXPECT_EQ(Eval(".con.t get {end - 1 lines linestart} end"), "% set b 2\n");
  EXPECT_EQ(Eval("console:Delete .con.t 0; .con.t get {end - 1 lines linestart} end"), "% et b 2\n");
}

TEST_F(Console, PutsIsRestoredWhenTheWindowGoes) {
  Eval("destroy .con");
  testing::internal::CaptureStdout();
  Eval("puts back");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "back\n");
  EXPECT_EQ(Eval("info commands console:oldputs*"), "");
}

}  // namespace
}  // namespace trendel::host

namespace trendel::host {
namespace {

int ProbeCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  Et_SetResultF(interp, "%s %d", argv[0], argc);
  return TCL_OK;
}

const Et_CommandEntry kProbeCommands[] = {{"ProbeA", ProbeCmd}, {"ProbeB", ProbeCmd}};

TEST(TkSetup, MainScriptErrorGoesToBgerrorAndSetUpGoesOn) {
  Tcl_Interp* interp = Tcl_CreateInterp();
  // The main script defines the reporter it is caught by, then fails.
  static const char main_script[] = "proc bgerror err {set ::reported $err}\nerror {main broken}";
  Et_RegisterBuiltinFile("gd.tcl", main_script, static_cast<int>(sizeof main_script - 1));
  Et_SetApplicationCommands(kProbeCommands, 2);
  EXPECT_EQ(Et_SetupInterp(interp), TCL_ERROR);
  const auto eval = [&](const char* script) {
    Tcl_EvalEx(interp, script, -1, TCL_EVAL_GLOBAL);
    return std::string(Tcl_GetStringResult(interp));
  };
  EXPECT_EQ(eval("set reported"), "main broken");
  EXPECT_EQ(eval("ProbeB x y"), "ProbeB 3");
  EXPECT_EQ(eval("winfo exists ."), "1");
  EXPECT_EQ(eval("package require Tk"), TK_PATCH_LEVEL);
  EXPECT_EQ(eval("set et_version"), "3.11");
  EXPECT_EQ(eval("ttk::button .b -text x; winfo class .b"), "TButton");
  Et_SetApplicationCommands(nullptr, 0);
  Et_Interp = nullptr;
  Tcl_DeleteInterp(interp);
}

}  // namespace
}  // namespace trendel::host

namespace trendel::host {
namespace {

using TkHostDeathTest = TkHost;

TEST_F(TkHostDeathTest, DestroyingTheMainWindowEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // An earlier binding stays; destroying another window ends nothing.
        Eval("toplevel .other; bind . <Destroy> {puts stderr kept}");
        Eval("after 50 {destroy .other; after 50 {if {[winfo exists .]} {puts stderr alive; destroy .}}}");
        Tcl_EvalEx(interp_, kEventLoopScript, -1, TCL_EVAL_GLOBAL);
        std::exit(3);  // not reached: the binding exits
      },
      testing::ExitedWithCode(0), "alive\nkept");
}

}  // namespace
}  // namespace trendel::host
