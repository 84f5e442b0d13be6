// The result-code table: every code has a message, no value twice.
#include <gtest/gtest.h>

#include <set>

#include "tavio_codes.h"

namespace {

TEST(TavioCodesTest, EveryCodeHasOneValueAndAMessage) {
  struct Code {
    const char* symbol;
    int value;
    const char* message;
  };
#define TAVIO_CODE_ROW(symbol, value, message) {#symbol, value, message},
  const Code codes[] = {TAVIO_CODES(TAVIO_CODE_ROW)};
#undef TAVIO_CODE_ROW
  std::set<int> seen;
  for (const Code& c : codes) {
    EXPECT_TRUE(seen.insert(c.value).second) << c.symbol;
    ASSERT_NE(tavio_code_message(c.value), nullptr) << c.symbol;
    EXPECT_STREQ(tavio_code_message(c.value), c.message);
    EXPECT_GT(std::string(c.message).size(), 0u);
  }
  for (int value : {-4, 1, 199, 202, 218, 224, 499, 501}) EXPECT_EQ(tavio_code_message(value), nullptr) << value;
}

}  // namespace
