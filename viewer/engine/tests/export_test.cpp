// Tests for ExportTo: the command line, and the exporter started from PATH
// with each word one argument, waited for.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "engine.h"
#include "recording.h"

namespace trendel {
namespace {

using testing::EngineInterp;
using testing::Recording;
using testing::TempDir;

class ExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Recording r;
    r.rate = 10;
    r.lines = 1000;
    r.day = 0;
    r.hour = r.minute = r.second = r.ten_thousandths = 0;
    // A path with blanks and shell characters.
    path_ = dir_.Path("my run $(x) 'a' \"b\";&|.dat");
    r.Write(path_);
    tcl_.Ok("LoadFileStats {" + path_ + "}");
    // The stand-in exporter records one argument per line.
    bin_ = dir_.Path("bin");
    mkdir(bin_.c_str(), 0700);
    log_ = dir_.Path("args.txt");
    const std::string exe = bin_ + "/TarvikExport.exe";
    std::ofstream(exe) << "#!/bin/sh\nsleep 0.2\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << log_ << "'\n";
    chmod(exe.c_str(), 0700);
    old_path_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (bin_ + ":" + old_path_).c_str(), 1);
  }
  void TearDown() override { setenv("PATH", old_path_.c_str(), 1); }
  std::vector<std::string> Logged() {
    std::ifstream f(log_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(f, line);) lines.push_back(line);
    return lines;
  }
  TempDir dir_;
  EngineInterp tcl_;
  std::string path_, bin_, log_, old_path_;
};

TEST_F(ExportTest, CommandLinesAndArguments) {
  // The display range on lines 100 to 199.
  tcl_.Ok("CalculateTimeRange 0:00:00:10 0:00:00:19.95 100");
  struct Case {
    int mode;
    const char* tail;
  } cases[] = {{0, " -S1 101 -S2 200 -X -E -B"}, {1, " -S1 101 -S2 200 -X -E"}, {2, " -S1 101 -S2 200"}};
  for (const auto& c : cases) {
    EXPECT_EQ(ExportCommandLine(path_.c_str(), c.mode), "TarvikExport.exe -F " + path_ + c.tail) << c.mode;
    std::remove(log_.c_str());
    tcl_.Ok("ExportTo {" + path_ + "} " + std::to_string(c.mode));
    // Waited for: the log is complete when the command returns.
    std::vector<std::string> expected = {"-F", path_};
    std::istringstream words(c.tail);
    for (std::string w; words >> w;) expected.push_back(w);
    EXPECT_EQ(Logged(), expected) << c.mode;
  }
}

TEST_F(ExportTest, NothingOutsideTheFileAndNoExporterIsNoError) {
  starttime = startsec - 1.0;
  EXPECT_EQ(ExportCommandLine(path_.c_str(), 0), "");
  tcl_.Ok("ExportTo {" + path_ + "} 0");
  EXPECT_TRUE(Logged().empty());
  starttime = startsec;
  setenv("PATH", "/nonexistent", 1);
  tcl_.Ok("ExportTo {" + path_ + "} 0");
  EXPECT_EQ(tcl_.Err("ExportTo x y"), "expected integer but got \"y\"");
}

}  // namespace
}  // namespace trendel
