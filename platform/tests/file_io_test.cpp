// Tests of the low-level file handle calls.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "file_io.h"

namespace fs = std::filesystem;
using namespace orvela::platform;

namespace {

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FileIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("orvela_file_io_" + std::to_string(getpid()));
    fs::create_directories(dir_);
    path_ = dir_ / "f.txt";
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_, path_;
};

TEST_F(FileIoTest, OpenModesCreateTruncateAndAppend) {
  EXPECT_EQ(OpenFile(path_.c_str(), {.read = true}), -1);  // missing, no create
  int fd = OpenFile(path_.c_str(), {.read = true, .write = true, .create = true});
  ASSERT_GE(fd, 0);
  EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(WriteFile(fd, "0123456789", 10), 10);
  EXPECT_EQ(FilePosition(fd), 10);
  ASSERT_TRUE(CloseFile(fd));

  fd = OpenFile(path_.c_str(), {.write = true, .append = true});
  EXPECT_EQ(WriteFile(fd, "ab", 2), 2);
  ASSERT_TRUE(CloseFile(fd));
  EXPECT_EQ(Slurp(path_), "0123456789ab");

  fd = OpenFile(path_.c_str(), {.read = true});
  EXPECT_TRUE(IsReadOnly(fd));
  char buffer[32];
  EXPECT_EQ(ReadFile(fd, buffer, sizeof buffer), 12);
  EXPECT_EQ(ReadFile(fd, buffer, sizeof buffer), 0);
  EXPECT_EQ(WriteFile(fd, "x", 1), -1);
  ASSERT_TRUE(CloseFile(fd));

  fd = OpenFile(path_.c_str(), {.read = true, .write = true, .truncate = true});
  EXPECT_FALSE(IsReadOnly(fd));
  ASSERT_TRUE(CloseFile(fd));
  EXPECT_EQ(fs::file_size(path_), 0u);
}

TEST_F(FileIoTest, SeekAndTruncate) {
  const int fd = OpenFile(path_.c_str(), {.read = true, .write = true, .create = true});
  ASSERT_EQ(WriteFile(fd, "0123456789", 10), 10);
  ASSERT_TRUE(SeekFile(fd, 4));
  EXPECT_EQ(FilePosition(fd), 4);
  ASSERT_TRUE(TruncateFile(fd, FilePosition(fd)));
  EXPECT_TRUE(SyncFile(fd));
  ASSERT_TRUE(CloseFile(fd));
  EXPECT_EQ(Slurp(path_), "0123");
  EXPECT_FALSE(CloseFile(fd));
}

}  // namespace
