// Tests for the engine's text helpers.
#include "text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trendel {
namespace {

TEST(Fval, Table) {
  struct Case {
    const char* text;
    double value;
    int digits;
  } cases[] = {
      {"-12.5e3", -12.5, 3},   {" 5", 0.0, 0},          {"+7", 7.0, 1},
      {"3.25abc", 3.25, 3},    {"", 0.0, 0},            {"abc", 0.0, 0},
      {".5", 0.5, 1},          {"-", 0.0, 0},           {"1.1234567899", 1.123456789, 11},
      {"12345678901", 1234567890.0, 10},
  };
  for (const auto& c : cases) {
    int digits = -1;
    EXPECT_DOUBLE_EQ(fval(c.text, &digits), c.value) << c.text;
    EXPECT_EQ(digits, c.digits) << c.text;
  }
}

TEST(Trim, Table) {
  const std::pair<std::string, std::string> cases[] = {
      {"  a b \t\r\n", "a b"}, {" \t ", ""}, {"", ""}, {"x", "x"}};
  for (const auto& [in, out] : cases) {
    char buf[32];
    CopyText(buf, sizeof buf, in.c_str());
    trim(buf);
    EXPECT_EQ(std::string(buf), out) << '"' << in << '"';
  }
}

TEST(Dword, SplitsAndKeepsTheRest) {
  struct Case {
    const char* text;
    const char* delims;
    int limit;
    std::vector<std::string> words;
  } cases[] = {
      {"1:2:3:4.5", ":", 3, {"1", "2", "3", "4.5"}},
      {"1:2:3:4:5", ":", 3, {"1", "2", "3", "4:5"}},
      {"1:2:3", ":", 3, {"1", "2", "3"}},
      {"a,,b", ",", 2, {"a", "b"}},
      {",a", ",", 2, {"", "a"}},
      {"0, 0.039, x", ",", 2, {"0", " 0.039", " x"}},
      {"1 \t 2  3", " \t", 99, {"1", "2", "3"}},
      {"", ":", 3, {""}},
  };
  for (const auto& c : cases) {
    STR words[100];
    const int n = dword(c.text, c.delims, words, c.limit);
    std::vector<std::string> got(words, words + n);
    EXPECT_EQ(got, c.words) << c.text;
  }
}

TEST(Compare, Table) {
  EXPECT_EQ(cmpstr("TYPE_K", "type_k", true), 0);
  EXPECT_EQ(cmpstr("TYPE_K", "type_k", false), -1);
  EXPECT_EQ(cmpstr("b", "a", false), 1);
  EXPECT_EQ(cmpstr("a", "ab", true), -1);
  EXPECT_EQ(cmpnstr(" its-90 table", " ITS-90", 7), 0);
  EXPECT_EQ(cmpnstr(" Tab", " Table", 6), -1);
}

TEST(FileExt, SplitsAtTheLastDot) {
  char base[kStrSize], ext[kStrSize];
  file_ext("/a.b/run1.bin", base, ext);
  EXPECT_STREQ(base, "/a.b/run1");
  EXPECT_STREQ(ext, "bin");
  file_ext("noext", base, ext);
  EXPECT_STREQ(base, "noext");
  EXPECT_STREQ(ext, "");
}

TEST(Freadln, LinesCrAndEnd) {
  FILE* fp = tmpfile();
  std::fputs("one\r\ntwo\nlast", fp);
  std::rewind(fp);
  char line[8];
  EXPECT_EQ(freadln(&fp, line, sizeof line), 4);
  EXPECT_STREQ(line, "one\r");
  EXPECT_EQ(freadln(&fp, line, sizeof line), 3);
  EXPECT_EQ(freadln(&fp, line, sizeof line), 4);
  EXPECT_STREQ(line, "last");
  EXPECT_EQ(freadln(&fp, line, sizeof line), -1);
  EXPECT_EQ(fp, nullptr);
  EXPECT_STREQ(line, "");
}

}  // namespace
}  // namespace trendel
