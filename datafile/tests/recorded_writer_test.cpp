// Samples, stamps, padding and the pad count of recorded data files, compared
// byte for byte with layouts computed in the test; failing writes.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <numeric>

#include "bcd_stamp.h"
#include "writer_fixture.h"

namespace orvela::tavio::testing {
namespace {

constexpr std::size_t kTwoChannelHeader = 1600;

// Sample sets of two channels: set k holds the words 2k+1 and 2k+2.
Bytes TwoChannelSets(int first, int count) {
  ByteBuilder b;
  for (int k = first; k < first + count; ++k) b.U16(static_cast<uint16_t>(2 * k + 1)).U16(static_cast<uint16_t>(2 * k + 2));
  return b.bytes;
}

Bytes KnownStamp() {
  const BcdStamp s = StampFromFields(31, 9, 5, 7, 1234);
  return Bytes(s.begin(), s.end());
}

class RecordedWriterTest : public WriterTest {
 protected:
  std::string StartTwoChannels(const char* format, int type, int s) {
    const std::string path = Path("r.dat");
    EXPECT_EQ(TAVIO_CreateDataFile(format, type, path.c_str()), 0);
    EXPECT_EQ(TAVIO_SetChannelCount(2), 0);
    TAVIO_SetClockRate(100);
    TAVIO_SetNumScanSamples(s);
    UseSavedStamp(KnownStamp());
    EXPECT_EQ(TAVIO_WriteHeader(), 0);
    return path;
  }
};

TEST_F(RecordedWriterTest, TenSetsInOneOrFiveCallsGiveTheSameScans) {
  // stamp, 4 sets, zero stamp, 4 sets, zero stamp, 2 sets, 2 pad sets
  ByteBuilder pad;
  for (int i = 0; i < 4; ++i) pad.U16(32767);
  ByteBuilder data;
  data.Append(KnownStamp()).Append(TwoChannelSets(0, 4)).Zeros(24).Append(TwoChannelSets(4, 4)).Zeros(24);
  data.Append(TwoChannelSets(8, 2)).Append(pad.bytes);

  for (int calls : {1, 5}) {
    const std::string path = StartTwoChannels("Velmont", 0, 4);
    const Bytes sets = TwoChannelSets(0, 10);
    const std::size_t step = sets.size() / static_cast<std::size_t>(calls);
    for (std::size_t at = 0; at < sets.size(); at += step)
      ASSERT_EQ(TAVIO_WriteBytes(sets.data() + at, static_cast<int>(step)), 0);
    EXPECT_EQ(WriteContext().total_sets, 10.0);
    ASSERT_EQ(TAVIO_CloseWriteFile(), 0);
    const Bytes file = ReadWholeFile(path);
    ASSERT_EQ(file.size(), kTwoChannelHeader + data.bytes.size()) << calls;
    EXPECT_EQ(U32At(file, 25), 2u);
    EXPECT_EQ(Bytes(file.begin() + kTwoChannelHeader, file.end()), data.bytes) << calls << " calls";
  }
}

TEST_F(RecordedWriterTest, ScanBoundariesAndPadCounts) {
  // S = 4: sets written -> scan blocks in the file and lastScanSubCount.
  const struct {
    int sets;
    int blocks;
    uint32_t pad;
  } cases[] = {{4, 1, 0}, {5, 2, 3}, {8, 2, 0}, {1, 1, 3}, {0, 0, 0}};
  for (const auto& c : cases) {
    const std::string path = StartTwoChannels("Velmont", 0, 4);
    const Bytes sets = TwoChannelSets(0, c.sets);
    ASSERT_EQ(TAVIO_WriteBytes(sets.data(), static_cast<int>(sets.size())), 0);
    ASSERT_EQ(TAVIO_CloseWriteFile(), 0);
    const Bytes file = ReadWholeFile(path);
    EXPECT_EQ(file.size(), kTwoChannelHeader + static_cast<std::size_t>(c.blocks) * (24 + 16)) << c.sets;
    EXPECT_EQ(U32At(file, 25), c.pad) << c.sets;
    if (c.blocks == 2) {
      EXPECT_EQ(Bytes(file.begin() + 1640, file.begin() + 1664), Bytes(24, 0)) << "second stamp is zero";
    }
  }
}

TEST_F(RecordedWriterTest, EnhancedHasOneStampAndNoScanHeaders) {
  const std::string path = StartTwoChannels("VelmontEnhanced", 1, 4);
  const Bytes sets = TwoChannelSets(0, 6);
  ASSERT_EQ(TAVIO_WriteBytes(sets.data(), 8), 0);
  ASSERT_EQ(TAVIO_WriteBytes(sets.data() + 8, 16), 0);
  ASSERT_EQ(TAVIO_CloseWriteFile(), 0);
  const Bytes file = ReadWholeFile(path);
  // Signed data pads with zero words; lastScanSubCount sits at 26 + 2G.
  ByteBuilder expected;
  expected.Append(KnownStamp()).Append(sets).Zeros(2 * 4);
  ASSERT_EQ(file.size(), kTwoChannelHeader + expected.bytes.size());
  EXPECT_EQ(U32At(file, 28), 2u);
  EXPECT_EQ(Bytes(file.begin() + kTwoChannelHeader, file.end()), expected.bytes);
}

TEST_F(RecordedWriterTest, LongRunsManyScansAndSmallCallsKeepTheLayout) {
  // Runs of every length between the scan boundaries: staged pieces and runs
  // written from the caller's memory, more scans in one call than one write
  // takes, swapped runs larger than the staging area, and calls of a few
  // sets in between.
  const struct {
    const char* format;
    int type, s;
    std::vector<int> calls;  // sample sets per call
  } cases[] = {
      {"Velmont", 0, 1100, {100 * 1100 + 7}},
      {"Velmont", 0, 1100, {3, 2000, 1, 1, 5000, 96}},
      {"Velmont", 129, 20000, {50000, 3}},
      {"Velmont", 1, 3, {1, 1, 5000, 2}},
      {"VelmontEnhanced", 0, 3000, {1, 9000, 2999, 5}},
      {"VelmontEnhanced", 128, 3000, {4000, 2000}},
  };
  for (const auto& c : cases) {
    const std::string path = StartTwoChannels(c.format, c.type, c.s);
    int total = 0;
    for (int n : c.calls) {
      // Client words as the client holds them: big-endian for 128 and 129.
      Bytes sets = TwoChannelSets(total, n);
      if (c.type & 0x80)
        for (std::size_t i = 0; i + 1 < sets.size(); i += 2) std::swap(sets[i], sets[i + 1]);
      ASSERT_EQ(TAVIO_WriteBytes(sets.data(), static_cast<int>(sets.size())), 0);
      total += n;
    }
    ASSERT_EQ(TAVIO_CloseWriteFile(), 0);

    const bool velmont = std::string(c.format) == "Velmont";
    ByteBuilder expected;
    expected.Append(KnownStamp());
    for (int k = 0; k < total; ++k) {
      if (velmont && k > 0 && k % c.s == 0) expected.Zeros(24);
      expected.Append(TwoChannelSets(k, 1));
    }
    const int pad = total % c.s == 0 ? 0 : c.s - total % c.s;
    for (int i = 0; i < 2 * pad; ++i) expected.U16((c.type & 1) ? 0 : 32767);
    const Bytes file = ReadWholeFile(path);
    ASSERT_EQ(file.size(), kTwoChannelHeader + expected.bytes.size()) << c.format << " S " << c.s;
    EXPECT_EQ(U32At(file, velmont ? 25 : 28), static_cast<uint32_t>(pad)) << c.format << " S " << c.s;
    EXPECT_TRUE(Bytes(file.begin() + kTwoChannelHeader, file.end()) == expected.bytes)
        << c.format << " S " << c.s << " type " << c.type;
  }
}

TEST_F(RecordedWriterTest, PartialSetsAreIgnored) {
  const std::string path = StartTwoChannels("Velmont", 0, 1);
  const Bytes sets = TwoChannelSets(0, 2);
  ASSERT_EQ(TAVIO_WriteBytes(sets.data(), 3), 0);  // less than one set: no stamp either
  ASSERT_EQ(TAVIO_WriteBytes(sets.data(), 7), 0);  // one set, 3 bytes ignored
  ASSERT_EQ(TAVIO_CloseWriteFile(), 0);
  ByteBuilder expected;
  expected.Append(KnownStamp()).Append(TwoChannelSets(0, 1));
  const Bytes file = ReadWholeFile(path);
  EXPECT_EQ(Bytes(file.begin() + kTwoChannelHeader, file.end()), expected.bytes);
}

TEST_F(RecordedWriterTest, BigEndianClientBytesAreSwapped) {
  const struct {
    int type;
    Bytes client, stored, pad;
  } cases[] = {
      {129, {0x12, 0x34, 0x56, 0x78}, {0x34, 0x12, 0x78, 0x56}, {0, 0}},
      {128, {0x12, 0x34, 0x56, 0x78}, {0x34, 0x12, 0x78, 0x56}, {0xFF, 0x7F}},
      {1, {0x12, 0x34, 0x56, 0x78}, {0x12, 0x34, 0x56, 0x78}, {0, 0}},
      {0, {0x12, 0x34, 0x56, 0x78}, {0x12, 0x34, 0x56, 0x78}, {0xFF, 0x7F}},
  };
  for (const auto& c : cases) {
    const std::string path = StartTwoChannels("Velmont", c.type, 2);
    ASSERT_EQ(TAVIO_WriteBytes(c.client.data(), 4), 0);
    ASSERT_EQ(TAVIO_CloseWriteFile(), 0);
    ByteBuilder expected;
    expected.Append(KnownStamp()).Append(c.stored).Append(c.pad).Append(c.pad);
    const Bytes file = ReadWholeFile(path);
    EXPECT_EQ(Bytes(file.begin() + kTwoChannelHeader, file.end()), expected.bytes) << c.type;
    EXPECT_EQ(file.at(6), (c.type & 1) ? 5 : 4) << "transfer style";
  }
}

TEST_F(RecordedWriterTest, ClockStampIsTakenWhenNoneIsSaved) {
  const std::string path = Path("c.dat");
  ASSERT_EQ(TAVIO_CreateVelmontDataFile(path.c_str(), 0, 2, 100, 4), 0);
  ASSERT_EQ(TAVIO_WriteHeader(), 0);
  const BcdStamp before = StampFromClock();
  const Bytes sets = TwoChannelSets(0, 4);
  ASSERT_EQ(TAVIO_WriteBytes(sets.data(), static_cast<int>(sets.size())), 0);
  const BcdStamp after = StampFromClock();
  ASSERT_EQ(TAVIO_CloseWriteFile(), 0);
  const Bytes file = ReadWholeFile(path);
  const double t = StampSeconds(file.data() + kTwoChannelHeader);
  EXPECT_GE(t, StampSeconds(before.data()));
  EXPECT_LE(t, StampSeconds(after.data()));
  EXPECT_EQ(U32At(file, kTwoChannelHeader + 12), 0u) << "clock stamps have no fraction";
}

TEST_F(RecordedWriterTest, LayoutsTheFileCannotHoldCreateNoFile) {
  // Scan blocks must fit the 4,096,100-byte buffer: 24 + S x 4 bytes for
  // two "Velmont" channels, S x 4 bytes for "VelmontEnhanced".
  const struct {
    const char* format;
    int channels, s, rc;
  } cases[] = {
      {"Velmont", 2, 0, TAVIO_E_FORMAT},          {"Velmont", 0, 4, TAVIO_E_FORMAT},
      {"VelmontEnhanced", 2, 0, TAVIO_E_FORMAT},  {"VelmontEnhanced", 0, 4, TAVIO_E_FORMAT},
      {"Velmont", 2, 1024019, 0},                 {"Velmont", 2, 1024020, TAVIO_E_FORMAT},
      {"VelmontEnhanced", 2, 1024025, 0},         {"VelmontEnhanced", 2, 1024026, TAVIO_E_FORMAT},
      {"Velmont", 2, -1, TAVIO_E_FORMAT},
  };
  for (const auto& c : cases) {
    const std::string path = Path("none.dat");
    ASSERT_EQ(TAVIO_CreateDataFile(c.format, 0, path.c_str()), 0);
    ASSERT_EQ(TAVIO_SetChannelCount(c.channels), 0);
    TAVIO_SetNumScanSamples(c.s);
    EXPECT_EQ(TAVIO_WriteHeader(), c.rc) << c.format << " " << c.channels << " " << c.s;
    EXPECT_EQ(std::filesystem::exists(path), c.rc == 0);
    if (c.rc == 0) {
      EXPECT_EQ(TAVIO_CloseWriteFile(), 0);
      std::filesystem::remove(path);
    } else {
      EXPECT_EQ(TAVIO_WriteBytes("abcd", 4), TAVIO_E_NOT_OPEN);
    }
  }
  // A segment table placing more channels than the file has.
  const std::string path = Path("seg.dat");
  ASSERT_EQ(TAVIO_CreateDataFile("VelmontEnhanced", 0, path.c_str()), 0);
  ASSERT_EQ(TAVIO_SetChannelCount(2), 0);
  TAVIO_SetNumScanSamples(4);
  TAVIO_SetNumChannelsInScanSegment(1, 5);
  EXPECT_EQ(TAVIO_WriteHeader(), TAVIO_E_FORMAT);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(RecordedWriterTest, ScanGeometryIsFixedWhenTheHeaderIsWritten) {
  const std::string path = StartTwoChannels("Velmont", 0, 2);
  // Changing the layout of an open file would break its scans (or loop), and
  // another data type would change its words against its header.
  TAVIO_SetNumScanSamples(0);
  TAVIO_SetChannelCount(1);
  TAVIO_SetDataType(129);
  ASSERT_EQ(TAVIO_CreateDataFile("VelmontEnhanced", 1, Path("other.dat").c_str()), 0);
  const Bytes sets = TwoChannelSets(0, 3);
  ASSERT_EQ(TAVIO_WriteBytes(sets.data(), static_cast<int>(sets.size())), 0);
  ASSERT_EQ(TAVIO_CloseWriteFile(), 0);
  const Bytes file = ReadWholeFile(path);
  ByteBuilder expected;
  expected.Append(KnownStamp()).Append(TwoChannelSets(0, 2)).Zeros(24).Append(TwoChannelSets(2, 1));
  expected.U16(32767).U16(32767);
  EXPECT_EQ(Bytes(file.begin() + kTwoChannelHeader, file.end()), expected.bytes);
  EXPECT_EQ(U32At(file, 25), 1u);
}

// Lowers the largest file size this process may write, for one test; writes
// beyond it fail (EFBIG) instead of raising SIGXFSZ.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = saved_;
    lowered.rlim_cur = bytes;
    active_ = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_);
  }
  bool Active() const { return active_; }

