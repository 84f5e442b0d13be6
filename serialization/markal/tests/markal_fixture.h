// Helpers of the markal tests: a format object, memory channels and the
// recorder plug-in's log.
#ifndef MARKAL_TESTS_FIXTURE_H
#define MARKAL_TESTS_FIXTURE_H

#include <gtest/gtest.h>

#include <string>

#include "comm.h"
#include "dynlib.h"
#include "markal.h"
#include "serialize.h"

class MarkalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SerializeCreate("markal://", &format_), 0);
    void* recorder = LibLoader("orvtestrec");
    ASSERT_NE(recorder, nullptr);
    log_ = reinterpret_cast<const char* (*)(int)>(orvela::platform::ResolveSymbol(recorder, "orvtest_recorder_log"));
    ASSERT_NE(log_, nullptr);
    log_(1);
  }
  void TearDown() override { SerializeDestroy(&format_); }

  SerializeFormat* f() { return static_cast<SerializeFormat*>(format_); }

  // Reads `text` into a fresh format object; the messages on standard error
  // go to *messages.
  int Read(const std::string& text, std::string* messages = nullptr, void** data = nullptr,
           const char** type_url = nullptr) {
    void* channel = nullptr;
    EXPECT_EQ(CommGetMemoryHandle(text.data(), static_cast<int>(text.size()), &channel), 0);
    ::testing::internal::CaptureStderr();
    void* d = nullptr;
    const char* u = nullptr;
    const int rc = f()->read(f(), data != nullptr ? data : &d, type_url != nullptr ? type_url : &u,
                             static_cast<CommHandle*>(channel));
    const std::string err = ::testing::internal::GetCapturedStderr();
    if (messages != nullptr) *messages = err;
    CommFreeHandle(&channel);
    return rc;
  }

  // Writes the object tree of `type_url` to a memory channel; *text gets it.
  int Write(const char* type_url, std::string* text) {
    void* channel = nullptr;
    EXPECT_EQ(CommGetMemoryHandle(nullptr, 0, &channel), 0);
    const int rc = f()->write(f(), nullptr, type_url, static_cast<CommHandle*>(channel));
    const char* bytes = nullptr;
    int size = 0;
    CommMemoryContents(channel, &bytes, &size);
    text->assign(bytes, static_cast<size_t>(size));
    CommFreeHandle(&channel);
    return rc;
  }

  std::string Log() { return log_(1); }

  void* format_ = nullptr;
  const char* (*log_)(int) = nullptr;
};

#endif
