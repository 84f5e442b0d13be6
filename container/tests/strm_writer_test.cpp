// Tests of the "STRM" form: its golden layout, the closing step that copies
// the data, poll and event files, and parsing it back.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "container_fixture.h"
#include "kepr.h"

namespace orvela::kepr::testing {
namespace {

class StrmTest : public ::testing::Test {
 protected:
  StrmTest() {
    channels_[0] = {};
    std::strcpy(channels_[0].name, "Speed");
    std::strcpy(channels_[0].units, "rpm");
    channels_[0].transform = 3;
    channels_[0].precisionCount = 3;
    channels_[0].precisions = precisions_;
    channels_[0].positionCount = 2;
    channels_[0].positions = positions_;
    channels_[1] = {};
    std::strcpy(channels_[1].name, "Valve");
    channels_[1].transform = 0x1234;
  }

  // Writes the form and closes with the three block files holding `data`,
  // `poll` and `events` (an empty text means "no file": handle -1).
  int WriteStrm(const Bytes& data, const Bytes& poll, const Bytes& events) {
    STRMForm form{250.0, 77, 2, 9, channels_};
    const int fd = KEPRCreateFile(file_.path());
    EXPECT_GT(KEPRWriteChunk(fd, KEPR_ID_FORM, STRMWriteForm, &form), 0);
    return STRMCloseWriteFile(fd, Block(data_file_, data), Block(poll_file_, poll),
                              Block(event_file_, events));
  }

  static int Block(const ScratchFile& file, const Bytes& bytes) {
    if (bytes.empty()) return -1;
    file.Write(bytes);
    return open(file.path(), O_RDONLY);
  }

  Bytes ExpectedConf() const {
    const Bytes chan0 = Concat(
        Chunk("NAME", Text("Speed")), Chunk("EU  ", Text("rpm")), Chunk("XFRM", U16(3)),
        Chunk("PRCS", Concat(Chunk("PREC", F64(0.5)), Chunk("PREC", F64(0.25)), Chunk("PREC", F64(-1)))),
        Chunk("POCS", Concat(Chunk("POSC", F64(10)), Chunk("POSC", F64(20)))));
    const Bytes chan1 = Concat(Chunk("NAME", Text("Valve")), Chunk("EU  ", {}), Chunk("XFRM", U16(0x1234)),
                               Chunk("PRCS", {}), Chunk("POCS", {}));
    return Chunk("CONF", Concat(Chunk("CHNS", Concat(Chunk("CHAN", chan0), Chunk("CHAN", chan1))),
                                Chunk("CLKR", F64(250.0)), Chunk("TIME", U32(77)), Chunk("SCPP", U32(9))));
  }

