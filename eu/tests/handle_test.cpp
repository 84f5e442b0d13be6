// Tests of EUInit, EUClose, the operation table and the resource list.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "eu.h"
#include "handle.h"

namespace {

using orvela::eu::AddResource;
using orvela::eu::InitResourceList;
using orvela::eu::ReleaseAllResources;
using orvela::eu::ReleaseResource;

TEST(EuInit, Failures) {
  struct Case {
    const char* name;
    std::string library;
    int expected;
  };
  const Case cases[] = {
      {"no such library", "eu_test_missing_library", EU_E_NOT_LOADED},
      {"library without init", "eu_test_no_init", EU_E_NO_INIT},
      {"init fails", "eu_test_init_fails", EU_E_NOMEM},
      {"init succeeds without a record", "eu_test_init_no_record", EU_E_NOMEM},
      {"empty name", "", EU_E_NOT_LOADED},
      {"60 characters", std::string(60, 'b'), EU_E_NOT_LOADED},
      {"far too long", std::string(4096, 'b'), EU_E_NOT_LOADED},
      // The room holds a name of 59 characters and its NUL; only "basalt" plus
      // padding is checked to fail as an absent library, not by overrunning.
      {"59 characters", "basalt" + std::string(53, 'x'), EU_E_NOT_LOADED},
  };
  for (const Case& c : cases) {
    EUHandle* h = nullptr;
    EXPECT_EQ(EUInit(c.library.c_str(), &h), c.expected) << c.name;
    EXPECT_EQ(h, nullptr) << c.name;
  }
  EUHandle* h = nullptr;
  EXPECT_EQ(EUInit(nullptr, &h), EU_E_NOT_LOADED);
  EXPECT_EQ(EUInit("basalt", nullptr), EU_E_NOT_LOADED);
}

TEST(EuInit, ImplementationWithOnlyInitGetsStubs) {
  EUHandle* h = nullptr;
  ASSERT_EQ(EUInit("eu_test_init_only", &h), 0);
  ASSERT_NE(h, nullptr);
  EXPECT_NE(h->module, nullptr);
  EXPECT_EQ(h->resourceHead, nullptr);
  EXPECT_EQ(h->resourceTail, &h->resourceHead);
  int value = 0;
  char name[8];
  double d = 0.0;
  EUDataSetCollection* c = nullptr;
  const int stub = EU_E_NOT_PROVIDED;
  EXPECT_EQ(h->ops.getLibName(h, name, sizeof name), stub);
  EXPECT_EQ(h->ops.setCountType(h, 2), stub);
  EXPECT_EQ(h->ops.getCountType(h, &value), stub);
  EXPECT_EQ(h->ops.setCurveFitAlgorithm(h, EUleastSquares), stub);
  EXPECT_EQ(h->ops.setCountByteOrder(h, 2), stub);
  EXPECT_EQ(h->ops.getCountByteOrder(h, &value), stub);
  EXPECT_EQ(h->ops.counts2Volts(h, nullptr, nullptr, nullptr, 1, 1, -1, nullptr), stub);
  EXPECT_EQ(h->ops.volts2EUs(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 1, 1, -1, nullptr),
            stub);
  EXPECT_EQ(h->ops.counts2EUs(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 1,
                              1, -1, nullptr, nullptr),
            stub);
  EXPECT_EQ(h->ops.calcPolyCoefs(h, nullptr, nullptr, 1, 0, &value, &d), stub);
  EXPECT_EQ(h->ops.openDataSets(h, nullptr, &c), stub);
  EXPECT_EQ(h->ops.openDataSetsCOMM(h, nullptr, &c), stub);
  EXPECT_EQ(h->ops.getDataSet(h, c, "x", nullptr, nullptr, &value), stub);
  EXPECT_EQ(h->ops.setDataSet(h, c, "x", nullptr, nullptr, 0), stub);
  EXPECT_EQ(h->ops.updateDataSet(h, c, "x", nullptr, nullptr, 0), stub);
  EXPECT_EQ(h->ops.removeDataSet(h, c, "x"), stub);
  EXPECT_EQ(h->ops.getDataSetsIds(h, c, nullptr, &value), stub);
  EXPECT_EQ(h->ops.getNumDataSets(h, c, &value), stub);
  EXPECT_EQ(h->ops.closeDataSets(h, &c), stub);

  // The exports still work on the handle; their own table calls fail.
  EXPECT_EQ(EUsetCountType(h, EU_COUNT_UINT16), 0);
  EXPECT_EQ(EUgetCountType(h, &value), 0);
  EXPECT_EQ(value, EU_COUNT_UINT16);
  const int16_t sample = 5;
  const void* cursor = &sample;
  EXPECT_EQ(EUgetCountValue(h, &cursor, 0, 1, &d), EU_E_BYTE_ORDER);
  EXPECT_EQ(cursor, &sample);
  const double one = 1.0, zero = 0.0;
  double volts = -1.0;
  EXPECT_EQ(EUcounts2Volts(h, &sample, &one, &zero, 1, 1, -1, &volts), EU_E_BYTE_ORDER);
  EXPECT_EQ(volts, -1.0);

  // No "close": the record stays allocated and the pointer set.
  EUHandle* kept = h;
  EXPECT_EQ(EUClose(&h), 0);
  EXPECT_EQ(h, kept);
  std::free(kept);
}

TEST(EuInit, TableCallsReachTheImplementation) {
  // The override library answers "reversed bytes" whatever the handle holds,
  // so the conversions, which ask the table, swap every sample.
  EUHandle* h = nullptr;
  ASSERT_EQ(EUInit("eu_test_override", &h), 0);
  EXPECT_EQ(h->countByteOrder, EU_BYTE_ORDER_HOST);
  const unsigned char counts[4] = {0x01, 0x00, 0x00, 0x02};
  const double divisor[2] = {1.0, 1.0}, offset[2] = {0.0, 0.0};
  double volts[2] = {0.0, 0.0};
  ASSERT_EQ(EUcounts2Volts(h, counts, divisor, offset, 2, 1, -1, volts), 0);
  EXPECT_EQ(volts[0], 256.0);
  EXPECT_EQ(volts[1], 2.0);
  EUHandle* kept = h;
  EXPECT_EQ(EUClose(&h), 0);
  std::free(kept);
}

TEST(EuClose, NoHandle) {
  EUHandle* h = nullptr;
  EXPECT_EQ(EUClose(&h), EU_E_NO_HANDLE);
  EXPECT_EQ(EUClose(nullptr), EU_E_NO_HANDLE);
}

TEST(OperationTable, NamesInTableOrder) {
  const char* const expected[EU_OPERATION_COUNT] = {
      "getLibName",       "setCountType", "getCountType",  "setCurveFitAlgorithm", "setCountByteOrder",
      "getCountByteOrder", "counts2Volts", "volts2EUs",     "counts2EUs",           "calcPolyCoefs",
      "openDataSets",     "openDataSetsCOMM", "getDataSet", "setDataSet",           "updateDataSet",
      "removeDataSet",    "getDataSetsIds", "getNumDataSets", "closeDataSets"};
  for (int i = 0; i < EU_OPERATION_COUNT; ++i) EXPECT_STREQ(orvela::eu::kOperationNames[i], expected[i]) << i;
}

// ---- Resource list -------------------------------------------------------

std::vector<int>* g_destroyed = nullptr;

void RecordDestroyed(void* payload) { g_destroyed->push_back(*static_cast<int*>(payload)); }

class ResourceListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_destroyed = &destroyed_;
    InitResourceList(&h_);
  }
  void TearDown() override {
    ReleaseAllResources(&h_);
    g_destroyed = nullptr;
  }
  int* Add(int tag, bool with_destructor = true) {
    auto* p = static_cast<int*>(AddResource(&h_, sizeof(int), with_destructor ? RecordDestroyed : nullptr));
    if (p != nullptr) *p = tag;
    return p;
  }
  EUHandle h_{};
  std::vector<int> destroyed_;
};

