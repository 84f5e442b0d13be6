// Tests of format object creation and release.
#include <gtest/gtest.h>

#include "serialize.h"

namespace {

TEST(SerializeCreate, MakesTheXmlFormatObjectOrPassesTheRegistryCode) {
  struct Case {
    const char* url;
    int code;
  } cases[] = {{"markal://", 0}, {"orvtestnone://", -1}, {"not a url", -1}, {nullptr, -1}};
  for (const Case& c : cases) {
    void* serializer = nullptr;
    EXPECT_EQ(SerializeCreate(c.url, &serializer), c.code) << (c.url ? c.url : "null");
    if (c.code == 0) {
      auto* f = static_cast<SerializeFormat*>(serializer);
      ASSERT_NE(f, nullptr);
      EXPECT_NE(f->module, nullptr);
      EXPECT_NE(f->read, nullptr);
      EXPECT_NE(f->write, nullptr);
    }
    SerializeDestroy(&serializer);
    EXPECT_EQ(serializer, nullptr);
  }
  SerializeDestroy(nullptr);
}

}  // namespace
