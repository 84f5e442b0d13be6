// Access checks on a file of ours, a missing file and a read-only file.
#include "file_access.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "message_box.h"

namespace orvela::platform {
namespace {

TEST(FileAccess, Modes) {
  const std::string dir = testing::TempDir();
  const std::string writable = dir + "/orv_access_rw.txt";
  const std::string read_only = dir + "/orv_access_ro.txt";
  for (const std::string& path : {writable, read_only}) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  ASSERT_EQ(chmod(read_only.c_str(), 0400), 0);
  const bool root = geteuid() == 0;  // root may write any file

  struct Case {
    std::string path;
    int mode;
    bool allowed;
  } cases[] = {
      {writable, kAccessExists, true},   {writable, kAccessRead | kAccessWrite, true},
      {writable, kAccessExecute, false}, {read_only, kAccessRead, true},
      {read_only, kAccessWrite, root},   {dir + "/orv_access_missing.txt", kAccessExists, false},
  };
  for (const Case& c : cases) {
    errno = 0;
    const int result = CheckAccess(c.path.c_str(), c.mode);
    EXPECT_EQ(result == 0, c.allowed) << c.path << " mode " << c.mode;
    if (!c.allowed) {
      EXPECT_NE(errno, 0);
    }
  }
  std::remove(writable.c_str());
  std::remove(read_only.c_str());
}

TEST(MessageBox, StderrForm) {
  testing::internal::CaptureStderr();
  ShowMessageOnStderr("Error", "it broke");
  ShowMessageOnStderr(nullptr, nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: it broke\n: \n");
}

}  // namespace
}  // namespace orvela::platform
