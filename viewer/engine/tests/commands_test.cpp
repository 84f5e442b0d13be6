// Tests for the command set through a Tcl interpreter: argument counts,
// checks in order, results and exact messages.
#include <gtest/gtest.h>

#include "engine.h"
#include "recording.h"

namespace trendel {
namespace {

using testing::EngineInterp;
using testing::Recording;
using testing::TempDir;

struct Expect {
  std::string script;
  int code;
  const char* result;
};

void RunTable(EngineInterp& tcl, const std::vector<Expect>& cases) {
  for (const auto& c : cases) {
    std::string result;
    EXPECT_EQ(tcl.Eval(c.script, &result), c.code) << c.script << " -> " << result;
    EXPECT_EQ(result, c.result) << c.script;
  }
}

TEST(Commands, WithoutAFile) {
  EngineInterp tcl;
  RunTable(tcl, {
                    {"LoadFileStats", TCL_ERROR, "wrong # of args: LoadFileStats"},
                    {"::LoadFileStats", TCL_ERROR, "wrong # of args: ::LoadFileStats"},
                    {"LoadFileStats /no/such/file.dat", TCL_ERROR, "File /no/such/file.dat Not Found"},
                    {"GetMaxEU", TCL_OK, "11.000000"},
                    {"GetMaxEU a b c", TCL_OK, "11.000000"},
                    {"IsDataPresent", TCL_OK, "0"},
                    {"StopCalc x", TCL_OK, ""},
                    {"GetChannelName 1", TCL_ERROR, "1 is an invalid channel number"},
                    {"IsValidPercentRange 1 0 1", TCL_ERROR, "No File Loaded"},
                    {"GetPercentTime 1 0", TCL_ERROR, "No File Loaded"},
                    {"GetFraction 0:00:00:0", TCL_ERROR, "No File Loaded"},
                    {"GetPixelOffsetTime 0:00:00:0 1", TCL_ERROR, "No File Loaded"},
                    {"GetYVoltage 0.5 1", TCL_ERROR, "No File Loaded"},
                    {"CalculateTimeRange a b", TCL_ERROR, "No File Loaded"},
                    {"CalculateTimeRange a", TCL_ERROR, "wrong # of args: CalculateTimeRange"},
                    {"GetMaxDisplayEU", TCL_ERROR, "wrong # of args: GetMaxDisplayEU"},
                    {"GetMaxDisplayEU {}", TCL_OK, "11.000000"},
                    {"GetChannelData 1 1 100 100", TCL_ERROR, "No File Loaded"},
                    {"UseChannelMapping", TCL_ERROR, "wrong # of args: UseChannelMapping"},
                    {"UseChannelMapping 0", TCL_OK, ""},
                    {"ExportTo x 0", TCL_OK, ""},
                    {"ExportTo x", TCL_ERROR, "wrong # of args: ExportTo"},
                });
}

class LoadedCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    Recording r;
    r.channels = 48;
    r.rate = 10;
    r.samples_per_scan = 100;
    r.lines = 1001;  // 100 s
    r.day = 0;
    r.hour = 0;
    r.minute = 0;
    r.second = 0;
    r.ten_thousandths = 0;
    r.names.assign(48, "");
    for (int c = 0; c < 48; ++c) r.names[c] = "N" + std::to_string(c + 1);
    r.names[4] = "Slot3";
    r.names[5] = "slot3";
    r.units.assign(48, "V");
    r.types.assign(48, "volts");
    // Channel c + 1 spans c volts per full count range: its maximum EU is c.
    for (int c = 0; c < 48; ++c) {
      r.counts_volt.push_back(65535.0 / (c + 1));
      r.offset.push_back(0.0);
    }
    path_ = dir_.Path("run.dat");
    r.Write(path_);
    EXPECT_EQ(tcl_.Ok("LoadFileStats " + path_ + " 1"), "48");
  }
  TempDir dir_;
  std::string path_;
  EngineInterp tcl_;
};

