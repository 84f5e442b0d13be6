// Tests of KEPRSetSample: sample sets of the DATA payload and nothing else.
#include <gtest/gtest.h>

#include <cmath>

#include "container_fixture.h"
#include "kepr.h"

namespace orvela::kepr::testing {
namespace {

// A two-channel file with 1000 bytes of samples (250 sets of 4 bytes) and a
// chunk after DATA, whose bytes must never come back as samples.
class KeprSetSampleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 1000; ++i) samples_.push_back(static_cast<uint8_t>(i * 3));
    file_.Write(KeprFile(Concat(Chunk("CONF", ConfPayload(TwoChannels(), 1000.0, 1)), Chunk("DATA", samples_),
                                Chunk("TAIL", Bytes(8, 0xEE)))));
    ::testing::internal::CaptureStdout();
    ParseFile(file_.path(), &parsed_);
    ::testing::internal::GetCapturedStdout();
    ASSERT_EQ(parsed_.rc, 1);
    ASSERT_EQ(parsed_.file.result.kepr.dataLength, 1000);
  }

  ScratchFile file_;
  Bytes samples_;
  Parsed parsed_;
};

TEST_F(KeprSetSampleTest, ReadsWholeSetsOfTheDataPayload) {
  struct Case {
    double index;
    int rc;
    size_t first_byte;  // offset in the DATA payload when rc is 1
  };
  const Case cases[] = {
      {0, 1, 0},   {3, 1, 12},   {3.7, 1, 12}, {249, 1, 996},  // the last whole set
      {250, 0, 0}, {1e12, 0, 0}, {-1, 0, 0},   {-0.5, 0, 0},  {NAN, 0, 0}, {INFINITY, 0, 0},
  };
  for (const Case& c : cases) {
    uint8_t buffer[6] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    EXPECT_EQ(KEPRSetSample(c.index, &parsed_.file, buffer), c.rc) << "index " << c.index;
    if (c.rc == 1) {
      EXPECT_EQ(Bytes(buffer, buffer + 4),
                Bytes(samples_.begin() + c.first_byte, samples_.begin() + c.first_byte + 4))
          << "index " << c.index;
    }
    EXPECT_EQ(buffer[4], 0xAA) << "only one set is written";
  }
}

TEST_F(KeprSetSampleTest, RefusesWhatIsNotAParsedKeprFile) {
  uint8_t buffer[4];
  EXPECT_EQ(KEPRSetSample(0, nullptr, buffer), 0);
  EXPECT_EQ(KEPRSetSample(0, &parsed_.file, nullptr), 0);
  KEPRReadHandle other = parsed_.file;
  other.result.formType = KEPR_FORM_STRM;
  EXPECT_EQ(KEPRSetSample(0, &other, buffer), 0);
  other = parsed_.file;
  other.result.kepr.channelCount = 0;
  EXPECT_EQ(KEPRSetSample(0, &other, buffer), 0);
  other.result.kepr.channelCount = -3;
  EXPECT_EQ(KEPRSetSample(0, &other, buffer), 0);
}

TEST_F(KeprSetSampleTest, FailedSeekIsReported) {
  KEPRReadHandle closed = parsed_.file;
  closed.handle = -1;
  uint8_t buffer[4];
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(KEPRSetSample(1, &closed, buffer), 0);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "file des -1\n");
  EXPECT_NE(err.find("lseek failure"), std::string::npos) << err;
}

TEST_F(KeprSetSampleTest, ShortReadIsReported) {
  file_.Write(Bytes(100, 0));  // the file shrank under the parse result
  uint8_t buffer[4];
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(KEPRSetSample(200, &parsed_.file, buffer), 0);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("read failure"), std::string::npos) << err;
}

}  // namespace
}  // namespace orvela::kepr::testing