TEST_F(ResourceListTest, ReleasesInCreationOrder) {
  for (int tag = 1; tag <= 4; ++tag) ASSERT_NE(Add(tag, tag != 3), nullptr);
  ReleaseAllResources(&h_);
  EXPECT_EQ(destroyed_, (std::vector<int>{1, 2, 4}));
  EXPECT_EQ(h_.resourceHead, nullptr);
  EXPECT_EQ(h_.resourceTail, &h_.resourceHead);
}

TEST_F(ResourceListTest, PayloadIsZeroedAndAligned) {
  auto* p = static_cast<unsigned char*>(AddResource(&h_, 64, nullptr));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(std::max_align_t), 0u);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(p[i], 0) << i;
  EXPECT_EQ(h_.resourceHead->release, h_.resourceRelease);
}

TEST_F(ResourceListTest, ReleaseOneKeepsTheListWhole) {
  struct Case {
    const char* name;
    int released;  // which of the three blocks (0, 1, 2)
    std::vector<int> remaining_order;
  };
  const Case cases[] = {
      {"first", 0, {2, 3, 4}},
      {"middle", 1, {1, 3, 4}},
      {"last", 2, {1, 2, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int* blocks[3] = {Add(1), Add(2), Add(3)};
    EXPECT_TRUE(ReleaseResource(&h_, blocks[c.released]));
    EXPECT_EQ(destroyed_, (std::vector<int>{c.released + 1}));
    EXPECT_FALSE(ReleaseResource(&h_, blocks[c.released]));
    // A block appended afterwards must land at the end of the list.
    Add(4);
    destroyed_.clear();
    ReleaseAllResources(&h_);
    EXPECT_EQ(destroyed_, c.remaining_order);
    destroyed_.clear();
  }
  int stranger = 0;
  EXPECT_FALSE(ReleaseResource(&h_, &stranger));
  EXPECT_FALSE(ReleaseResource(&h_, nullptr));
}

EUHandle* g_list_owner = nullptr;

void AddsAnotherBlock(void* payload) {
  RecordDestroyed(payload);
  auto* p = static_cast<int*>(AddResource(g_list_owner, sizeof(int), RecordDestroyed));
  if (p != nullptr) *p = *static_cast<int*>(payload) * 10;
}

TEST_F(ResourceListTest, DestructorMayAddBlocksWhileTheListIsReleased) {
  g_list_owner = &h_;
  auto* p = static_cast<int*>(AddResource(&h_, sizeof(int), AddsAnotherBlock));
  *p = 1;
  Add(2);
  ReleaseAllResources(&h_);
  EXPECT_EQ(destroyed_, (std::vector<int>{1, 2, 10}));
  EXPECT_EQ(h_.resourceHead, nullptr);
  g_list_owner = nullptr;
}

TEST_F(ResourceListTest, RefusesWhatCannotBeAllocated) {
  EXPECT_EQ(AddResource(&h_, SIZE_MAX, nullptr), nullptr);
  EXPECT_EQ(AddResource(nullptr, 8, nullptr), nullptr);
  EUHandle unopened{};  // never through EUInit: no list yet
  EXPECT_EQ(AddResource(&unopened, 8, nullptr), nullptr);
  EXPECT_EQ(h_.resourceHead, nullptr);
}

TEST_F(ResourceListTest, EUCloseRunsEveryDestructorInCreationOrderFirst) {
  EUHandle* h = nullptr;
  ASSERT_EQ(EUInit("basalt", &h), 0);
  for (int tag = 1; tag <= 3; ++tag) {
    auto* p = static_cast<int*>(AddResource(h, sizeof(int), RecordDestroyed));
    ASSERT_NE(p, nullptr);
    *p = tag;
  }
  EXPECT_EQ(EUClose(&h), 0);
  EXPECT_EQ(h, nullptr);
  EXPECT_EQ(destroyed_, (std::vector<int>{1, 2, 3}));
}

TEST(ResultCodes, EveryCodeHasItsOwnMessage) {
  struct Code {
    int value;
    const char* text;
  };
  const Code codes[] = {
#define EU_TEST_CODE_(symbol, value, text) {value, text},
      EU_CODES(EU_TEST_CODE_)
#undef EU_TEST_CODE_
  };
  for (size_t i = 0; i < sizeof codes / sizeof codes[0]; ++i) {
    EXPECT_STREQ(orvela::eu::ResultText(codes[i].value), codes[i].text);
    EXPECT_GT(std::string(codes[i].text).size(), 0u);
    for (size_t j = 0; j < i; ++j) EXPECT_NE(codes[i].value, codes[j].value) << codes[i].text;
  }
  EXPECT_STREQ(orvela::eu::ResultText(-12), "unknown result code");
  EXPECT_STREQ(orvela::eu::ResultText(1), "unknown result code");
}

}  // namespace
