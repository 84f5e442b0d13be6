// The walk of a result-code table, shared by the tests of the serialization
// libraries: every value defined once, each with a message, 0 among them.
#ifndef ORVELA_SERIALIZATION_CODE_TABLE_TEST_H
#define ORVELA_SERIALIZATION_CODE_TABLE_TEST_H

#include <gtest/gtest.h>

#include <set>
#include <span>

namespace orvela_test {

// One row of a library's X-macro code table.
struct CodeRow {
  const char* symbol;
  int value;
  const char* text;
};

// Turns a table into rows: `const CodeRow codes[] = {LIB_CODES(ORVELA_CODE_ROW)};`
#define ORVELA_CODE_ROW(symbol, value, text) {#symbol, value, text},

// Expects each value once, each with a non-empty message, and 0 among them.
inline void ExpectEachValueOnceWithAMessage(std::span<const CodeRow> codes) {
  std::set<int> values;
  for (const CodeRow& c : codes) {
    EXPECT_TRUE(values.insert(c.value).second) << c.symbol;
    EXPECT_STRNE(c.text, "") << c.symbol;
  }
  EXPECT_EQ(values.count(0), 1u);
}

}  // namespace orvela_test

#endif
