// Tests of LibLoader: bare names resolved beside ostrel.so, and name limits.
#include <gtest/gtest.h>

#include <string>

#include "ostrel.h"

namespace {

const std::string kLongest = ORVTEST_LONGEST_NAME;  // 59 characters, and a library exists

struct LoaderCase {
  const char* label;
  std::string name;
  bool loads;
};

class LibLoaderTest : public ::testing::TestWithParam<LoaderCase> {};

TEST_P(LibLoaderTest, LoadsOrRefuses) {
  const LoaderCase& c = GetParam();
  void* module = LibLoader(c.name.c_str());
  if (c.loads) {
    EXPECT_NE(module, nullptr);
    EXPECT_EQ(module, LibLoader(c.name.c_str())) << "a loaded library comes back again";
  } else {
    EXPECT_EQ(module, nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, LibLoaderTest,
    ::testing::Values(LoaderCase{"sibling", "orvtest_ostrel_probe", true},
                      LoaderCase{"itself", "ostrel", true},
                      LoaderCase{"missing", "orvtest_no_such_library", false}, LoaderCase{"empty", "", false},
                      LoaderCase{"with_extension", "orvtest_ostrel_probe.so", false},
                      LoaderCase{"longest_59", kLongest, true},
                      // A library of this name exists too: the name is refused, not cut to 59.
                      LoaderCase{"too_long_60", kLongest + "x", false},
                      LoaderCase{"very_long_200", std::string(200, 'z'), false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(LibLoader, NullNameGivesNull) {
  EXPECT_EQ(LibLoader(nullptr), nullptr);
}

TEST(LibLoader, LongestNameIsFiftyNineCharacters) {
  EXPECT_EQ(kLongest.size(), size_t{OSTREL_NAME_MAX});
}

}  // namespace