 private:
  rlimit saved_{};
  void (*previous_)(int) = nullptr;
  bool active_ = false;
};

TEST_F(RecordedWriterTest, FailingWritesAreReported) {
  const Bytes sets = TwoChannelSets(0, 4 << 20 >> 2);  // 4 MiB, more than the stream buffers
  {
    // Samples beyond what the file may hold: 222 at once, 219 at the close.
    const std::string path = Path("limit.dat");
    ASSERT_EQ(TAVIO_CreateVelmontDataFile(path.c_str(), 0, 2, 100, 1000), 0);
    FileSizeLimit limit(64 * 1024);
    ASSERT_TRUE(limit.Active());
    ASSERT_EQ(TAVIO_WriteHeader(), 0);
    EXPECT_EQ(TAVIO_WriteBytes(sets.data(), static_cast<int>(sets.size())), TAVIO_E_WRITE);
    EXPECT_EQ(TAVIO_CloseWriteFile(), TAVIO_E_CLOSE);
    EXPECT_EQ(TAVIO_CloseWriteFile(), TAVIO_E_NOT_OPEN);

    // Samples that fit, but not their padding: 219 from the close.
    ASSERT_EQ(TAVIO_CreateVelmontDataFile(path.c_str(), 0, 2, 100, 100000), 0);
    ASSERT_EQ(TAVIO_WriteHeader(), 0);
    EXPECT_EQ(TAVIO_WriteBytes(sets.data(), 8), 0);
    EXPECT_EQ(TAVIO_CloseWriteFile(), TAVIO_E_CLOSE);
  }
  if (std::filesystem::exists("/dev/full")) {
    // A header the device does not take: 222, and no file stays open.
    ASSERT_EQ(TAVIO_CreateVelmontDataFile("/dev/full", 0, 2, 100, 1000), 0);
    EXPECT_EQ(TAVIO_WriteHeader(), TAVIO_E_WRITE);
    EXPECT_EQ(TAVIO_WriteBytes(sets.data(), 8), TAVIO_E_NOT_OPEN);

    // The disk fills up during the recording.  A long run fails at once;
    // a few sets held back until the close fail there.
    for (const int bytes : {64 * 1024, 8}) {
      ASSERT_EQ(TAVIO_CreateVelmontDataFile(Path("full.dat").c_str(), 0, 2, 100, 1000), 0);
      ASSERT_EQ(TAVIO_WriteHeader(), 0);
      ASSERT_EQ(TAVIO_WriteBytes(sets.data(), 64 * 1024), 0);
      const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
      ASSERT_GE(full, 0);
      const int fd = fileno(WriteContext().output.stream);
      ASSERT_EQ(dup2(full, fd), fd);
      close(full);
      EXPECT_EQ(TAVIO_WriteBytes(sets.data(), bytes), bytes > 8 ? TAVIO_E_WRITE : 0) << bytes;
      EXPECT_EQ(TAVIO_CloseWriteFile(), TAVIO_E_CLOSE) << bytes;
    }
  }
}

TEST_F(RecordedWriterTest, UncreatableFileIsRefused) {
  const std::string path = Path("missing/folder/x.dat");
  ASSERT_EQ(TAVIO_CreateVelmontDataFile(path.c_str(), 0, 2, 100, 4), 0);
  EXPECT_EQ(TAVIO_WriteHeader(), TAVIO_E_FILE);
  EXPECT_EQ(TAVIO_WriteBytes("abcd", 4), TAVIO_E_NOT_OPEN);
  EXPECT_EQ(TAVIO_CloseWriteFile(), TAVIO_E_NOT_OPEN);
}

}  // namespace
}  // namespace orvela::tavio::testing
