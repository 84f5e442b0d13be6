// Tests of the reader: the state machine's paths, its limits, entity
// decoding, the messages and the results.
#include <string>

#include "markal_fixture.h"

namespace {

const std::string kRoot = "<r formatter=\"orvtestrec://root\">";

struct ReadCase {
  const char* name;
  std::string input;
  int code;
  std::string log;       // expected log of the recorder plug-in ("*": not checked)
  std::string messages;  // expected standard error
};

class ReaderTest : public MarkalTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReaderTest, Case) {
  const ReadCase& c = GetParam();
  std::string messages;
  EXPECT_EQ(Read(c.input, &messages), c.code);
  if (c.messages != "*") {
    EXPECT_EQ(messages, c.messages);
  }
  if (c.log != "*") {
    EXPECT_EQ(Log(), c.log);
  }
}

const ReadCase kReadCases[] = {
    {"Empty", "", MARKAL_E_INCOMPLETE, "", ""},
    {"InstructionOnly", "<?xml version=\"1.0\"?>\n", MARKAL_E_INCOMPLETE, "", ""},
    {"EmptyRootWithFormatter", "<?xml version=\"1.0\"?>\n<r formatter=\"orvtestrec://root\"/>\n", 0,
     "init root\ncreate root []\n", ""},
    {"EmptyRootWithoutFormatter", "<r/>", MARKAL_E_PARSE, "", "Callback code found line 1 near <r/>\n"},
    {"ElementsFieldsAndClosing",
     kRoot + "\n<leaf ID=\"L1\" formatter=\"orvtestrec://leaf\">\n<a>1</a>\n</leaf>\n</r>\n", 0,
     "init root\ncreate root []\ninit leaf under root\ncreate leaf [L1]\ninit a under leaf\ncreate a []\n"
     "text a a [1]\nclose a\nclose leaf\n",
     ""},
    {"FormatterBeforeId", kRoot + "<leaf formatter=\"orvtestrec://leaf\" ID=\"L1\"></leaf></r>", 0,
     "init root\ncreate root []\ninit leaf under root\ncreate leaf [L1]\nclose leaf\n", ""},
    // The writer puts identifiers out verbatim: one holding a double quote
    // ends the attribute early and the rest of the tag no longer parses.
    {"QuoteInsideAnIdSpoilsTheText", kRoot + "<leaf ID=\"a\"b\" formatter=\"orvtestrec://leaf\"></leaf></r>",
     MARKAL_E_PARSE, "*", "*"},
    {"CutInsideTheRoot", kRoot + "\n<leaf formatter=\"orvtestrec://leaf\">\n<a>1", MARKAL_E_INCOMPLETE,
     "init root\ncreate root []\ninit leaf under root\ncreate leaf []\ninit a under leaf\ncreate a []\n"
     "close a\nclose leaf\nclose root\n",
     "unbalanced tag: a\n"},
    {"ClosingTagWithTrailingSpace", kRoot + "\n<x>1</x>\n</r >", MARKAL_E_PARSE, "*",
     "Parse error found line 3 near </r >\n"},
    {"MismatchedClosingTag", kRoot + "</y>", MARKAL_E_PARSE, "*", "Parse error found line 1 near " + kRoot + "</y>\n"},
    {"LeadingBlankIsAnError", " " + kRoot + "</r>", MARKAL_E_PARSE, "", "Parse error found line 1 near  \n"},
    {"Entities", kRoot + "<x>a&lt;b&amp;lt;c&quot;&apos;&gt;&unknown;&</x></r>", 0,
     "init root\ncreate root []\ninit x under root\ncreate x []\ntext x x [a<b<c\"'>&unknown;&]\nclose x\n", ""},
    {"ControlCharactersBecomeSpaces", kRoot + "<x>a\tb\rc</x></r>", 0, "*", ""},
    {"BlankTextIsNotDelivered", kRoot + "<x> \t </x></r>", 0,
     "init root\ncreate root []\ninit x under root\ncreate x []\nclose x\n", ""},
    {"InputAfterTheRootIsNotRead", kRoot + "</r>garbage<", 0, "*", ""},
    {"ObjectRefused", kRoot + "<q formatter=\"orvtestrec://refuse\"/></r>", MARKAL_E_PARSE, "*",
     "Callback code found line 1 near " + kRoot + "<q formatter=\"orvtestrec://refuse\"/>\n"},
    {"InitFails", "<q formatter=\"orvtestrec://nothing\"/>", MARKAL_E_PARSE, "*",
     "Callback code found line 1 near <q formatter=\"orvtestrec://nothing\"/>\n"},
    {"UnknownPlugin", "<q formatter=\"orvtestnone://x\"></q>", MARKAL_E_PARSE, "*",
     "Callback code found line 1 near <q formatter=\"orvtestnone://x\">\n"},
    {"FormatterWithoutClosingQuote", "<q formatter=\"orvtestrec://x>", MARKAL_E_INCOMPLETE, "*", ""},
    {"NameOf31Characters", "<" + std::string(31, 'n') + " formatter=\"orvtestrec://root\"/>", 0, "*", ""},
    {"NameOf32Characters", "<" + std::string(32, 'n') + " formatter=\"orvtestrec://root\"/>", MARKAL_E_PARSE,
     "", "Parse error found line 1 near <" + std::string(32, 'n') + "\n"},
    // The attribute text is everything between the name and "/>": 34 + padding.
    {"AttributeTextOf511Characters",
     "<r formatter=\"orvtestrec://root\" p=\"" + std::string(511 - 34, 'a') + "\"/>", 0, "*", ""},
    {"AttributeTextOf512Characters",
     "<r formatter=\"orvtestrec://root\" p=\"" + std::string(512 - 34, 'a') + "\"/>", MARKAL_E_PARSE, "*", "*"},
    {"IdOf255Characters", "<r formatter=\"orvtestrec://root\" ID=\"" + std::string(255, 'i') + "\"/>", 0,
     "init root\ncreate root [" + std::string(255, 'i') + "]\n", ""},
    {"IdOf256Characters", "<r formatter=\"orvtestrec://root\" ID=\"" + std::string(256, 'i') + "\"/>",
     MARKAL_E_PARSE, "", "*"},
    {"FormatterUrlOver255Characters",
     "<r formatter=\"orvtestrec://root/" + std::string(100, 'p') + "?" + std::string(150, 'q') + "\"/>",
     MARKAL_E_PARSE, "", "*"},
};