  double precisions_[3] = {0.5, 0.25, -1};
  double positions_[2] = {10, 20};
  STRMChannel channels_[2];
  ScratchFile file_, data_file_, poll_file_, event_file_;
};

TEST_F(StrmTest, WritesTheGoldenLayout) {
  const Bytes data = Text("odd");  // 3 bytes: padded
  const Bytes poll(600, 0x11);     // more than one 512-byte block
  const Bytes events = Text("ev");
  ASSERT_EQ(WriteStrm(data, poll, events), 0);
  const Bytes expected = Chunk("FORM", Concat(Id("STRM"), ExpectedConf(), Chunk("DATA", data),
                                              Chunk("POLL", poll), Chunk("EVNT", events)));
  EXPECT_EQ(file_.Read(), expected);
}

TEST_F(StrmTest, OptionalBlocksAreLeftOut) {
  ASSERT_EQ(WriteStrm(Text("dd"), {}, {}), 0);
  EXPECT_EQ(file_.Read(), Chunk("FORM", Concat(Id("STRM"), ExpectedConf(), Chunk("DATA", Text("dd")))));
}

TEST_F(StrmTest, ParsesBackWhatWasWritten) {
  ASSERT_EQ(WriteStrm(Text("odd"), Text("pp"), Text("eeee")), 0);
  Parsed parsed;
  ParseFile(file_.path(), &parsed);
  ASSERT_EQ(parsed.rc, 1);
  const STRMParseResult& r = parsed.file.result.strm;
  EXPECT_EQ(r.formType, KEPR_FORM_STRM);
  EXPECT_EQ(r.clockRate, 250.0);
  EXPECT_EQ(r.creationTime, 77u);
  EXPECT_EQ(r.scpp, 9u);
  ASSERT_EQ(r.channelCount, 2);
  EXPECT_STREQ(r.channels[0].name, "Speed");
  EXPECT_STREQ(r.channels[0].units, "rpm");
  EXPECT_EQ(r.channels[0].transform, 3);
  ASSERT_EQ(r.channels[0].precisionCount, 3);
  EXPECT_EQ(r.channels[0].precisions[2], -1.0);
  ASSERT_EQ(r.channels[0].positionCount, 2);
  EXPECT_EQ(r.channels[0].positions[1], 20.0);
  EXPECT_EQ(r.channels[1].transform, 0x1234);
  EXPECT_EQ(r.channels[1].precisionCount, 0);
  EXPECT_EQ(r.dataLength, 3);
  EXPECT_EQ(r.pollLength, 2);
  EXPECT_EQ(r.eventLength, 4);
  const Bytes bytes = file_.Read();
  EXPECT_EQ(Bytes(bytes.begin() + r.dataOffset, bytes.begin() + r.dataOffset + 3), Text("odd"));
  EXPECT_EQ(Bytes(bytes.begin() + r.pollOffset, bytes.begin() + r.pollOffset + 2), Text("pp"));
  EXPECT_EQ(Bytes(bytes.begin() + r.eventOffset, bytes.begin() + r.eventOffset + 4), Text("eeee"));
  // A stream recording is not a "KEPR" file to read samples from.
  uint8_t buffer[4];
  EXPECT_EQ(KEPRSetSample(0, &parsed.file, buffer), 0);
}

TEST_F(StrmTest, HostileValueListsAreRefused) {
  // PREC values beyond what the list's length has room for, and a value of the wrong size.
  const Bytes prec_wrong_size = Chunk("PRCS", Chunk("PREC", U32(1)));
  const Bytes conf = Chunk("CONF", Chunk("CHNS", Chunk("CHAN", prec_wrong_size)));
  file_.Write(Chunk("FORM", Concat(Id("STRM"), conf)));
  Parsed parsed;
  ParseFile(file_.path(), &parsed);
  EXPECT_EQ(parsed.rc, 0);
  EXPECT_EQ(parsed.file.result.strm.channelCount, 0) << "a channel that failed is not counted";
}

TEST_F(StrmTest, MissingDataFileFailsAndEveryHandleIsClosed) {
  STRMForm form{250.0, 77, 2, 9, channels_};
  const int fd = KEPRCreateFile(file_.path());
  ASSERT_GT(KEPRWriteChunk(fd, KEPR_ID_FORM, STRMWriteForm, &form), 0);
  const int poll = Block(poll_file_, Text("pp"));
  EXPECT_EQ(STRMCloseWriteFile(fd, -1, poll, -1), KEPR_E_WRITE);
  EXPECT_EQ(close(fd), -1) << "the container handle was closed";
  EXPECT_EQ(close(poll), -1) << "the poll handle was closed";
}

TEST_F(StrmTest, NoContainerOnlyClosesTheOthers) {
  const int data = Block(data_file_, Text("dd"));
  EXPECT_EQ(STRMCloseWriteFile(-1, data, -1, -1), 0);
  EXPECT_EQ(close(data), -1);
}

TEST_F(StrmTest, RefusesChannelsWithoutTheirValues) {
  channels_[1].precisionCount = 4;  // but no array
  STRMForm form{250.0, 77, 2, 9, channels_};
  const int fd = KEPRCreateFile(file_.path());
  EXPECT_EQ(STRMWriteForm(fd, &form), KEPR_E_BODY);
  EXPECT_EQ(STRMWriteForm(fd, nullptr), KEPR_E_BODY);
  close(fd);
}

}  // namespace
}  // namespace orvela::kepr::testing
