// Tests of the four kinds through the formatter registry: making objects for
// URLs, field elements, values, creation and iteration.
#include <gtest/gtest.h>

#include <string>

#include "calnest.h"
#include "shaper.h"
#include "tallis.h"
#include "../../code_table_test.h"

namespace {

DBFFormatter* F(void* o) { return static_cast<DBFFormatter*>(o); }

TEST(CalnestInit, UrlsAndParents) {
  void* sets = nullptr;
  ASSERT_EQ(DBFInit("calnest://DataSets", &sets, nullptr), 0);
  EXPECT_NE(static_cast<DBFObject*>(sets)->module, nullptr);
  ASSERT_EQ(F(sets)->create(sets, ""), 0);

  struct Case {
    const char* url;
    int code;
    bool same_as_parent;
  } cases[] = {
      {"calnest://DataSet", 0, false},   // the parent's child kind
      {"calnest://DataPoint", CALNEST_E_URL, false},
      {"calnest://Nothing", CALNEST_E_URL, false},
  };
  for (const Case& c : cases) {
    void* child = nullptr;
    EXPECT_EQ(DBFInit(c.url, &child, sets), c.code) << c.url;
    if (c.code == 0) DBFClose(&child);
  }

  void* point = nullptr;
  ASSERT_EQ(DBFInit("calnest://DataPoint", &point, nullptr), 0);
  ASSERT_EQ(F(point)->create(point, ""), 0);
  void* field = nullptr;
  ASSERT_EQ(DBFInit("calnest://volts", &field, point), 0);
  EXPECT_EQ(field, point);  // a field element lands on its object
  EXPECT_EQ(F(point)->refCount, 2);
  EXPECT_EQ(F(field)->create(field, ""), 0);  // changes nothing
  DBFClose(&field);
  EXPECT_EQ(field, point);  // still alive
  DBFClose(&point);
  EXPECT_EQ(point, nullptr);
  DBFClose(&sets);

  void* o = nullptr;
  EXPECT_EQ(DBFInit("calnest://Unknown", &o, nullptr), CALNEST_E_URL);
  EXPECT_EQ(DBFInit("calnest://DataPoints/numelements=abc", &o, nullptr), CALNEST_E_VALUE);
  EXPECT_EQ(DBFInit("calnest://DataPoints/numelements=-1", &o, nullptr), CALNEST_E_VALUE);
  EXPECT_EQ(DBFInit("calnest://DataPoints/numelements=99999999", &o, nullptr), CALNEST_E_VALUE);
  EXPECT_EQ(o, nullptr);
}

TEST(CalnestDataPoint, SetValueAndItsFields) {
  void* point = nullptr;
  ASSERT_EQ(DBFInit("calnest://DataPoint", &point, nullptr), 0);
  ASSERT_EQ(F(point)->create(point, ""), 0);
  EXPECT_EQ(F(point)->setValue(point, "volts", "0.5"), 0);
  EXPECT_EQ(F(point)->setValue(point, "eus", "abc"), CALNEST_E_TEXT);
  EXPECT_EQ(F(point)->setValue(point, "ohms", "1"), CALNEST_E_TEXT);
  EXPECT_EQ(F(point)->setId(point, "x"), CALNEST_E_NOTHERE);
  void* data = nullptr;
  ASSERT_EQ(F(point)->getData(point, &data), 0);
  const auto* p = static_cast<DataPoint*>(data);
  EXPECT_EQ(p->volts, 0.5);
  EXPECT_EQ(p->eus, 0.0);  // unchanged by the refused text

  const char* name = nullptr;
  void* value = nullptr;
  int kind = 0, context = 0;
  const char* type_url = nullptr;
  ASSERT_EQ(F(point)->firstField(point, data, &name, &value, &kind, &type_url, &context), 0);
  EXPECT_STREQ(name, "volts");
  EXPECT_STREQ(static_cast<const char*>(value), "0.500000");
  EXPECT_EQ(kind, 1);
  ASSERT_EQ(F(point)->nextField(point, &name, &value, &kind, &type_url, &context), 0);
  EXPECT_STREQ(name, "eus");
  EXPECT_STREQ(static_cast<const char*>(value), "0.000000");
  EXPECT_EQ(F(point)->nextField(point, &name, &value, &kind, &type_url, &context), CALNEST_E_END);
  DBFClose(&point);
}

TEST(CalnestDataPoints, WithoutParentOrCountThereAreNoPoints) {
  DataPoint points[2] = {{1, 2}, {3, 4}};
  for (const char* url : {"calnest://DataPoints", "calnest://DataPoints/numelements=2"}) {
    void* o = nullptr;
    ASSERT_EQ(DBFInit(url, &o, nullptr), 0);
    const char* name = nullptr;
    void* value = nullptr;
    int kind = 0, context = 0, n = 0;
    const char* type_url = nullptr;
    int rc = F(o)->firstField(o, points, &name, &value, &kind, &type_url, &context);
    while (rc == 0) {
      EXPECT_EQ(value, &points[n]);
      EXPECT_STREQ(type_url, "calnest://DataPoint");
      ++n;
      rc = F(o)->nextField(o, &name, &value, &kind, &type_url, &context);
    }
    EXPECT_EQ(rc, CALNEST_E_END);
    EXPECT_EQ(n, std::string(url).find("numelements") != std::string::npos ? 2 : 0) << url;
    DBFClose(&o);
  }
}

TEST(CalnestDataSet, NamesUpTo63Characters) {
  void* set = nullptr;
  ASSERT_EQ(DBFInit("calnest://DataSet", &set, nullptr), 0);
  EXPECT_EQ(F(set)->create(set, std::string(64, 'n').c_str()), CALNEST_E_TEXT);
  ASSERT_EQ(F(set)->create(set, std::string(63, 'n').c_str()), 0);
  const char* id = nullptr;
  ASSERT_EQ(F(set)->getId(set, nullptr, &id), 0);
  EXPECT_EQ(std::string(id), std::string(63, 'n'));
  EXPECT_EQ(F(set)->setId(set, std::string(64, 'm').c_str()), CALNEST_E_TEXT);
  EXPECT_EQ(F(set)->setId(set, "short"), 0);
  F(set)->getId(set, nullptr, &id);
  EXPECT_STREQ(id, "short");
  // Names the written text would not give back: the writer puts them out
  // verbatim as ID="NAME" formatter="...".
  for (const char* name : {"with \"quote", "ends in formatter="}) {
    EXPECT_EQ(F(set)->setId(set, name), CALNEST_E_TEXT) << name;
  }
  EXPECT_EQ(F(set)->setId(set, "formatter=inside"), 0);
  DBFClose(&set);
}

TEST(CalnestDataSets, CreatesAnOrderedTable) {
  void* sets = nullptr;
  ASSERT_EQ(DBFInit("calnest://DataSets", &sets, nullptr), 0);
  ASSERT_EQ(F(sets)->create(sets, ""), 0);
  void* holder = nullptr;
  ASSERT_EQ(F(sets)->getData(sets, &holder), 0);
  auto* table = *static_cast<TallisTable**>(holder);
  ASSERT_NE(table, nullptr);
  // Bytes compare as unsigned: a name starting with 0xE9 sorts after 'z'.
  DataSet a{"zeta", 0, nullptr}, b{"\xE9t\xE9", 0, nullptr}, c{"Alpha", 0, nullptr};
  for (DataSet* r : {&a, &b, &c}) ASSERT_EQ(table->insert(table, r, r), 0);
  void* keys[3];
  ASSERT_EQ(table->keys(table, keys), 3);
  EXPECT_EQ(keys[0], &c);
  EXPECT_EQ(keys[1], &a);
  EXPECT_EQ(keys[2], &b);
  const char* type_url = nullptr;
  F(sets)->getTypeUrl(sets, &type_url);
  EXPECT_STREQ(type_url, "calnest://DataSets");
  DBFClose(&sets);
}

// Every result code is defined once, with a message.
TEST(CalnestCodes, EachValueOnceWithAMessage) {
  const orvela_test::CodeRow codes[] = {CALNEST_CODES(ORVELA_CODE_ROW)};
  orvela_test::ExpectEachValueOnceWithAMessage(codes);
}

}  // namespace
