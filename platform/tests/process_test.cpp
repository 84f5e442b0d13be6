// Tests for starting programs without a shell.
#include "process.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using orvela::platform::RunProgramAndWait;

struct ProcessCase {
  const char* name;
  std::vector<std::string> args;
  int expected;
};

TEST(RunProgramAndWait, ExitStatusesAndFailures) {
  const ProcessCase cases[] = {
      {"true", {"true"}, 0},
      {"false", {"false"}, 1},
      {"status 7", {"sh", "-c", "exit 7"}, 7},
      {"killed", {"sh", "-c", "kill -TERM $$"}, 128 + 15},
      {"missing", {"orvela-no-such-program-xyz"}, -1},
      {"empty", {}, -1},
      {"empty name", {""}, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(RunProgramAndWait(c.args), c.expected) << c.name;
}

// Arguments reach the program one by one, with blanks and shell characters
// untouched, and the program is found on PATH.
TEST(RunProgramAndWait, PassesArgumentsUnchangedAndSearchesPath) {
  const auto dir = std::filesystem::temp_directory_path() / ("orvela_process_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const auto script = dir / "record-args";
  const auto out = dir / "args.txt";
  {
    std::ofstream f(script);
    f << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" << out.string() << "\"\n";
  }
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  const std::string old_path = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (dir.string() + ":" + old_path).c_str(), 1);
  const std::vector<std::string> args = {"record-args", "a b", "$(touch x)", "'q'", "\"d\"", ";|&", ""};
  EXPECT_EQ(RunProgramAndWait(args), 0);
  setenv("PATH", old_path.c_str(), 1);
  std::ifstream in(out);
  std::string line;
  std::vector<std::string> seen;
  while (std::getline(in, line)) seen.push_back(line);
  EXPECT_EQ(seen, std::vector<std::string>(args.begin() + 1, args.end()));
  std::filesystem::remove_all(dir);
}

}  // namespace
