// Tests of the file transport: file names, the mode table, reading at the
// end, cutting on close and the message re-exports.
#include <string>

#include "drover.h"
#include "drover_fixture.h"
#include "../../code_table_test.h"

namespace {

TEST_F(DroverTest, ModeTable) {
  struct Case {
    const char* extra;
    bool exists;   // the file holds "old" before opening
    int code;      // of CommGetHandle
    const char* write;
    const char* after;  // the file after writing and closing; nullptr: absent
  } cases[] = {
      {"?mode=\"r\"", false, DROVER_E_OPEN, nullptr, nullptr},
      {"?mode=\"r\"", true, 0, nullptr, "old"},
      {"?mode=\"r+\"", false, 0, nullptr, ""},
      {"?mode=\"r+\"", true, 0, "N", "N"},  // cut at the position on close
      {"?mode=\"w\"", true, 0, "N", "N"},
      {"?mode=\"w+\"", true, 0, nullptr, ""},
      {"?mode=\"a\"", true, 0, "N", "oldN"},
      {"?mode=\"a+\"", false, 0, "N", "N"},
      {"", true, 0, nullptr, ""},               // no mode: read-write, emptied
      {"?mode=\"x\"", true, DROVER_E_OPEN, nullptr, "old"},   // unlisted: refused, untouched
      {"?mode=\"rw+\"", true, DROVER_E_OPEN, nullptr, "old"}, // too long
      {"?mode=\"r+", true, DROVER_E_OPEN, nullptr, "old"},    // no closing quote
  };
  int i = 0;
  for (const Case& c : cases) {
    const auto file = File(("f" + std::to_string(i++)).c_str());
    if (c.exists) Put(file, "old");
    void* handle = nullptr;
    ::testing::internal::CaptureStderr();
    const int rc = CommGetHandle(Url(file, c.extra).c_str(), &handle);
    const std::string message = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(rc, c.code) << c.extra;
    if (rc == 0) {
      EXPECT_EQ(message, "") << c.extra;
      auto* h = static_cast<CommHandle*>(handle);
      if (c.write != nullptr) {
        EXPECT_EQ(h->write(h, c.write, 1), 1) << c.extra;
      }
      EXPECT_EQ(CommFreeHandle(&handle), 0) << c.extra;
    } else {
      EXPECT_EQ(message.rfind("can't open file: ", 0), 0u) << message;
    }
    if (c.after == nullptr) {
      EXPECT_FALSE(std::filesystem::exists(file)) << c.extra;
    } else {
      EXPECT_EQ(Slurp(file), c.after) << c.extra;
    }
  }
}

TEST_F(DroverTest, MissingFileOpenedReadWriteIsCreatedEmptyAndReadsAsEnd) {
  void* handle = nullptr;
  ASSERT_EQ(CommGetHandle(Url(File("s.xml"), "?mode=\"r+\"").c_str(), &handle), 0);
  auto* h = static_cast<CommHandle*>(handle);
  EXPECT_EQ(h->state[0], 1);
  char byte;
  EXPECT_EQ(h->read(h, &byte, 1), DROVER_E_END);
  CommFreeHandle(&handle);
  EXPECT_TRUE(std::filesystem::exists(File("s.xml")));
  EXPECT_EQ(std::filesystem::status(File("s.xml")).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(DroverTest, CloseCutsTheFileAtThePosition) {
  Put(File("f"), std::string(100, 'x'));
  void* handle = nullptr;
  ASSERT_EQ(CommGetHandle(Url(File("f"), "?mode=\"r+\"").c_str(), &handle), 0);
  auto* h = static_cast<CommHandle*>(handle);
  ASSERT_EQ(h->write(h, "0123456789", 10), 10);
  EXPECT_EQ(CommFreeHandle(&handle), 0);
  EXPECT_EQ(Slurp(File("f")), "0123456789");
}

TEST_F(DroverTest, HostAloneNamesAFileInTheWorkingDirectory) {
  const auto saved = std::filesystem::current_path();
  std::filesystem::current_path(dir_);
  Put(File("plain.txt"), "abc");
  void* handle = nullptr;
  const int rc = CommGetHandle("drover://plain.txt?mode=\"r\"", &handle);
  std::filesystem::current_path(saved);
  ASSERT_EQ(rc, 0);
  auto* h = static_cast<CommHandle*>(handle);
  char buffer[8];
  EXPECT_EQ(h->read(h, buffer, 8), 3);
  CommFreeHandle(&handle);
}

TEST_F(DroverTest, NameLongerThan127CharactersIsRefused) {
  // Host and path fit their parts but not the joined name: 64 + 64 characters.
  const std::string url = "drover://" + std::string(64, 'h') + "/" + std::string(63, 'p') + "?mode=\"w\"";
  void* handle = nullptr;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(CommGetHandle(url.c_str(), &handle), DROVER_E_OPEN);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "can't open file: File name too long\n");
}

TEST_F(DroverTest, DirectCallsReopenIoctlCloseAndMessages) {
  Put(File("f"), "abc");
  void* handle = nullptr;
  ASSERT_EQ(CommGetHandle(Url(File("f"), "?mode=\"r\"").c_str(), &handle), 0);
  auto* h = static_cast<CommHandle*>(handle);
  char buffer[8];
  ASSERT_EQ(h->read(h, buffer, 2), 2);
  ASSERT_EQ(CommReOpen(h), 0);  // starts again at the beginning
  EXPECT_EQ(h->read(h, buffer, 8), 3);
  EXPECT_EQ(CommIoctl(h, 1, nullptr), DROVER_E_IOCTL);
  ASSERT_EQ(CommSendMessage(h, 3, "m", 1), 0);
  ASSERT_EQ(CommSendMessageAppend(h, "n", 1), 0);
  int size = 0, type = 0;
  ASSERT_EQ(CommGetMessageSize(h, &size), 0);
  EXPECT_EQ(size, 2);
  EXPECT_EQ(CommGetMessage(h, &type, buffer, 8), 2);
  EXPECT_EQ(type, 3);
  ASSERT_EQ(CommDestroy(h), 0);
  EXPECT_EQ(CommClose(h), DROVER_E_CLOSE);  // nothing open any more
  EXPECT_EQ(CommRead(h, buffer, 1), -1);
  CommFreeHandle(&handle);
  EXPECT_EQ(Slurp(File("f")), "abc");
}

// Every result code is defined once, with a message.
TEST(DroverCodes, EachValueOnceWithAMessage) {
  const orvela_test::CodeRow codes[] = {DROVER_CODES(ORVELA_CODE_ROW)};
  orvela_test::ExpectEachValueOnceWithAMessage(codes);
}

}  // namespace
