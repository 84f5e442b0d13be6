// Tests of safe file replacement.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>

#include "file_io.h"
#include "file_replace.h"

namespace fs = std::filesystem;
using namespace orvela::platform;

namespace {

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FileReplaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("orvela_file_replace_" + std::to_string(getpid()));
    fs::create_directories(dir_);
    path_ = dir_ / "sensor.xml";
    std::ofstream(path_) << "old";
    chmod(path_.c_str(), 0640);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_, path_;
};

TEST_F(FileReplaceTest, DescriptorPathNamesTheOpenFile) {
  const int fd = OpenFile(path_.c_str(), {.read = true});
  EXPECT_EQ(DescriptorPath(fd), fs::canonical(path_).string());
  CloseFile(fd);
  EXPECT_EQ(DescriptorPath(-1), "");
}

TEST_F(FileReplaceTest, TempBesideIsRenamedOverTheFileKeepingItsMode) {
  std::string temp;
  const int fd = CreateSiblingTemp(path_.string(), &temp);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(fs::path(temp).parent_path(), dir_);
  EXPECT_EQ(Slurp(path_), "old");  // nothing changes before the commit
  ASSERT_EQ(WriteFile(fd, "new", 3), 3);
  ASSERT_TRUE(CloseFile(fd));
  ASSERT_TRUE(CommitReplacement(temp, path_.string()));
  EXPECT_EQ(Slurp(path_), "new");
  EXPECT_FALSE(fs::exists(temp));
  struct stat info {};
  stat(path_.c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(FileReplaceTest, RemovedTempLeavesTheFile) {
  std::string temp;
  const int fd = CreateSiblingTemp(path_.string(), &temp);
  ASSERT_GE(fd, 0);
  CloseFile(fd);
  EXPECT_TRUE(RemoveFile(temp));
  EXPECT_EQ(Slurp(path_), "old");
  EXPECT_LT(CreateSiblingTemp((dir_ / "missing" / "x").string(), &temp), 0);
}

}  // namespace
