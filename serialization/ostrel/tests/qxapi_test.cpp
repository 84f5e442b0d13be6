// Tests of the QxApi record interface.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "ostrel.h"

namespace {

QxApiRecord DirtyRecord() {
  QxApiRecord rec;
  std::memset(&rec, 0x5A, sizeof rec);
  return rec;
}

TEST(QxApiInit, ZeroesPointerReservedWordsAndModule) {
  QxApiRecord rec = DirtyRecord();
  EXPECT_EQ(QxApiInit(&rec), 0);
  EXPECT_EQ(rec.pointer, nullptr);
  EXPECT_EQ(rec.reserved[0], 0u);
  EXPECT_EQ(rec.reserved[1], 0u);
  EXPECT_EQ(rec.module, nullptr);
}

TEST(QxApi, FixedResults) {
  QxApiRecord rec = DirtyRecord();
  EXPECT_EQ(QxApi_Not_Implemented(), -11);
  EXPECT_EQ(QxApiAddError(&rec, "caller", "callee", -3), 0);
  EXPECT_EQ(QxApiAddError(nullptr, nullptr, nullptr, 0), 0);
}

struct DecodeCase {
  const char* label;
  const char* url;
  bool with_out;
  int rc;
};

class QxApiDecodeUrlTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(QxApiDecodeUrlTest, DecodesIntoTheRecord) {
  const DecodeCase& c = GetParam();
  QxApiRecord rec = DirtyRecord();
  QxApiInit(&rec);
  DecodedUrl* out = nullptr;
  ASSERT_EQ(QxApiDecodeUrl(&rec, c.url, c.with_out ? &out : nullptr), c.rc);
  if (c.with_out) {
    EXPECT_EQ(out, &rec.url) << "out points at the record's URL on success and failure";
  }
  if (c.rc == 0) {
    EXPECT_EQ(rec.pointer, &rec.url);
    EXPECT_STREQ(rec.url.scheme, "calnest");
    EXPECT_STREQ(rec.url.host, "DataSets");
  } else {
    EXPECT_EQ(rec.pointer, nullptr);
    EXPECT_EQ(rec.url.scheme[0], '\0');
  }
}

INSTANTIATE_TEST_SUITE_P(Urls, QxApiDecodeUrlTest,
                         ::testing::Values(DecodeCase{"good_with_out", "calnest://DataSets", true, 0},
                                           DecodeCase{"good_without_out", "calnest://DataSets", false, 0},
                                           DecodeCase{"bad_with_out", "no separator", true, -1},
                                           DecodeCase{"bad_without_out", "no separator", false, -1}),
                         [](const auto& info) { return std::string(info.param.label); });

struct LoadCase {
  const char* label;
  const char* name;
  bool loads;
};

class QxApiLoadImplementationTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(QxApiLoadImplementationTest, ReportsFailureThroughTheModule) {
  const LoadCase& c = GetParam();
  QxApiRecord rec;
  QxApiInit(&rec);
  void* out = &rec;  // anything but null, to see it overwritten
  EXPECT_EQ(QxApiLoadImplementation(&rec, c.name, &out), 0);
  ASSERT_NE(rec.pointer, nullptr);
  EXPECT_STREQ(static_cast<const char*>(rec.pointer), c.name);
  EXPECT_NE(rec.pointer, static_cast<const void*>(c.name)) << "the record keeps its own copy";
  EXPECT_EQ(out, rec.module);
  EXPECT_EQ(rec.module == nullptr, !c.loads);
  if (c.loads) {
    EXPECT_EQ(rec.module, LibLoader(c.name));
  }
  // The record never gives its copy back; a record on the stack must.
  std::free(rec.pointer);
}

INSTANTIATE_TEST_SUITE_P(Names, QxApiLoadImplementationTest,
                         ::testing::Values(LoadCase{"sibling", "orvtest_ostrel_probe", true},
                                           LoadCase{"missing", "orvtest_no_such_library", false}),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
