// Setting and replacing environment values.
#include "environment.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace orvela::platform {
namespace {

TEST(Environment, SetAndReplace) {
  ASSERT_TRUE(SetEnvironmentValue("ORV_ENV_TEST", "/one"));
  EXPECT_STREQ(std::getenv("ORV_ENV_TEST"), "/one");
  ASSERT_TRUE(SetEnvironmentValue("ORV_ENV_TEST", ""));
  EXPECT_STREQ(std::getenv("ORV_ENV_TEST"), "");
  EXPECT_FALSE(SetEnvironmentValue("BAD=NAME", "x"));  // a name may not hold "="
  unsetenv("ORV_ENV_TEST");
}

}  // namespace
}  // namespace orvela::platform
