// Tests of DBFInit and DBFClose against the test plug-ins.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shaper.h"
#include "test_plugin.h"

namespace {

constexpr const char* kFull = "orvtest-shaper-full";
constexpr const char* kNoInit = "orvtest-shaper-noinit";
constexpr const char* kNoClose = "orvtest-shaper-noclose";

void* const kUntouched = reinterpret_cast<void*>(0xDEAD);

struct InitCase {
  const char* label;
  std::string url;
  int rc;
  bool creates;     // init stores an object in out
  bool module_set;  // DBFInit writes the plug-in's module into it
  const char* plugin;
};

class DBFInitTest : public ::testing::TestWithParam<InitCase> {};

TEST_P(DBFInitTest, CreatesThroughTheSchemesLibrary) {
  const InitCase& c = GetParam();
  void* out = kUntouched;
  ASSERT_EQ(DBFInit(c.url.c_str(), &out, nullptr), c.rc);
  if (!c.creates) {
    EXPECT_EQ(out, kUntouched);
    return;
  }
  ASSERT_NE(out, kUntouched);
  ASSERT_NE(out, nullptr);
  auto* object = static_cast<TestPluginObject*>(out);
  if (c.module_set) {
    EXPECT_EQ(object->module, LibLoader(c.plugin));
    EXPECT_NE(object->module, nullptr);
  } else {
    EXPECT_EQ(object->module, ORVTEST_MODULE_UNSET);
  }
  if (c.plugin == std::string(kFull)) {
    EXPECT_STREQ(object->host, c.url.substr(c.url.find("://") + 3).c_str());
    // Give the object back to its plug-in whatever DBFInit returned.
    object->module = LibLoader(kFull);
    EXPECT_EQ(DBFClose(&out), 0);
    EXPECT_EQ(out, nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Urls, DBFInitTest,
    ::testing::Values(
        InitCase{"plugin_object", std::string(kFull) + "://DataSets", 0, true, true, kFull},
        InitCase{"positive_code_passed_through", std::string(kFull) + "://5", 5, true, true, kFull},
        InitCase{"negative_code_passed_through", std::string(kFull) + "://-3", -3, true, false, kFull},
        InitCase{"plugin_without_close", std::string(kNoClose) + "://x", 0, true, true, kNoClose},
        InitCase{"scheme_names_no_library", "orvtest-shaper-missing://DataSets", -1, false, false, nullptr},
        InitCase{"url_without_separator", std::string(kFull) + ":DataSets", -1, false, false, nullptr},
        InitCase{"scheme_too_long", std::string(40, 'q') + "://DataSets", -1, false, false, nullptr},
        InitCase{"plugin_without_init", std::string(kNoInit) + "://DataSets", -2, false, false, nullptr}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(DBFInit, PassesTheParentAndMayHandItBack) {
  TestPluginObject parent{};
  void* child = nullptr;
  ASSERT_EQ(DBFInit((std::string(kFull) + "://child").c_str(), &child, &parent), 0);
  EXPECT_EQ(static_cast<TestPluginObject*>(child)->parent, &parent);

  // The plug-in returns the parent itself; DBFInit writes the module into it again.
  void* same = nullptr;
  ASSERT_EQ(DBFInit((std::string(kFull) + "://parent").c_str(), &same, &parent), 0);
  EXPECT_EQ(same, &parent);
  EXPECT_EQ(parent.module, LibLoader(kFull));
  EXPECT_EQ(DBFClose(&child), 0);
}

TEST(DBFClose, NullObjectGivesMinusFive) {
  void* object = nullptr;
  EXPECT_EQ(DBFClose(&object), -5);
  EXPECT_EQ(DBFClose(nullptr), -5);
}

TEST(DBFClose, PluginDecidesWhetherTheObjectDies) {
  void* object = nullptr;
  ASSERT_EQ(DBFInit((std::string(kFull) + "://keep").c_str(), &object, nullptr), 0);
  void* const kept = object;
  EXPECT_EQ(DBFClose(&object), 7) << "close's code is passed through";
  EXPECT_EQ(object, kept);
  EXPECT_EQ(static_cast<TestPluginObject*>(object)->close_calls, 1);
  // Let the plug-in free it for real.
  std::strcpy(static_cast<TestPluginObject*>(object)->host, "done");
  EXPECT_EQ(DBFClose(&object), 0);
  EXPECT_EQ(object, nullptr);
}

TEST(DBFClose, PluginWithoutCloseLeavesTheObject) {
  void* object = nullptr;
  ASSERT_EQ(DBFInit((std::string(kNoClose) + "://x").c_str(), &object, nullptr), 0);
  void* const before = object;
  EXPECT_EQ(DBFClose(&object), 0);
  EXPECT_EQ(object, before);
}

TEST(DBFClose, ObjectWithoutModuleIsLeftAlone) {
  TestPluginObject orphan{};
  void* object = &orphan;
  EXPECT_EQ(DBFClose(&object), 0);
  EXPECT_EQ(object, &orphan);
}

}  // namespace
