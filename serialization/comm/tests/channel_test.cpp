// Tests of channels: opening errors, memory channels, rewriting and release.
#include <gtest/gtest.h>

#include <string>

#include "comm.h"
#include "../../code_table_test.h"

namespace {

std::string Contents(void* handle) {
  const char* bytes = nullptr;
  int size = -1;
  EXPECT_EQ(CommMemoryContents(handle, &bytes, &size), 0);
  return std::string(bytes, static_cast<size_t>(size));
}

TEST(CommGetHandle, RefusesWhatCannotBeOpened) {
  struct Case {
    const char* url;
    int code;
  } cases[] = {
      {"no scheme here", COMM_E_URL},
      {"orvtest-none://x", COMM_E_TRANSPORT},
      {"orvtestcommpartial://x", COMM_E_TRANSPORT},  // CommRead, CommWrite, CommClose missing
  };
  for (const Case& c : cases) {
    void* handle = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(CommGetHandle(c.url, &handle), c.code) << c.url;
    EXPECT_EQ(handle, reinterpret_cast<void*>(0x1)) << c.url;
  }
  EXPECT_EQ(CommGetHandle(nullptr, nullptr), COMM_E_ARGUMENT);
}

TEST(MemoryChannel, ReadsInPiecesThenReportsTheEnd) {
  void* handle = nullptr;
  ASSERT_EQ(CommGetMemoryHandle("hello", 5, &handle), 0);
  auto* h = static_cast<CommHandle*>(handle);
  char buffer[4];
  EXPECT_EQ(h->read(h, buffer, 3), 3);
  EXPECT_EQ(h->position(h), 3);
  EXPECT_EQ(h->read(h, buffer, 4), 2);
  EXPECT_EQ(std::string(buffer, 2), "lo");
  EXPECT_EQ(h->read(h, buffer, 4), COMM_E_END);
  EXPECT_EQ(CommFreeHandle(&handle), 0);
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(CommFreeHandle(&handle), 0);  // a holder of NULL is harmless
}

TEST(MemoryChannel, RewriteReplacesTheWholeContent) {
  void* handle = nullptr;
  ASSERT_EQ(CommGetMemoryHandle("a long old content", 18, &handle), 0);
  auto* h = static_cast<CommHandle*>(handle);
  char buffer[64];
  ASSERT_GT(h->read(h, buffer, sizeof buffer), 0);
  ASSERT_EQ(h->prepareRewrite(h), 0);
  ASSERT_EQ(h->rewind(h), 0);
  EXPECT_EQ(h->write(h, "new", 3), 3);
  EXPECT_EQ(Contents(handle), "new");
  CommFreeHandle(&handle);
}

TEST(MemoryChannel, AbandonedRewriteRestoresTheOldContentAndRefusesWrites) {
  void* handle = nullptr;
  ASSERT_EQ(CommGetMemoryHandle("old", 3, &handle), 0);
  auto* h = static_cast<CommHandle*>(handle);
  ASSERT_EQ(h->prepareRewrite(h), 0);
  ASSERT_EQ(h->rewind(h), 0);
  ASSERT_EQ(h->write(h, "ne", 2), 2);
  EXPECT_EQ(h->abandonRewrite(h), 0);
  EXPECT_EQ(Contents(handle), "old");
  EXPECT_EQ(h->write(h, "x", 1), COMM_E_REWRITE);
  EXPECT_EQ(h->prepareRewrite(h), COMM_E_REWRITE);
  CommFreeHandle(&handle);
}

TEST(MemoryChannel, WritesOverwriteAndExtend) {
  void* handle = nullptr;
  ASSERT_EQ(CommGetMemoryHandle(nullptr, 0, &handle), 0);
  auto* h = static_cast<CommHandle*>(handle);
  EXPECT_EQ(h->write(h, "abcdef", 6), 6);
  ASSERT_EQ(h->rewind(h), 0);
  EXPECT_EQ(h->write(h, "XY", 2), 2);
  EXPECT_EQ(Contents(handle), "XYcdef");
  EXPECT_EQ(h->write(h, nullptr, 1), COMM_E_ARGUMENT);
  EXPECT_EQ(CommMemoryContents(nullptr, nullptr, nullptr), COMM_E_ARGUMENT);
  CommFreeHandle(&handle);
}

// Every result code is defined once, with a message.
TEST(CommCodes, EachValueOnceWithAMessage) {
  const orvela_test::CodeRow codes[] = {COMM_CODES(ORVELA_CODE_ROW)};
  orvela_test::ExpectEachValueOnceWithAMessage(codes);
}

}  // namespace
