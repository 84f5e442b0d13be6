// Sensor text read into data-set tables and written back, through the XML
// format: hand-written fixtures and a round trip.
#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "calnest.h"
#include "comm.h"
#include "markal.h"
#include "serialize.h"
#include "tallis.h"

namespace {

std::string Fixture(const char* name) {
  std::ifstream in(std::string(ORVELA_SOURCE_DIR) + "/serialization/calnest/tests/fixtures/" + name,
                   std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A format object that read a text, with the table it built.
class SensorText {
 public:
  explicit SensorText(const std::string& text) {
    EXPECT_EQ(SerializeCreate("markal://", &format_), 0);
    void* channel = nullptr;
    CommGetMemoryHandle(text.data(), static_cast<int>(text.size()), &channel);
    ::testing::internal::CaptureStderr();
    auto* f = static_cast<SerializeFormat*>(format_);
    rc_ = f->read(f, &data_, &type_url_, static_cast<CommHandle*>(channel));
    messages_ = ::testing::internal::GetCapturedStderr();
    CommFreeHandle(&channel);
  }
  ~SensorText() { SerializeDestroy(&format_); }

  int rc() const { return rc_; }
  const std::string& messages() const { return messages_; }
  const char* type_url() const { return type_url_; }
  TallisTable* table() const { return data_ != nullptr ? *static_cast<TallisTable**>(data_) : nullptr; }
  void* holder() const { return data_; }

  std::vector<DataSet*> Records() const {
    std::vector<DataSet*> records;
    int n = 0;
    if (table() == nullptr || table()->count(table(), &n) != 0) return records;
    records.resize(static_cast<size_t>(n));
    table()->values(table(), reinterpret_cast<void**>(records.data()));
    return records;
  }

 private:
  void* format_ = nullptr;
  void* data_ = nullptr;
  const char* type_url_ = nullptr;
  int rc_ = 0;
  std::string messages_;
};

TEST(SensorText, FixturesReadAsExpected) {
  struct Case {
    const char* file;
    int code;
    int sets;
    const char* messages;
  } cases[] = {
      {"two_sets.xml", 0, 2, ""},
      {"empty_root.xml", 0, 0, ""},
      {"empty_root_no_formatter.xml", MARKAL_E_PARSE, -1, "Callback code found line 1 near <DataSets/>\n"},
      {"cut_inside_root.xml", MARKAL_E_INCOMPLETE, -1, "unbalanced tag: DataPoints\n"},
      {"trailing_space.xml", MARKAL_E_PARSE, -1, "Parse error found line 3 near </DataSet >\n"},
      {"mixed.xml", 0, 2, ""},
      {"long_name.xml", MARKAL_E_PARSE, -1, nullptr},  // a name over 63 characters is refused
      // Formatter before ID lets a name end in formatter=; written back as
      // ID="...formatter=" formatter="..." it could not be read again.
      {"name_ending_formatter.xml", MARKAL_E_PARSE, -1, nullptr},
  };
  for (const Case& c : cases) {
    SensorText text(Fixture(c.file));
    EXPECT_EQ(text.rc(), c.code) << c.file;
    if (c.messages != nullptr) {
      EXPECT_EQ(text.messages(), c.messages) << c.file;
    }
    if (c.sets >= 0) {
      EXPECT_STREQ(text.type_url(), "calnest://DataSets") << c.file;
      EXPECT_EQ(text.Records().size(), static_cast<size_t>(c.sets)) << c.file;
    }
  }
}

TEST(SensorText, TwoSetsInNameOrderWithTheirPoints) {
  SensorText text(Fixture("two_sets.xml"));
  ASSERT_EQ(text.rc(), 0);
  const auto records = text.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_STREQ(records[0]->name, "alpha");
  ASSERT_EQ(records[0]->count, 1);
  EXPECT_EQ(records[0]->points[0].volts, 2.0);
  EXPECT_STREQ(records[1]->name, "thermo B");
  ASSERT_EQ(records[1]->count, 2);
  EXPECT_EQ(records[1]->points[1].volts, 1.25);
  EXPECT_EQ(records[1]->points[1].eus, -3.5);
  void* found = nullptr;
  EXPECT_EQ(text.table()->lookup(text.table(), "thermo B", &found), 0);
  EXPECT_EQ(found, records[1]);
}

TEST(SensorText, FormatterBeforeIdMissingIdsValuesAndEmptyPoints) {
  SensorText text(Fixture("mixed.xml"));
  ASSERT_EQ(text.rc(), 0);
  const auto records = text.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_STREQ(records[0]->name, "");  // a DataSet without ID
  EXPECT_EQ(records[0]->count, 0);
  EXPECT_STREQ(records[1]->name, "order");
  ASSERT_EQ(records[1]->count, 2);
  EXPECT_EQ(records[1]->points[0].volts, 7.5);
  EXPECT_EQ(records[1]->points[0].eus, 0.0);  // "abc" is not a number
  EXPECT_EQ(records[1]->points[1].volts, 1.0);
  EXPECT_EQ(records[1]->points[1].eus, 0.0);  // no eus element
}

TEST(SensorText, NonNumberVoltsLeaveThePointAtZero) {
  SensorText text(
      "<DataSets formatter=\"calnest://DataSets\">\n"
      "<DataSet ID=\"v\" formatter=\"calnest://DataSet\">\n"
      "<DataPoints formatter=\"calnest://DataPoints\">\n"
      "<DataPoint formatter=\"calnest://DataPoint\">\n"
      "<volts>volts</volts>\n"
      "<eus>4</eus>\n"
      "</DataPoint>\n"
      "</DataPoints>\n"
      "</DataSet>\n"
      "</DataSets>\n");
  ASSERT_EQ(text.rc(), 0);
  const auto records = text.Records();
  ASSERT_EQ(records.size(), 1u);
  ASSERT_EQ(records[0]->count, 1);
  EXPECT_EQ(records[0]->points[0].volts, 0.0);
  EXPECT_EQ(records[0]->points[0].eus, 4.0);
}

// A sensor text of `sets` data sets, each with DataPoints elements declaring
// the given numbers of points (numelements=, or none for -1) and no children.
std::string DeclaringText(int sets, std::initializer_list<int> declared) {
  std::string text = "<DataSets formatter=\"calnest://DataSets\">\n";
  for (int i = 0; i < sets; ++i) {
    text += "<DataSet ID=\"s" + std::to_string(i) + "\" formatter=\"calnest://DataSet\">\n";
    for (int n : declared) {
      text += n < 0 ? std::string("<DataPoints formatter=\"calnest://DataPoints\"/>\n")
                    : "<DataPoints formatter=\"calnest://DataPoints/numelements=" + std::to_string(n) + "\"/>\n";
    }
    text += "</DataSet>\n";
  }
  return text + "</DataSets>\n";
}

// Points declared without being read cost the text nothing, so a tree may
// declare only CALNEST_MAX_ELEMENTS of them in all.
TEST(SensorText, DeclaredPointsAreLimitedPerTree) {
  const int limit = CALNEST_MAX_ELEMENTS;
  struct Case {
    const char* name;
    std::string text;
    int code;
    int points;  // of the last record, when read
  } cases[] = {
      {"all in one set", DeclaringText(1, {limit}), 0, limit},
      {"shared by sets", DeclaringText(4, {limit / 4}), 0, limit / 4},
      {"one more in the second set", DeclaringText(2, {limit / 2 + 1}), MARKAL_E_PARSE, -1},
      {"the record's count taken over again", DeclaringText(1, {limit / 2 + 1, -1}), MARKAL_E_PARSE, -1},
      {"many small declarations", DeclaringText(300, {4096}), MARKAL_E_PARSE, -1},
  };
  for (const Case& c : cases) {
    SensorText text(c.text);
    EXPECT_EQ(text.rc(), c.code) << c.name;
    if (c.points >= 0 && text.rc() == 0) {
      const auto records = text.Records();
      ASSERT_FALSE(records.empty()) << c.name;
      EXPECT_EQ(records.back()->count, c.points) << c.name;
    }
  }
}

// Writes the table of `holder` to a memory channel and returns the text.
std::string WriteText(void* holder, int* rc) {
  void* format = nullptr;
  EXPECT_EQ(SerializeCreate("markal://", &format), 0);
  void* channel = nullptr;
  CommGetMemoryHandle(nullptr, 0, &channel);
  auto* f = static_cast<SerializeFormat*>(format);
  *rc = f->write(f, holder, "calnest://DataSets", static_cast<CommHandle*>(channel));
  const char* bytes = nullptr;
  int size = 0;
  CommMemoryContents(channel, &bytes, &size);
  std::string text(bytes, static_cast<size_t>(size));
  CommFreeHandle(&channel);
  SerializeDestroy(&format);
  return text;
}

// Two live records in a table: "zeta" with two points, "alpha" with none.
struct TwoRecords {
  TwoRecords() {
    EXPECT_EQ(TallisCreate("btree", &holder), 0);
    table = static_cast<TallisTable*>(holder);
    table->insert(table, &zeta, &zeta);
    table->insert(table, &empty, &empty);
  }
  ~TwoRecords() { TallisDestroy(&holder); }

  DataPoint zeta_points[2] = {{0.5, 10.0}, {1.0 / 3.0, -2.25}};
  DataSet zeta{"zeta", 2, zeta_points};
  DataSet empty{"alpha", 0, nullptr};
  void* holder = nullptr;
  TallisTable* table = nullptr;
};

TEST(SensorText, WrittenLineForLineAndReadBack) {
  TwoRecords live;
  void*& holder = live.holder;
  TallisTable* table = live.table;
  const DataSet& zeta = live.zeta;
  const DataPoint* zeta_points = live.zeta_points;
  int rc = -1;
  const std::string text = WriteText(&holder, &rc);
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(text,
            "<DataSets formatter=\"calnest://DataSets\">\n"
            "<DataSet ID=\"alpha\" formatter=\"calnest://DataSet\">\n"
            "<DataPoints formatter=\"calnest://DataPoints\">\n"
            "</DataPoints>\n"
            "</DataSet>\n"
            "<DataSet ID=\"zeta\" formatter=\"calnest://DataSet\">\n"
            "<DataPoints formatter=\"calnest://DataPoints\">\n"
            "<DataPoint formatter=\"calnest://DataPoint\">\n"
            "<volts>0.500000</volts>\n"
            "<eus>10.000000</eus>\n"
            "</DataPoint>\n"
            "<DataPoint formatter=\"calnest://DataPoint\">\n"
            "<volts>0.333333</volts>\n"
            "<eus>-2.250000</eus>\n"
            "</DataPoint>\n"
            "</DataPoints>\n"
            "</DataSet>\n"
            "</DataSets>\n");
  // Writing only iterates: the records and the table are as they were.
  int n = 0;
  ASSERT_NE(holder, nullptr);
  table->count(table, &n);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(zeta.points, zeta_points);
  EXPECT_EQ(zeta.points[1].eus, -2.25);

  SensorText back(text);
  ASSERT_EQ(back.rc(), 0);
  const auto records = back.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_STREQ(records[1]->name, "zeta");
  ASSERT_EQ(records[1]->count, 2);
  EXPECT_EQ(records[1]->points[1].volts, 0.333333);  // six decimals
}

// The memory channel's own write, and how many more writes it takes.
int (*g_memory_write)(CommHandle*, const void*, int) = nullptr;
int g_writes_left = 0;

int WriteUntilFull(CommHandle* h, const void* bytes, int n) {
  if (g_writes_left-- <= 0) return 0;
  return g_memory_write(h, bytes, n);
}

// A write that fails at any line (the writer writes one line per call) must
// leave the live records as they were: the objects made for writing were
// never created and are not finalised.
TEST(SensorText, FailedWriteLeavesTheRecordsAsTheyWere) {
  TwoRecords live;
  const DataSet& zeta = live.zeta;
  const DataSet& empty = live.empty;
  void* format = nullptr;
  ASSERT_EQ(SerializeCreate("markal://", &format), 0);
  auto* f = static_cast<SerializeFormat*>(format);
  const int lines = 18;
  for (int taken = 0; taken <= lines; ++taken) {
    void* channel = nullptr;
    ASSERT_EQ(CommGetMemoryHandle(nullptr, 0, &channel), 0);
    auto* h = static_cast<CommHandle*>(channel);
    g_memory_write = h->write;
    h->write = WriteUntilFull;
    g_writes_left = taken;
    EXPECT_EQ(f->write(f, &live.holder, "calnest://DataSets", h), taken < lines ? MARKAL_E_SHORT : 0) << taken;
    CommFreeHandle(&channel);
    EXPECT_EQ(zeta.points, live.zeta_points) << taken;
    EXPECT_EQ(zeta.count, 2) << taken;
    EXPECT_EQ(zeta.points[1].eus, -2.25) << taken;
    EXPECT_EQ(empty.points, nullptr) << taken;
    EXPECT_EQ(empty.count, 0) << taken;
    int n = 0;
    live.table->count(live.table, &n);
    EXPECT_EQ(n, 2) << taken;
  }
  SerializeDestroy(&format);
}

TEST(SensorText, EmptyTableIsAnElementWithoutChildren) {
  void* holder = nullptr;
  ASSERT_EQ(TallisCreate("btree", &holder), 0);
  int rc = -1;
  EXPECT_EQ(WriteText(&holder, &rc), "<DataSets formatter=\"calnest://DataSets\">\n</DataSets>\n");
  EXPECT_EQ(rc, 0);
  TallisDestroy(&holder);
}

}  // namespace
