// Tests of DBFInitHandle: the twelve-entry table lands in the ten slots by name.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "shaper.h"

namespace {

template <int N>
int Entry(void*) {
  return N;
}

using AnyFn = int (*)(void*);

TEST(DBFInitHandle, CopiesEachOperationToItsSlot) {
  const AnyFn entries[DBF_METHOD_COUNT] = {Entry<1>, Entry<2>, Entry<3>, Entry<4>,  Entry<5>,  Entry<6>,
                                           Entry<7>, Entry<8>, Entry<9>, Entry<10>, Entry<11>, Entry<12>};
  const void* table[DBF_METHOD_COUNT];
  for (int i = 0; i < DBF_METHOD_COUNT; ++i) table[i] = reinterpret_cast<const void*>(entries[i]);

  DBFFormatter f;
  std::memset(&f, 0, sizeof f);
  f.module = &f;
  f.refCount = 3;
  DBFInitHandle(&f, table);

  struct SlotCase {
    const char* slot;
    const void* actual;
    int entry;  // 1-based position in the method table
  };
  const SlotCase cases[] = {
      {"getTypeUrl", reinterpret_cast<const void*>(f.getTypeUrl), 1},
      {"firstField", reinterpret_cast<const void*>(f.firstField), 2},
      {"nextField", reinterpret_cast<const void*>(f.nextField), 3},
      {"setValue", reinterpret_cast<const void*>(f.setValue), 4},
      {"create", reinterpret_cast<const void*>(f.create), 5},
      {"getId", reinterpret_cast<const void*>(f.getId), 6},
      {"setId", reinterpret_cast<const void*>(f.setId), 7},
      {"getData", reinterpret_cast<const void*>(f.getData), 10},
      {"getName", reinterpret_cast<const void*>(f.getName), 8},
      {"addRef", reinterpret_cast<const void*>(f.addRef), 9},
  };
  for (const SlotCase& c : cases) EXPECT_EQ(c.actual, table[c.entry - 1]) << c.slot;
  // The module and the reference count are not the table's.
  EXPECT_EQ(f.module, &f);
  EXPECT_EQ(f.refCount, 3);
}

TEST(DBFInitHandle, SlotsFollowModuleAndCount) {
  EXPECT_EQ(offsetof(DBFFormatter, module), 0u);
  EXPECT_LT(offsetof(DBFFormatter, refCount), offsetof(DBFFormatter, getTypeUrl));
  EXPECT_EQ(offsetof(DBFFormatter, addRef) - offsetof(DBFFormatter, getTypeUrl), 9 * sizeof(void*));
}

TEST(DBFInitHandle, NullPointersDoNothing) {
  const void* table[DBF_METHOD_COUNT] = {};
  DBFInitHandle(nullptr, table);
  DBFFormatter f;
  std::memset(&f, 0x11, sizeof f);
  DBFFormatter before = f;
  DBFInitHandle(&f, nullptr);
  EXPECT_EQ(std::memcmp(&f, &before, sizeof f), 0);
}

}  // namespace
