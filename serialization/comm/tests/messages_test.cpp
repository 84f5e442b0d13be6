// Tests of the message queue of a channel.
#include <gtest/gtest.h>

#include <string>

#include "comm.h"

namespace {

class MessagesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CommGetMemoryHandle(nullptr, 0, &handle_), 0); }
  void TearDown() override { CommFreeHandle(&handle_); }
  CommHandle* h() { return static_cast<CommHandle*>(handle_); }
  void* handle_ = nullptr;
};

TEST_F(MessagesTest, QueueKeepsOrderTypesAndAppendedBytes) {
  int size = -1;
  char buffer[16];
  EXPECT_EQ(CommBaseGetMessageSize(h(), &size), COMM_E_EMPTY);
  EXPECT_EQ(CommBaseSendMessageAppend(h(), "x", 1), COMM_E_EMPTY);
  ASSERT_EQ(CommBaseSendMessage(h(), 7, "abc", 3), 0);
  ASSERT_EQ(CommBaseSendMessage(h(), 9, "de", 2), 0);
  ASSERT_EQ(CommBaseSendMessageAppend(h(), "fg", 2), 0);
  ASSERT_EQ(CommBaseGetMessageSize(h(), &size), 0);
  EXPECT_EQ(size, 3);
  int type = 0;
  EXPECT_EQ(CommBaseGetMessage(h(), &type, buffer, 2), COMM_E_SMALL);  // stays queued
  ASSERT_EQ(CommBaseGetMessage(h(), &type, buffer, sizeof buffer), 3);
  EXPECT_EQ(type, 7);
  EXPECT_EQ(std::string(buffer, 3), "abc");
  ASSERT_EQ(CommBaseGetMessage(h(), &type, buffer, sizeof buffer), 4);
  EXPECT_EQ(type, 9);
  EXPECT_EQ(std::string(buffer, 4), "defg");
  EXPECT_EQ(CommBaseGetMessage(h(), &type, buffer, sizeof buffer), COMM_E_EMPTY);
}

TEST_F(MessagesTest, RefusesForeignHandlesAndBadSizes) {
  CommHandle fake{};
  int size = 0;
  EXPECT_EQ(CommBaseSendMessage(&fake, 1, "a", 1), COMM_E_ARGUMENT);
  EXPECT_EQ(CommBaseSendMessage(nullptr, 1, "a", 1), COMM_E_ARGUMENT);
  EXPECT_EQ(CommBaseSendMessage(h(), 1, "a", -1), COMM_E_ARGUMENT);
  EXPECT_EQ(CommBaseGetMessageSize(&fake, &size), COMM_E_ARGUMENT);
  EXPECT_EQ(CommBaseGetMessage(h(), nullptr, nullptr, 4), COMM_E_ARGUMENT);
}

}  // namespace
