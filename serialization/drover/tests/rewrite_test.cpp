// Rewriting a file through comm and the file transport: the old file stays
// whole until the new content is completely written and closed.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "drover_fixture.h"

namespace {

// Opens `url`, reads everything, rewrites it with `text` and frees the handle.
// Returns CommFreeHandle's result, or a value below -100 when a step failed.
int Rewrite(const std::string& url, const std::string& text) {
  void* handle = nullptr;
  if (CommGetHandle(url.c_str(), &handle) != 0) return -101;
  auto* h = static_cast<CommHandle*>(handle);
  char buffer[256];
  while (h->read(h, buffer, sizeof buffer) > 0) {
  }
  h->prepareRewrite(h);
  h->rewind(h);
  h->write(h, text.data(), static_cast<int>(text.size()));
  return CommFreeHandle(&handle);
}

TEST_F(DroverTest, RewriteReplacesAShorterOrLongerFile) {
  Put(File("s.xml"), std::string(100, 'o'));
  EXPECT_EQ(Rewrite(Url(File("s.xml"), "?mode=\"r+\""), "new"), 0);
  EXPECT_EQ(Slurp(File("s.xml")), "new");
  EXPECT_EQ(Rewrite(Url(File("s.xml"), "?mode=\"r+\""), std::string(300, 'n')), 0);
  EXPECT_EQ(Slurp(File("s.xml")), std::string(300, 'n'));
  EXPECT_EQ(Entries(), 1u);  // no temporary file left behind
}

TEST_F(DroverTest, ReadOnlyFileIsNotRewritten) {
  Put(File("s.xml"), "old");
  EXPECT_EQ(Rewrite(Url(File("s.xml"), "?mode=\"r\""), "new"), COMM_E_REWRITE);
  EXPECT_EQ(Slurp(File("s.xml")), "old");
  EXPECT_EQ(Entries(), 1u);
}

TEST_F(DroverTest, AbandonedRewriteLeavesTheFileAndNoTemporary) {
  Put(File("s.xml"), "old content");
  void* handle = nullptr;
  ASSERT_EQ(CommGetHandle(Url(File("s.xml"), "?mode=\"r+\"").c_str(), &handle), 0);
  auto* h = static_cast<CommHandle*>(handle);
  ASSERT_EQ(h->prepareRewrite(h), 0);
  ASSERT_EQ(h->rewind(h), 0);
  ASSERT_EQ(h->write(h, "half", 4), 4);
  EXPECT_EQ(Entries(), 2u);
  EXPECT_EQ(h->abandonRewrite(h), 0);
  EXPECT_EQ(CommFreeHandle(&handle), COMM_E_REWRITE);
  EXPECT_EQ(Slurp(File("s.xml")), "old content");
  EXPECT_EQ(Entries(), 1u);
}

TEST_F(DroverTest, ReadingOnlyDoesNotCutTheFile) {
  Put(File("s.xml"), std::string(1000, 'x'));
  void* handle = nullptr;
  ASSERT_EQ(CommGetHandle(Url(File("s.xml"), "?mode=\"r+\"").c_str(), &handle), 0);
  auto* h = static_cast<CommHandle*>(handle);
  char buffer[10];
  ASSERT_EQ(h->read(h, buffer, 10), 10);
  EXPECT_EQ(CommFreeHandle(&handle), 0);
  EXPECT_EQ(std::filesystem::file_size(File("s.xml")), 1000u);
}

// A write that fails part way (here: the file size limit of the process,
// standing in for a full disk) must leave the old file whole.
TEST_F(DroverTest, FailingWriteLeavesTheOldFileIntact) {
  const std::string old_text(150, 'o');
  Put(File("s.xml"), old_text);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {200, 200};
    setrlimit(RLIMIT_FSIZE, &limit);
    const int rc = Rewrite(Url(File("s.xml"), "?mode=\"r+\""), std::string(1000, 'n'));
    _exit(rc == COMM_E_CLOSE ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(Slurp(File("s.xml")), old_text);
  EXPECT_EQ(Entries(), 1u);
}

}  // namespace