std::string CaseName(const ::testing::TestParamInfo<ReadCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Read, ReaderTest, ::testing::ValuesIn(kReadCases), CaseName);

// Cases whose expected messages hold the whole input are checked loosely.
TEST_F(MarkalTest, LongInputsGiveOnlyTheirResult) {
  std::string messages;
  EXPECT_EQ(Read("<r formatter=\"orvtestrec://root\" p=\"" + std::string(512 - 34, 'a') + "\"/>", &messages),
            MARKAL_E_PARSE);
  EXPECT_EQ(messages.rfind("Parse error found line 1 near <r formatter=", 0), 0u);
}

TEST_F(MarkalTest, TextOf1000CharactersArrivesAs511And489) {
  const std::string text(1000, 't');
  ASSERT_EQ(Read(kRoot + "<x>" + text + "</x></r>"), 0);
  EXPECT_EQ(Log(), "init root\ncreate root []\ninit x under root\ncreate x []\ntext x x [" + std::string(511, 't') +
                       "]\ntext x x [" + std::string(489, 't') + "]\nclose x\n");
}

TEST_F(MarkalTest, NineLevelsReadButTenAreRefused) {
  for (int levels : {9, 10}) {
    SerializeDestroy(&format_);
    ASSERT_EQ(SerializeCreate("markal://", &format_), 0);
    std::string text = kRoot;
    for (int i = 1; i < levels; ++i) text += "<e>";
    for (int i = 1; i < levels; ++i) text += "</e>";
    text += "</r>";
    EXPECT_EQ(Read(text), levels == 9 ? 0 : MARKAL_E_PARSE) << levels;
  }
}

TEST_F(MarkalTest, SecondReadIsRefusedAndTheRootIsKept) {
  void* data = nullptr;
  const char* type_url = nullptr;
  ASSERT_EQ(Read(kRoot + "</r>", nullptr, &data, &type_url), 0);
  EXPECT_STREQ(type_url, "orvtestrec://root");
  EXPECT_EQ(static_cast<MarkalFormat*>(format_)->root, data);  // the recorder's data is its object
  EXPECT_EQ(Read(kRoot + "</r>"), MARKAL_E_READ_TWICE);
  Log();
  SerializeDestroy(&format_);
  EXPECT_EQ(Log(), "close root\n");
}

// A channel that answers "try again" before every piece it delivers.
int g_again = 0;
int (*g_memory_read)(CommHandle*, void*, int) = nullptr;
int ReadAfterAgain(CommHandle* h, void* buffer, int count) {
  if (g_again++ % 2 == 0) return COMM_E_AGAIN;
  return g_memory_read(h, buffer, count > 3 ? 3 : count);
}

TEST_F(MarkalTest, TryAgainIsRetried) {
  const std::string text = kRoot + "\n<x>12345</x>\n</r>\n";
  void* channel = nullptr;
  ASSERT_EQ(CommGetMemoryHandle(text.data(), static_cast<int>(text.size()), &channel), 0);
  auto* h = static_cast<CommHandle*>(channel);
  g_memory_read = h->read;
  h->read = ReadAfterAgain;
  void* data = nullptr;
  const char* type_url = nullptr;
  EXPECT_EQ(f()->read(f(), &data, &type_url, h), 0);
  EXPECT_GT(g_again, 10);
  EXPECT_NE(Log().find("text x x [12345]"), std::string::npos);
  CommFreeHandle(&channel);
}

}  // namespace
