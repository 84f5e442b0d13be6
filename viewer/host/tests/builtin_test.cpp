// Built-in file lookups, the file-layer hooks and the "builtin" channel.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "builtin_index.h"
#include "et.h"
#include "host_fixture.h"

namespace trendel::host {
namespace {

std::string TclLib(const char* file) {
  return std::string(kTclLibraryDir) + "/" + file;
}

TEST(BuiltinIndex, Lookups) {
  const std::string init = TclLib("init.tcl");
  std::string upper = init;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::string backslashed = init;
  for (char& c : backslashed) c = c == '/' ? '\\' : c;
  struct Case {
    std::string name;
    bool found;
  } cases[] = {
      {init, true},
      {upper, true},
      {backslashed, true},
      {"gd.tcl", true},
      {"GD.TCL", true},
      {"./gd.tcl", false},  // no path normalisation beyond case and slashes
      {TclLib("no-such.tcl"), false},
      {"", false},
      {std::string(kTkLibraryDir) + "/ttk/ttk.tcl", true},
  };
  for (const Case& c : cases) {
    int size = -1;
    const char* data = Et_FindBuiltinFile(c.name.c_str(), &size);
    EXPECT_EQ(data != nullptr, c.found) << c.name;
    if (data != nullptr) {
      EXPECT_EQ(static_cast<int>(std::strlen(data)), size) << c.name;
    } else {
      EXPECT_EQ(size, -1) << "size must stay untouched for " << c.name;
    }
  }
  EXPECT_EQ(Et_FindBuiltinFile(nullptr, nullptr), nullptr);
}

TEST(BuiltinIndex, HashAndFold) {
  EXPECT_EQ(Fold('A'), 'a');
  EXPECT_EQ(Fold('z'), 'z');
  EXPECT_EQ(Fold('\\'), '/');
  EXPECT_EQ(Fold(0xC4), 0xC4);  // only ASCII letters fold
  // h = h ^ (h << 5) ^ f: "a" gives 97; "ab" gives 97 ^ 3104 ^ 98 = 3107.
  EXPECT_EQ(BucketOf("a"), 97u % 71);
  EXPECT_EQ(BucketOf("ab"), 3107u % 71);
  EXPECT_EQ(BucketOf("AB"), BucketOf("ab"));
  // Bytes above 127 enter the hash sign-extended: 0xFF is -1.
  EXPECT_EQ(BucketOf("\xff"), 1u);
  EXPECT_EQ(CompareNames("A\\b", "a/B"), 0);
  EXPECT_LT(CompareNames("a", "b"), 0);
  EXPECT_GT(CompareNames("ab", "a"), 0);
}

TEST(BuiltinIndex, LatestRegistrationWins) {
  static const char first[] = "first";
  static const char second[] = "second";
  Et_RegisterBuiltinFile("test/latest.txt", first, 5);
  Et_RegisterBuiltinFile("TEST/LATEST.TXT", second, 6);
  int size = 0;
  EXPECT_STREQ(Et_FindBuiltinFile("test/latest.txt", &size), "second");
  EXPECT_EQ(size, 6);
  // Records that could not be served are refused.
  Et_RegisterBuiltinFile("test/latest.txt", nullptr, 3);
  Et_RegisterBuiltinFile("test/latest.txt", first, -1);
  Et_RegisterBuiltinFile(nullptr, first, 5);
  EXPECT_STREQ(Et_FindBuiltinFile("test/latest.txt", &size), "second");
}

class BuiltinFiles : public HostInterp {};

TEST_F(BuiltinFiles, FileCommands) {
  const std::string init = TclLib("init.tcl");
  struct Case {
    std::string script;
    std::string expected;
  } cases[] = {
      {"file exists " + init, "1"},
      {"file isfile " + init, "0"},
      {"file readable " + init, "1"},
      {"file writable " + init, "0"},  // the directory does not exist on disk
      {"file size gd.tcl", std::to_string(std::strlen(Et_FindBuiltinFile("gd.tcl", nullptr)))},
      {"file exists " + TclLib("missing.tcl"), "0"},
      {"file isdirectory " + std::string(kTclLibraryDir), "1"},
      {"expr {[lsearch [glob -directory $tcl_library *.tcl] */init.tcl] >= 0}", "1"},
      {"llength [glob -nocomplain -directory $tcl_library *.none]", "0"},
      {"package require msgcat", "1.6.1"},
  };
  for (const Case& c : cases) EXPECT_EQ(Eval(c.script), c.expected) << c.script;
}

TEST_F(BuiltinFiles, WritableIsDecidedByTheDisk) {
  // A built-in name that also exists on disk: writable follows the disk file.
  const std::string path = testing::TempDir() + "/trendel_writable_" + std::to_string(getpid()) + ".tcl";
  std::FILE* f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("set on_disk 1\n", f);
  std::fclose(f);
  EXPECT_EQ(Eval("Et_NewBuiltinFile " + path + " {set built_in 1}"), "");
  EXPECT_EQ(Eval("file writable " + path), "1");
  EXPECT_EQ(Eval("file size " + path), "14");  // the built-in text wins for size
  EXPECT_EQ(Eval("source " + path + "; info exists built_in"), "1");
  std::remove(path.c_str());
}

TEST_F(BuiltinFiles, Channel) {
  static const char text[] = "0123456789";
  Et_RegisterBuiltinFile("test/channel.txt", text, 10);
  const std::string name = Eval("set f [open test/channel.txt w]");
  EXPECT_EQ(name.rfind("etbi_", 0), 0u) << name;
  const std::string counter = Eval("set f [open test/channel.txt]; close $f; set f");
  // Names end in the counter, which grows by one per channel.
  const auto tail = [](const std::string& n) { return std::stoul(n.substr(n.rfind('_') + 1), nullptr, 16); };
  EXPECT_EQ(tail(counter), tail(name) + 1);

  struct Case {
    std::string script;
    std::string expected;
  } cases[] = {
      {"fconfigure $f -translation binary; read $f 3", "012"},
      {"tell $f", "3"},
      {"seek $f -5 start; tell $f", "0"},
      {"seek $f 100 start; tell $f", "10"},
      {"seek $f -3 end; read $f", "789"},
      {"seek $f 2 start; seek $f 2 current; read $f 2", "45"},
      {"seek $f -100 current; tell $f", "0"},
      {"seek $f 5 end; tell $f", "10"},
      {"eof $f", "0"},
      {"read $f; eof $f", "1"},
      {"catch {puts -nonewline $f XYZ; flush $f}", "1"},
      {"seek $f 0 start; read $f", "0123456789"},  // the write stored nothing
      {"fconfigure $f -blocking 0; fconfigure $f -blocking", "0"},
      {"close $f", ""},
  };
  Eval("set f [open test/channel.txt w]");
  for (const Case& c : cases) EXPECT_EQ(Eval(c.script), c.expected) << c.script;
}

TEST_F(BuiltinFiles, OpenDirectoryFails) {
  EXPECT_EQ(Eval("catch {open $tcl_library} msg; set msg"),
            std::string("couldn't open \"") + kTclLibraryDir + "\": illegal operation on a directory");
}

}  // namespace
}  // namespace trendel::host
