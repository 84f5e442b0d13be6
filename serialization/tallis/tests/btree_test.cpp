// Tests of the "btree" table: ordering, the result codes, the comparison and
// destroying a holder twice.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tallis.h"
#include "../../code_table_test.h"

namespace {

// A record that begins with its name, as the data-set records do.
struct Record {
  char name[16];
};

int Reversed(const char* a, const char* b) {
  const int c = std::string(a).compare(b);
  return c < 0 ? 1 : (c > 0 ? -1 : 0);
}

class BTreeTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(TallisCreate("btree", &holder_), TALLIS_OK); }
  void TearDown() override { TallisDestroy(&holder_); }
  TallisTable* t() { return static_cast<TallisTable*>(holder_); }

  std::vector<std::string> Keys() {
    int n = -1;
    EXPECT_EQ(t()->count(t(), &n), 0);
    std::vector<void*> keys(n + 1);
    EXPECT_EQ(t()->keys(t(), keys.data()), n);
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) names.emplace_back(static_cast<const char*>(keys[i]));
    return names;
  }

  void* holder_ = nullptr;
};

TEST(TallisCreate, RefusesOtherKindsAndNullArguments) {
  void* holder = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(TallisCreate("hash", &holder), TALLIS_E_KIND);
  EXPECT_EQ(holder, reinterpret_cast<void*>(0x1));
  EXPECT_EQ(TallisCreate(nullptr, &holder), TALLIS_E_ARGUMENT);
  EXPECT_EQ(TallisCreate("btree", nullptr), TALLIS_E_ARGUMENT);
}

TEST(TallisDestroy, SecondDestroyOfTheSameHolderDoesNothing) {
  void* holder = nullptr;
  ASSERT_EQ(TallisCreate("btree", &holder), 0);
  TallisDestroy(&holder);
  EXPECT_EQ(holder, nullptr);
  TallisDestroy(&holder);
  TallisDestroy(nullptr);
}

TEST_F(BTreeTest, KeepsKeysInAscendingOrderWithTheirValues) {
  Record c{"carbon"}, a{"argon"}, b{"boron"};
  for (Record* r : {&c, &a, &b}) ASSERT_EQ(t()->insert(t(), r, r), 0);
  EXPECT_EQ(Keys(), (std::vector<std::string>{"argon", "boron", "carbon"}));
  void* values[3];
  ASSERT_EQ(t()->values(t(), values), 3);
  EXPECT_EQ(values[0], &a);
  EXPECT_EQ(values[2], &c);
}

TEST_F(BTreeTest, ResultCodesOfEachOperation) {
  Record a{"argon"}, a2{"argon"};
  void* value = nullptr;
  EXPECT_EQ(t()->lookup(t(), "argon", &value), TALLIS_E_ABSENT);
  EXPECT_EQ(value, nullptr);
  EXPECT_EQ(t()->remove(t(), "argon"), TALLIS_E_ABSENT);
  EXPECT_EQ(t()->insert(t(), &a, &a), 0);
  EXPECT_EQ(t()->insert(t(), &a2, &a2), TALLIS_E_EXISTS);
  ASSERT_EQ(t()->lookup(t(), "argon", &value), 0);
  EXPECT_EQ(value, &a);
  EXPECT_EQ(t()->insert(nullptr, &a, &a), TALLIS_E_ARGUMENT);
  EXPECT_EQ(t()->lookup(t(), nullptr, &value), TALLIS_E_ARGUMENT);
  EXPECT_EQ(t()->remove(t(), "argon"), 0);
  int n = -1;
  EXPECT_EQ(t()->count(t(), &n), 0);
  EXPECT_EQ(n, 0);
}

TEST_F(BTreeTest, UpdateReplacesKeyAndValueOrAddsTheEntry) {
  Record old_record{"neon"}, new_record{"neon"}, other{"xenon"};
  ASSERT_EQ(t()->insert(t(), &old_record, &old_record), 0);
  EXPECT_EQ(t()->update(t(), &new_record, &new_record), 0);
  void* keys[1];
  ASSERT_EQ(t()->keys(t(), keys), 1);
  EXPECT_EQ(keys[0], &new_record);  // the old record may now be released
  EXPECT_EQ(t()->update(t(), &other, &other), 1);
  EXPECT_EQ(Keys(), (std::vector<std::string>{"neon", "xenon"}));
}

TEST_F(BTreeTest, SetCompareReordersExistingEntries) {
  Record a{"a"}, b{"b"}, c{"c"};
  for (Record* r : {&b, &a, &c}) ASSERT_EQ(t()->insert(t(), r, r), 0);
  ASSERT_EQ(t()->setCompare(t(), Reversed), 0);
  EXPECT_EQ(Keys(), (std::vector<std::string>{"c", "b", "a"}));
  void* value = nullptr;
  EXPECT_EQ(t()->lookup(t(), "b", &value), 0);
  EXPECT_EQ(value, &b);
}

// Every result code is defined once, with a message.
TEST(TallisCodes, EachValueOnceWithAMessage) {
  const orvela_test::CodeRow codes[] = {TALLIS_CODES(ORVELA_CODE_ROW)};
  orvela_test::ExpectEachValueOnceWithAMessage(codes);
}

}  // namespace
