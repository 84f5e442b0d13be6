// tavio-demo end to end: the recording reads back with the channels, length
// and values it describes; bad command lines fail with a message.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tavio.h"

namespace {

class TavioDemoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tavio_demo_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Runs the program with `args`; returns its exit status and keeps its
  // standard error in err_.
  int Run(const std::string& args) {
    const std::string err = (dir_ / "stderr.txt").string();
    const std::string command = std::string(ORVELA_BIN_DIR) + "/tavio-demo " + args + " 2>" + err + " >/dev/null";
    const int status = std::system(command.c_str());
    std::ifstream in(err);
    std::stringstream text;
    text << in.rdbuf();
    err_ = text.str();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::filesystem::path dir_;
  std::string err_;
};

TEST_F(TavioDemoTest, RecordingReadsBack) {
  const std::string path = (dir_ / "demo.dat").string();
  ASSERT_EQ(Run(path + " 3"), 0) << err_;
  ASSERT_EQ(TAVIO_ReadDataFile(path.c_str()), 0);
  int value = 0;
  double samples = 0.0;
  EXPECT_EQ(TAVIO_GetChannelCount(&value), 0);
  EXPECT_EQ(value, 16);
  EXPECT_EQ(TAVIO_GetClockRate(&value), 0);
  EXPECT_EQ(value, 1000);
  EXPECT_EQ(TAVIO_GetNumScanSamples(&value), 0);
  EXPECT_EQ(value, 1000);
  EXPECT_EQ(TAVIO_GetSampleCount(&samples), 0);
  EXPECT_EQ(samples, 3000.0);
  char text[256];
  ASSERT_EQ(TAVIO_GetConversionType(2, text), 0);
  EXPECT_STREQ(text, "type_k");
  ASSERT_EQ(TAVIO_GetChannelTCRef(2, text), 0);
  EXPECT_STREQ(text, "ColdJunction");

  // Engineering units at the first sample set: room temperature at the cold
  // junction, the ovens starting from 25 degrees, the valve at 10 %.
  const struct {
    int ch;
    double eu, tolerance;
  } cases[] = {{1, 23.0, 0.01}, {2, 25.0, 0.5}, {5, 35.0, 1.5}, {10, 10.0, 0.01}, {13, 10.0, 0.01}};
  for (const auto& c : cases) {
    double eu = 0.0;
    ASSERT_EQ(TAVIO_GetSingleSampleExtended(2, 0.0, c.ch, &eu), 0);
    EXPECT_NEAR(eu, c.eu, c.tolerance) << "channel " << c.ch;
  }
  EXPECT_EQ(TAVIO_CloseReadFile(), 0);
}

TEST_F(TavioDemoTest, CommandLineErrors) {
  EXPECT_EQ(Run("--help"), 0);
  const struct {
    std::string args;
    int status;
    const char* message;
  } cases[] = {
      {"", 2, "usage: tavio-demo OUT [SECONDS]"},
      {"x.dat 0", 2, "SECONDS must be a whole number"},
      {"x.dat 2s", 2, "SECONDS must be a whole number"},
      {"x.dat 1 2", 2, "usage:"},
      {(dir_ / "no/such/dir.dat").string() + " 1", 1, "a file could not be opened or created"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run(c.args), c.status) << c.args;
    EXPECT_NE(err_.find(c.message), std::string::npos) << c.args << ": " << err_;
  }
}

}  // namespace
