// Shared helpers of the reader tests: hand-built fixed and keyed headers,
// scan blocks, and a fixture that leaves no read file open.
#ifndef TAVIO_TESTS_READ_FIXTURE_H
#define TAVIO_TESTS_READ_FIXTURE_H

#include <fstream>
#include <string>
#include <vector>

#include "bcd_stamp.h"
#include "writer_fixture.h"

namespace orvela::tavio::testing {

// What a hand-built fixed header says; empty lists give the writer's
// defaults for every channel.
struct HeaderFields {
  uint16_t channels = 2;
  uint32_t samples = 4;
  uint16_t style = 4;
  uint32_t clock = 100;
  bool enhanced = false;
  std::vector<uint16_t> segments;  // enhanced only
  uint32_t last_sub = 0;
  std::vector<std::string> names, units, types, refs;
  bool ref_list = true;
  std::vector<double> cpv, offsets, adders;
  std::vector<uint16_t> orders;
  std::vector<std::vector<double>> coefficients;  // per channel, up to 10
};

inline std::string Item(const std::vector<std::string>& items, std::size_t i, const std::string& fallback) {
  return i < items.size() ? items[i] : fallback;
}

inline double Value(const std::vector<double>& values, std::size_t i, double fallback) {
  return i < values.size() ? values[i] : fallback;
}

// The fixed header these fields describe: first part, 1000-byte block,
// separator, four lists and the numeric blocks.
inline Bytes FixedHeader(const HeaderFields& h) {
  ByteBuilder b;
  const std::size_t n = h.channels;
  b.U16(h.channels).U32(h.samples).U16(h.style).U16(0).U32(h.clock);
  const std::size_t block_start = b.bytes.size();
  b.U8(h.enhanced ? 1 : 0);
  if (h.enhanced) {
    b.U8(static_cast<uint8_t>(h.segments.size()));
    for (uint16_t s : h.segments) b.U16(s);
  }
  b.U8(1).F64(1.0).U8(0).U32(h.last_sub);
  b.Zeros(1000 - (b.bytes.size() - block_start));
  b.U8(0);
  for (std::size_t i = 0; i < n; ++i) {
    b.Text(Item(h.names, i, "Ch" + std::to_string(i + 1)));
    b.U8(i + 1 < n ? 9 : 11);
  }
  for (const auto* list : {&h.units, &h.types}) {
    const std::string fallback = list == &h.units ? "Volts" : "Polynomial";
    for (std::size_t i = 0; i < n; ++i) b.U8(9).Text(Item(*list, i, fallback));
    b.U8(11);
  }
  if (h.ref_list) {
    b.Text("TC_Ref");
    for (std::size_t i = 0; i < n; ++i) b.U8(9).Text(Item(h.refs, i, ""));
    b.U8(11);
  }
  for (std::size_t i = 0; i < n; ++i) b.F64(Value(h.cpv, i, 2675.0));
  for (std::size_t i = 0; i < n; ++i) b.F64(Value(h.offsets, i, 32767.0));
  for (int m = 0; m < 10; ++m)
    for (std::size_t i = 0; i < n; ++i) b.F64(m == 0 ? -10.0 : m == 1 ? 10.0 : 0.0);
  for (int m = 0; m < 10; ++m)
    for (std::size_t i = 0; i < n; ++i) b.F64(m == 0 ? -10.0 : m == 1 ? 10.0 : 0.0);
  for (int m = 0; m < 10; ++m) {
    for (std::size_t i = 0; i < n; ++i) {
      const std::vector<double> own = i < h.coefficients.size() ? h.coefficients[i] : std::vector<double>{0.0, 1.0};
      b.F64(static_cast<std::size_t>(m) < own.size() ? own[static_cast<std::size_t>(m)] : 0.0);
    }
  }
  for (std::size_t i = 0; i < n; ++i) b.U16(i < h.orders.size() ? h.orders[i] : 1);
  for (std::size_t i = 0; i < n; ++i) b.F64(Value(h.adders, i, 0.0));
  return b.bytes;
}

// Word of channel c (0-based) in sample set k of the test recordings.
inline uint16_t TestWord(int k, int c) { return static_cast<uint16_t>(1000 * (c + 1) + k); }

// `scans` "Velmont" scan blocks of n channels and s sets, the first with
// `stamp`, later ones with zero stamps; words from TestWord.
inline Bytes VelmontScans(int n, int s, int scans, const BcdStamp& stamp) {
  ByteBuilder b;
  for (int scan = 0; scan < scans; ++scan) {
    if (scan == 0) b.Append(Bytes(stamp.begin(), stamp.end()));
    else b.Zeros(24);
    for (int k = scan * s; k < (scan + 1) * s; ++k)
      for (int c = 0; c < n; ++c) b.U16(TestWord(k, c));
  }
  return b.bytes;
}

// A keyed header record.
inline ByteBuilder& Key(ByteBuilder& b, const std::string& key, const Bytes& payload) {
  b.U8(static_cast<uint8_t>(key.size())).Text(key).U32(static_cast<uint32_t>(payload.size())).Append(payload);
  return b;
}

class ReaderTest : public WriterTest {
 protected:
  void SetUp() override {
    WriterTest::SetUp();
    if (g_read_open) TAVIO_CloseReadFile();
  }
  void TearDown() override {
    if (g_read_open) TAVIO_CloseReadFile();
    WriterTest::TearDown();
  }
  std::string WriteFile(const std::string& name, const Bytes& bytes) const {
    const std::string path = Path(name);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  static double Sample(int mode, double k, int ch) {
    double v = -1.0;
    EXPECT_EQ(TAVIO_GetSingleSampleExtended(mode, k, ch, &v), 0) << "k " << k << " ch " << ch;
    return v;
  }
};

}  // namespace orvela::tavio::testing

#endif