TEST_F(LoadedCommands, ChecksAndResults) {
  RunTable(tcl_, {
                     {"GetChannelName 0", TCL_ERROR, "0 is an invalid channel number"},
                     {"GetChannelName 49", TCL_ERROR, "49 is an invalid channel number"},
                     {"GetChannelName", TCL_ERROR, "wrong # of args: GetChannelName"},
                     {"GetChannelName 5", TCL_OK, "Ch5 (V)"},
                     {"GetChannelName 6", TCL_OK, "slot3 (V)"},
                     {"GetChannelName 1", TCL_OK, "N1 (V)"},
                     {"GetChannelName abc", TCL_ERROR, "expected integer but got \"abc\""},
                     {"GetChannelName 99999999999", TCL_ERROR, "integer value too large to represent: \"99999999999\""},
                     {"GetChannelName 2x", TCL_OK, "N2 (V)"},
                     {"GetYVoltage 1.5 1", TCL_ERROR, "Y-Fraction 1.500000 is not between 0 and 1"},
                     {"GetYVoltage -0.1 1", TCL_ERROR, "Y-Fraction -0.100000 is not between 0 and 1"},
                     {"GetYVoltage 0.5 0", TCL_ERROR, "0 is an invalid channel number"},
                     {"GetYVoltage x 1", TCL_ERROR, "expected floating-point number but got \"x\""},
                     {"GetYVoltage 1 3", TCL_OK, "3.000000"},
                     {"GetYVoltage 0.5 2", TCL_OK, "1.000000"},
                     {"GetYVoltage 0.5", TCL_ERROR, "wrong # of args: GetYVoltage"},
                     {"GetMaxEU", TCL_OK, "49.000000"},
                     {"GetMaxDisplayEU {3 1}", TCL_OK, "4.000000"},
                     {"GetMaxDisplayEU \" 2\t5 \"", TCL_OK, "6.000000"},
                     {"GetMaxDisplayEU {3 49}", TCL_ERROR, "49 is an invalid channel number"},
                     {"GetMaxDisplayEU {3 0}", TCL_ERROR, "0 is an invalid channel number"},
                     {"GetMaxDisplayEU {3 q}", TCL_ERROR, "expected integer but got \"q\""},
                     {"IsValidPercentRange 1 0.5 0.5", TCL_OK, "0"},
                     {"IsValidPercentRange 1 0 0.5", TCL_OK, "1"},
                     {"IsValidPercentRange 1 0", TCL_ERROR, "wrong # of args: IsValidPercentRange"},
                     {"GetPercentTime 1 0", TCL_OK, "0:00:00:0.000000"},
                     {"GetPercentTime 1 1", TCL_OK, "0:00:01:40.000000"},
                     {"GetPercentTime 1 0.5 0.6", TCL_OK, "0:00:00:50.000000 0:00:01:0.000000"},
                     {"GetPercentTime 1 0.5 0.5", TCL_OK, "0:00:00:0.000000 0:00:01:40.000000"},
                     {"GetPercentTime 1", TCL_ERROR, "wrong # of args: GetPercentTime"},
                     {"GetFraction 0:00:00:0.000000", TCL_OK, "0.000000"},
                     {"GetFraction 0:00:01:40.000000", TCL_OK, "1.000000"},
                     {"GetFraction 0:00:00:25", TCL_OK, "0.250000"},
                     {"GetFraction 0:00:01:41", TCL_ERROR, "Time 0:00:01:41 is not within file range"},
                     {"GetFraction 0:00:01:40.0000004", TCL_OK, "1.000000"},
                     {"GetPixelOffsetTime 0:00:00:10 5", TCL_OK, "0:00:00:10.500000"},
                     {"GetPixelOffsetTime 0:00:00:10 -500", TCL_OK, "0:00:00:0.000000"},
                     {"GetPixelOffsetTime 0:00:01:35 500", TCL_OK, "0:00:01:40.000000"},
                     {"GetPixelOffsetTime 0:00:00:10 z", TCL_ERROR, "expected integer but got \"z\""},
                     {"GetChannelData 1 1 100 100", TCL_ERROR,
                      "No Data Present: LoadFileStats() OR CalculateTimeRange() has not been called"},
                     {"GetChannelData 1 1 100", TCL_ERROR, "wrong # of args: GetChannelData"},
                     {"CalculateTimeRange 0:00:00:0 0:00:01:40 50 extra", TCL_OK, ""},
                     {"IsDataPresent", TCL_OK, "1"},
                     {"GetChannelData 1 0 100 100", TCL_ERROR, "0 is an invalid channel number"},
                     {"GetChannelData 1 49 100 100", TCL_ERROR, "49 is an invalid channel number"},
                     {"GetChannelData 1 1 100 100 0 bad", TCL_ERROR, "expected floating-point number but got \"bad\""},
                     {"CalculateTimeRange 0:00:00:0 0:00:01:40 wide", TCL_ERROR, "expected integer but got \"wide\""},
                     {"LoadFileStats /no/file x", TCL_ERROR, "expected integer but got \"x\""},
                 });
  // The failing commands left the loaded file alone.
  EXPECT_EQ(tcl_.Ok("GetChannelName 1"), "N1 (V)");
}

