// The runtime search without a VM: application home, VM list lines and the
// registered runtime.
#include "runtime.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace orvela::orvelarun {
namespace {

namespace fs = std::filesystem;

TEST(ApplicationHomeTest, TwoLevelsAboveTheProgram) {
  struct Case {
    const char* program;
    const char* home;
  } cases[] = {
      {"/opt/orvela/bin/orvelarun", "/opt/orvela"},
      {"/bin/orvelarun", ""},
      {"orvelarun", ""},
      {"/a/b/c/orvelarun", "/a/b"},
  };
  for (const Case& c : cases) EXPECT_EQ(ApplicationHome(c.program), c.home) << c.program;
  const std::string deep = "/" + std::string(300, 'd') + "/bin/orvelarun";
  EXPECT_EQ(ApplicationHome(deep), "");
}

class VmListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vmlist_" + std::to_string(getpid()));
    fs::create_directories(root_ / "lib");
  }
  void TearDown() override { fs::remove_all(root_); }
  std::vector<std::string> Read(const std::string& text) {
    std::ofstream(root_ / "lib" / "jvm.cfg", std::ios::binary) << text;
    return ReadVmList(root_.string());
  }
  fs::path root_;
};

TEST_F(VmListTest, LinesBecomeEntries) {
  using List = std::vector<std::string>;
  struct Case {
    const char* name;
    std::string text;
    List entries;
  } cases[] = {
      {"second word cut at the blank", "-server KNOWN\n-client IGNORE\n", {"-server", "-client"}},
      {"comments skipped", "# comment\n#-hidden\n-server\n", {"-server"}},
      {"last line without a line break keeps its letters", "-server", {"-server"}},
      {"carriage return removed", "-server KNOWN\r\n", {"-server"}},
      {"empty lines and lone dashes skipped", "\n-\n-server\n", {"-server"}},
      {"comments only", "# one\n# two\n", {}},
      {"tab is a blank", "-server\tKNOWN\n", {"-server"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Read(c.text), c.entries) << c.name;
}

TEST_F(VmListTest, AtMostTenEntries) {
  std::string text;
  for (int i = 0; i < 14; ++i) text += "-vm" + std::to_string(i) + "\n";
  const auto entries = Read(text);
  ASSERT_EQ(entries.size(), kVmEntriesMax);
  EXPECT_EQ(entries.back(), "-vm9");
}

TEST_F(VmListTest, MissingFileGivesNothing) { EXPECT_TRUE(ReadVmList(root_.string()).empty()); }

TEST_F(VmListTest, FirstListedVmWithALibraryWins) {
  fs::create_directories(root_ / "lib" / "server");
  std::ofstream(root_ / "lib" / "server" / "libjvm.so") << "x";
  EXPECT_EQ(FindVmLibrary(root_.string(), {"-client", "-server"}), (root_ / "lib/server/libjvm.so").string());
  EXPECT_EQ(FindVmLibrary(root_.string(), {"-client", "-minimal"}), "");
}

}  // namespace
}  // namespace orvela::orvelarun
