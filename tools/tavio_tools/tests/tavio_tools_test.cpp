// tavio-info and tavio-translate run as programs: usage, messages, exit
// status, and files they describe or translate.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tavio.h"

namespace {

struct ToolRun {
  int status;
  std::string output;  // standard output and error
};

ToolRun RunTool(const std::string& command) {
  ToolRun r{-1, ""};
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (p == nullptr) return r;
  char buffer[4096];
  size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) r.output.append(buffer, n);
  const int status = pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

class TavioToolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("tavio_tools_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
    source_ = (dir_ / "two channels.dat").string();
    ASSERT_EQ(TAVIO_CreateVelmontDataFile(source_.c_str(), 0, 2, 50, 10), 0);
    TAVIO_SetChannelName(1, "Pressure");
    TAVIO_SetChannelUnits(1, "bar");
    ASSERT_EQ(TAVIO_WriteHeader(), 0);
    std::vector<unsigned short> sets(2 * 25, 33000);
    ASSERT_EQ(TAVIO_WriteBytes(sets.data(), static_cast<int>(sets.size() * 2)), 0);
    ASSERT_EQ(TAVIO_CloseWriteFile(), 0);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Quoted(const std::string& name) const { return "'" + (dir_ / name).string() + "'"; }

  std::filesystem::path dir_;
  std::string source_;
};

TEST_F(TavioToolsTest, UsageMessagesAndExitStatus) {
  struct Case {
    std::string command;
    int status;
    std::string says;
  };
  const std::string src = "'" + source_ + "'";
  const Case cases[] = {
      {"./tavio-info --help", 0, "usage: tavio-info FILE"},
      {"./tavio-info", 2, "usage: tavio-info FILE"},
      {"./tavio-info a b", 2, "usage"},
      {"./tavio-info " + Quoted("missing.dat"), 1,
       "cannot read " + (dir_ / "missing.dat").string() + ": a file could not be opened"},
      {"./tavio-info " + src, 0, "format:           1, Velmont (fixed header)"},
      {"./tavio-info " + src, 0, "sample sets:      25"},
      {"./tavio-info " + src, 0, "Pressure"},
      {"./tavio-translate --help", 0, "usage: tavio-translate SRC DST FORMAT [FIRST END]"},
      {"./tavio-translate " + src + " x", 2, "usage"},
      {"./tavio-translate " + src + " " + Quoted("o.dat") + " Excel", 2, "unknown output format \"Excel\""},
      {"./tavio-translate " + src + " " + Quoted("o.dat") + " 9", 2, "unknown output format"},
      {"./tavio-translate " + src + " " + Quoted("o.dat") + " 1 a 3", 2, "must be numbers"},
      {"./tavio-translate " + Quoted("missing.dat") + " " + Quoted("o.dat") + " 1", 1, "(code 200)"},
      {"./tavio-translate " + src + " " + src + " 1", 1, "is the source itself"},
      {"./tavio-translate " + src + " " + Quoted("o.dat") + " velmontenhanced 5 15", 0, "format 2"},
      {"./tavio-info " + Quoted("o.dat"), 0, "sample sets:      10"},
      {"./tavio-translate " + src + " " + Quoted("o.txt") + " DIZ_NOHEADER", 0, "format 7"},
  };
  for (const Case& c : cases) {
    const ToolRun r = RunTool(c.command);
    EXPECT_EQ(r.status, c.status) << c.command << "\n" << r.output;
    EXPECT_NE(r.output.find(c.says), std::string::npos) << c.command << "\n" << r.output;
  }
}

}  // namespace
