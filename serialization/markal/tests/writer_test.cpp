// Tests of the writer: the line forms, nesting, and its failures.
#include <string>

#include "markal_fixture.h"
#include "../../code_table_test.h"

namespace {

const char* const kLeaf = "<leaf formatter=\"orvtestrec://leaf\">\n<a>1</a>\n<b>x&y</b>\n</leaf>\n";

TEST_F(MarkalTest, WritesOneElementPerLine) {
  std::string text;
  ASSERT_EQ(Write("orvtestrec://tree", &text), 0);
  EXPECT_EQ(text, std::string("<tree ID=\"T1\" formatter=\"orvtestrec://tree\">\n") + kLeaf + kLeaf + "</tree>\n");
}

TEST_F(MarkalTest, WriteFailures) {
  struct Case {
    const char* type_url;
    int code;
    std::string text;  // what was written before the failure
  } cases[] = {
      {"orvtestrec://odd", MARKAL_E_KIND, "<odd formatter=\"orvtestrec://odd\">\n"},
      {"orvtestnone://x", -1, ""},
      {"orvtestrec://nothing", -2, ""},
  };
  for (const Case& c : cases) {
    std::string text;
    EXPECT_EQ(Write(c.type_url, &text), c.code) << c.type_url;
    EXPECT_EQ(text, c.text) << c.type_url;
  }
  std::string text;
  EXPECT_EQ(Write("orvtestrec://deep", &text), MARKAL_E_KIND);  // deeper than the reader reads
}

// A written line holds at most 511 characters, its line feed included.
TEST_F(MarkalTest, LinesUpTo511Characters) {
  const std::string start = "<wide formatter=\"orvtestrec://wide\">\n";
  for (size_t length : {503u, 504u}) {  // "<w>" + value + "</w>\n" is 8 more
    const std::string value(length, 'v');
    void* channel = nullptr;
    ASSERT_EQ(CommGetMemoryHandle(nullptr, 0, &channel), 0);
    const int rc = f()->write(f(), const_cast<char*>(value.c_str()), "orvtestrec://wide",
                              static_cast<CommHandle*>(channel));
    const char* bytes = nullptr;
    int size = 0;
    CommMemoryContents(channel, &bytes, &size);
    const std::string text(bytes, static_cast<size_t>(size));
    CommFreeHandle(&channel);
    if (length == 503) {
      EXPECT_EQ(rc, 0);
      EXPECT_EQ(text, start + "<w>" + value + "</w>\n</wide>\n");
    } else {
      EXPECT_EQ(rc, MARKAL_E_SHORT);
      EXPECT_EQ(text, start);  // nothing of the long line, and no closing line
    }
  }
}

// A channel that takes one byte less than it is given.
int (*g_memory_write)(CommHandle*, const void*, int) = nullptr;
int ShortWrite(CommHandle* h, const void* buffer, int count) { return g_memory_write(h, buffer, count - 1); }

TEST_F(MarkalTest, ShortWriteFails) {
  void* channel = nullptr;
  ASSERT_EQ(CommGetMemoryHandle(nullptr, 0, &channel), 0);
  auto* h = static_cast<CommHandle*>(channel);
  g_memory_write = h->write;
  h->write = ShortWrite;
  EXPECT_EQ(f()->write(f(), nullptr, "orvtestrec://tree", h), MARKAL_E_SHORT);
  CommFreeHandle(&channel);
  EXPECT_EQ(Log(), "init tree\nclose tree\n");
}

// Every result code is defined once, with a message.
TEST(MarkalCodes, EachValueOnceWithAMessage) {
  const orvela_test::CodeRow codes[] = {MARKAL_CODES(ORVELA_CODE_ROW)};
  orvela_test::ExpectEachValueOnceWithAMessage(codes);
}

}  // namespace
