// The time base of the file being read and the time of its samples.
#include <cmath>

#include "read_fixture.h"

namespace orvela::tavio::testing {
namespace {

class SampleTimeTest : public ReaderTest {};

constexpr double kFeb1 = 31 * 86400.0 + 9 * 3600.0 + 5 * 60.0 + 7.0;

TEST_F(SampleTimeTest, VelmontStampsSetTheTimeBase) {
  HeaderFields h;
  h.channels = 1;
  h.samples = 200;
  h.clock = 100;
  ByteBuilder b;
  b.Append(FixedHeader(h));
  const BcdStamp first = StampFromFields(31, 9, 5, 7, 1234);
  const BcdStamp later = StampFromFields(31, 10, 0, 0, 0);
  for (int scan = 0; scan < 3; ++scan) {
    const BcdStamp stamp = scan == 0 ? first : scan == 2 ? later : BcdStamp{};
    b.Append(Bytes(stamp.begin(), stamp.end())).Zeros(400);
  }
  ASSERT_EQ(TAVIO_ReadDataFile(WriteFile("t.dat", b.bytes).c_str()), 0);
  struct Case {
    double k;
    double seconds;
  };
  const Case cases[] = {
      {0, kFeb1 + 0.1234},
      {250, kFeb1 + 0.1234 + 2.5},  // the second scan's stamp is unset
      {450, 31 * 86400.0 + 10 * 3600.0 + 0.5},
      {50, kFeb1 + 0.1234 + 0.5},  // loading the first block again
  };
  for (const Case& c : cases) {
    ASSERT_EQ(TAVIO_SetSample(c.k), 0);
    double t = 0.0;
    ASSERT_EQ(TAVIO_GetCurrentSampleTimeInSeconds(&t), 0);
    EXPECT_NEAR(t, c.seconds, 1e-6) << c.k;
  }
  ASSERT_EQ(TAVIO_SetSample(250), 0);
  int days = 0, hours = 0, minutes = 0;
  double seconds = 0.0;
  ASSERT_EQ(TAVIO_GetCurrentSampleTime(&days, &hours, &minutes, &seconds), 0);
  EXPECT_EQ(days, 31);
  EXPECT_EQ(hours, 9);
  EXPECT_EQ(minutes, 5);
  EXPECT_NEAR(seconds, 9.6234, 1e-6);
  EXPECT_EQ(TAVIO_GetCurrentSampleTime(&days, nullptr, &minutes, &seconds), TAVIO_E_INDEX);
}

TEST_F(SampleTimeTest, EnhancedFilesTakeTheirDataHeaderStamp) {
  HeaderFields h;
  h.channels = 1;
  h.samples = 10;
  h.clock = 10;
  h.enhanced = true;
  h.segments = {1};
  const BcdStamp stamp = StampFromFields(0, 0, 1, 0, 5000);
  ByteBuilder b;
  b.Append(FixedHeader(h)).Append(Bytes(stamp.begin(), stamp.end())).Zeros(40);
  ASSERT_EQ(TAVIO_ReadDataFile(WriteFile("e.dat", b.bytes).c_str()), 0);
  ASSERT_EQ(TAVIO_SetSample(15), 0);
  double t = 0.0;
  ASSERT_EQ(TAVIO_GetCurrentSampleTimeInSeconds(&t), 0);
  EXPECT_NEAR(t, 60.5 + 1.5, 1e-9);
}

TEST_F(SampleTimeTest, UndefinedTimesDoNotOverflow) {
  HeaderFields h;
  h.channels = 1;
  h.clock = 0;  // no clock rate: the period is infinite
  ByteBuilder b;
  b.Append(FixedHeader(h)).Append(VelmontScans(1, 4, 1, StampFromFields(1, 0, 0, 0, 0)));
  ASSERT_EQ(TAVIO_ReadDataFile(WriteFile("z.dat", b.bytes).c_str()), 0);
  ASSERT_EQ(TAVIO_SetSample(2), 0);
  int days = 0, hours = 0, minutes = 0;
  double seconds = 0.0;
  EXPECT_EQ(TAVIO_GetCurrentSampleTime(&days, &hours, &minutes, &seconds), 0);
  ASSERT_EQ(TAVIO_SetSample(0), 0);
  EXPECT_EQ(TAVIO_GetCurrentSampleTime(&days, &hours, &minutes, &seconds), 0);
}

}  // namespace
}  // namespace orvela::tavio::testing