TEST_F(LoadedCommands, PercentWindowsStayInsideTheFile) {
  // A 10 s display range inside the 100 s file.
  tcl_.Ok("CalculateTimeRange 0:00:00:40 0:00:00:50 50");
  EXPECT_EQ(tcl_.Ok("GetPercentTime 0 -0.5 1.5"), "0:00:00:35.000000 0:00:00:55.000000");
  tcl_.Ok("CalculateTimeRange 0:00:00:2 0:00:00:12 50");
  EXPECT_EQ(tcl_.Ok("GetPercentTime 0 -0.5 1.5"), "0:00:00:0.000000 0:00:00:20.000000");
  tcl_.Ok("CalculateTimeRange 0:00:01:30 0:00:01:40 50");
  EXPECT_EQ(tcl_.Ok("GetPercentTime 0 -0.5 1.5"), "0:00:01:20.000000 0:00:01:40.000000");
  EXPECT_EQ(tcl_.Ok("GetPercentTime 0 -5 5"), "0:00:00:0.000000 0:00:01:40.000000");
  EXPECT_EQ(tcl_.Ok("GetPercentTime 0 0.5"), "0:00:01:35.000000");
  EXPECT_EQ(tcl_.Ok("IsValidPercentRange 0 0 1"), "1");
}

TEST_F(LoadedCommands, ChannelMapping) {
  struct Case {
    int mapping;
    const char* list;
    const char* result;
  } cases[] = {
      {0, "9", "10.000000"}, {1, "9", "18.000000"}, {1, "17", "10.000000"},
      {1, "24", "17.000000"}, {1, "25", "26.000000"}, {1, "8", "9.000000"},
  };
  for (const auto& c : cases) {
    tcl_.Ok("UseChannelMapping " + std::to_string(c.mapping));
    EXPECT_EQ(tcl_.Ok(std::string("GetMaxDisplayEU ") + c.list), c.result) << c.mapping << " " << c.list;
  }
  tcl_.Ok("UseChannelMapping 1");
  EXPECT_EQ(tcl_.Ok("GetYVoltage 1 9"), "17.000000");
  EXPECT_EQ(tcl_.Ok("GetChannelName 9"), "N9 (V)");  // names are not mapped
  tcl_.Ok("UseChannelMapping 0");
}

TEST(Commands, MappingNeeds32To48Channels) {
  TempDir dir;
  EngineInterp tcl;
  Recording r;
  r.channels = 64;
  for (int c = 0; c < 64; ++c) r.counts_volt.push_back(65535.0 / (c + 1)), r.offset.push_back(0.0);
  r.Write(dir.Path("r.dat"));
  tcl.Ok("LoadFileStats " + dir.Path("r.dat"));
  tcl.Ok("UseChannelMapping 1");
  EXPECT_EQ(tcl.Ok("GetMaxDisplayEU 9"), "10.000000");
}

TEST(Commands, OneLineFileAndPointList) {
  TempDir dir;
  EngineInterp tcl;
  Recording r;
  r.lines = 1;
  r.channels = 1;
  r.types = {"counts"};
  r.value = [](uint64_t, int) { return uint16_t{32768}; };
  r.Write(dir.Path("one.dat"));
  tcl.Ok("LoadFileStats " + dir.Path("one.dat"));
  const std::string t = tcl.Ok("GetPercentTime 1 0");
  EXPECT_EQ(tcl.Ok("GetFraction " + t), "0.000000");
  tcl.Ok("CalculateTimeRange " + t + " " + t + " 100");
  EXPECT_EQ(tcl.Ok("GetChannelData 1 1 100 100 0 65536"), "0 50");
  EXPECT_EQ(tcl.Ok("GetChannelData 0 1 100 100 0 65536"), "0 50");
}

// LoadFileStats and CalculateTimeRange run from inside a progress report
// (the script's event processing) are refused instead of pulling the file
// out from under the running computation.
TEST(Commands, NoReentryDuringAComputation) {
  TempDir dir;
  EngineInterp tcl;
  Recording r;
  r.samples_per_scan = 16;
  r.lines = 2000;
  r.Write(dir.Path("r.dat"));
  tcl.Ok("LoadFileStats " + dir.Path("r.dat"));
  tcl.Ok("set ::inner {}; proc progressbar {f m} { if {$::inner eq {}} { catch {LoadFileStats " + dir.Path("r.dat") +
         "} ::inner } }");
  tcl.Ok("CalculateTimeRange [GetPercentTime 1 0] [GetPercentTime 1 1] 20");
  EXPECT_EQ(tcl.Ok("set ::inner"), "Calculation in progress");
  EXPECT_EQ(fullgraph[0].numData(), 250u);
}

}  // namespace
}  // namespace trendel
