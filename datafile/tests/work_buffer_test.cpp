// The little-endian puts into the write work buffer.
#include "work_buffer.h"

#include "writer_fixture.h"

namespace orvela::tavio::testing {
namespace {

TEST(WorkBufferTest, PutsStoreLittleEndianAndAdvance) {
  unsigned int offset = 10;
  ASSERT_EQ(TAVIO_PutUShort(0x12345, &offset), 0);
  EXPECT_EQ(offset, 12u);
  ASSERT_EQ(TAVIO_PutDouble(1.0, &offset), 0);
  EXPECT_EQ(offset, 20u);
  const uint8_t* b = WriteContext().buffer.data();
  EXPECT_EQ(Bytes(b + 10, b + 20), (Bytes{0x45, 0x23, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
}

TEST(WorkBufferTest, PutsPastTheBufferAreRefused) {
  const struct {
    unsigned int offset;
    int ushort_rc, double_rc;
  } cases[] = {
      {static_cast<unsigned int>(kWorkBufferBytes - 8), 0, 0},
      {static_cast<unsigned int>(kWorkBufferBytes - 2), 0, TAVIO_E_INDEX},
      {static_cast<unsigned int>(kWorkBufferBytes - 1), TAVIO_E_INDEX, TAVIO_E_INDEX},
      {0xFFFFFFFFu, TAVIO_E_INDEX, TAVIO_E_INDEX},
  };
  for (const auto& c : cases) {
    unsigned int offset = c.offset;
    EXPECT_EQ(TAVIO_PutUShort(1, &offset), c.ushort_rc) << c.offset;
    EXPECT_EQ(offset, c.offset + (c.ushort_rc == 0 ? 2u : 0u));
    offset = c.offset;
    EXPECT_EQ(TAVIO_PutDouble(1.0, &offset), c.double_rc) << c.offset;
  }
  EXPECT_EQ(TAVIO_PutUShort(1, nullptr), TAVIO_E_INDEX);
  uint8_t small[5] = {};
  BufferWriter w(small, sizeof small);
  EXPECT_TRUE(w.PutU32(7));
  EXPECT_FALSE(w.PutU16(7));
  EXPECT_FALSE(w.PutU8(7)) << "a failed writer refuses later puts";
  EXPECT_FALSE(w.Ok());
}

}  // namespace
}  // namespace orvela::tavio::testing
