// The data sets of a collection: looked up, added, replaced, removed, named
// and counted through the collection's table.
#include <cstring>

#include "calnest.h"
#include "data_sets.h"
#include "handle.h"
#include "tallis.h"

namespace {

constexpr int kTableAbsent = -6;

TallisTable* TableOf(const EUDataSetCollection* c) {
  return c != nullptr && c->holder != nullptr ? *static_cast<TallisTable**>(c->holder) : nullptr;
}

/*
 *----------------------------------------------------------------------
 * BuildRecord --
 *   Makes a DataSet record of `name` with points (volts[i], eus[i]), as two
 *   resource blocks on the collection's handle.
 * Results:
 *   The record, or null without memory.
 * Side effects:
 *   The blocks live until the handle closes.
 *----------------------------------------------------------------------
 */
DataSet* BuildRecord(EUDataSetCollection* c, const char* name, const double* volts, const double* eus, int n) {
  auto* record = static_cast<DataSet*>(orvela::eu::AddResource(c->eu, sizeof(DataSet), nullptr));
  if (record == nullptr) return nullptr;
  std::memcpy(record->name, name, std::strlen(name) + 1);
  if (n > 0) {
    auto* points = static_cast<DataPoint*>(
        orvela::eu::AddResource(c->eu, sizeof(DataPoint) * static_cast<size_t>(n), nullptr));
    if (points == nullptr) return nullptr;
    for (int i = 0; i < n; ++i) points[i] = DataPoint{volts[i], eus[i]};
    record->points = points;
  }
  record->count = n;
  return record;
}

// Checks the arguments shared by set and update; a name the sensor file
// could not give back is refused.  Returns 0 or a code.
int CheckNewSet(EUHandle* h, EUDataSetCollection* c, const char* name, const double* volts, const double* eus,
                int n) {
  if (h == nullptr || c == nullptr || c->eu == nullptr) return EU_E_NO_HANDLE;
  if (TableOf(c) == nullptr || !CalnestNameStorable(name) || n < 0 || n > CALNEST_MAX_ELEMENTS) return EU_E_TABLE;
  if (n > 0 && (volts == nullptr || eus == nullptr)) return EU_E_TABLE;
  return 0;
}

}  // namespace

extern "C" int EUgetDataSet(EUHandle* h, EUDataSetCollection* c, const char* name, double** volts, double** eus,
                            int* count) {
  if (h == nullptr || c == nullptr || volts == nullptr || eus == nullptr || count == nullptr) return EU_E_NO_HANDLE;
  TallisTable* table = TableOf(c);
  void* found = nullptr;
  if (table == nullptr || name == nullptr || table->lookup(table, name, &found) < 0 || found == nullptr) {
    return EU_E_NOT_FOUND;
  }
  const auto* record = static_cast<const DataSet*>(found);
  const int n = record->count > 0 && record->points != nullptr ? record->count : 0;
  *count = n;
  const size_t size = sizeof(double) * static_cast<size_t>(n);
  auto* v = static_cast<double*>(orvela::eu::AddResource(h, size, nullptr));
  if (v == nullptr) return EU_E_NOMEM;
  auto* e = static_cast<double*>(orvela::eu::AddResource(h, size, nullptr));
  if (e == nullptr) {
    orvela::eu::ReleaseResource(h, v);
    return EU_E_NOMEM;
  }
  for (int i = 0; i < n; ++i) {
    v[i] = record->points[i].volts;
    e[i] = record->points[i].eus;
  }
  *volts = v;
  *eus = e;
  return 0;
}

extern "C" int EUsetDataSet(EUHandle* h, EUDataSetCollection* c, const char* name, const double* volts,
                            const double* eus, int count) {
  int rc = CheckNewSet(h, c, name, volts, eus, count);
  if (rc < 0) return rc;
  TallisTable* table = TableOf(c);
  void* found = nullptr;
  rc = table->lookup(table, name, &found);
  if (rc >= 0) return EU_E_EXISTS;
  if (rc != kTableAbsent) return EU_E_TABLE;
  DataSet* record = BuildRecord(c, name, volts, eus, count);
  if (record == nullptr) return EU_E_NOMEM;
  rc = table->insert(table, record, record);
  if (rc < 0) return EU_E_TABLE;
  c->changed = true;
  return rc;
}

extern "C" int EUupdateDataSet(EUHandle* h, EUDataSetCollection* c, const char* name, const double* volts,
                               const double* eus, int count) {
  int rc = CheckNewSet(h, c, name, volts, eus, count);
  if (rc < 0) return rc;
  DataSet* record = BuildRecord(c, name, volts, eus, count);
  if (record == nullptr) return EU_E_NOMEM;
  TallisTable* table = TableOf(c);
  rc = table->update(table, record, record);
  if (rc < 0) return EU_E_TABLE;
  c->changed = true;
  return rc;
}

extern "C" int EUremoveDataSet(EUHandle* h, EUDataSetCollection* c, const char* name) {
  if (h == nullptr || c == nullptr) return EU_E_NO_HANDLE;
  TallisTable* table = TableOf(c);
  if (table == nullptr) return EU_E_TABLE;
  if (name == nullptr) return EU_E_NOT_FOUND;
  const int rc = table->remove(table, name);
  if (rc == kTableAbsent) return EU_E_NOT_FOUND;
  if (rc != 0) return EU_E_TABLE;
  c->changed = true;
  return 0;
}

extern "C" int EUgetDataSetsIds(EUHandle* h, EUDataSetCollection* c, char*** names, int* count) {
  if (h == nullptr || c == nullptr || names == nullptr || count == nullptr) return EU_E_NO_HANDLE;
  TallisTable* table = TableOf(c);
  int n = 0;
  if (table == nullptr || table->count(table, &n) < 0) return EU_E_TABLE;
  *count = n;
  if (n < 1) return 0;
  // The names are copied beside the array: records read from the file die
  // with the collection, and the array is promised until EUClose.
  const size_t count_n = static_cast<size_t>(n);
  auto* array = static_cast<char**>(
      orvela::eu::AddResource(h, (sizeof(char*) + CALNEST_NAME_ROOM) * count_n, nullptr));
  if (array == nullptr) return EU_E_NOMEM;
  // The keys are the records, and a record begins with its name.
  const int got = table->keys(table, reinterpret_cast<void**>(array));
  if (got < 0 || got > n) return EU_E_TABLE;
  char* text = reinterpret_cast<char*>(array + count_n);
  for (size_t i = 0; i < count_n; ++i) {
    char* copy = text + i * CALNEST_NAME_ROOM;
    if (i < static_cast<size_t>(got)) {
      const size_t length = strnlen(array[i], CALNEST_NAME_ROOM - 1);
      std::memcpy(copy, array[i], length);
      copy[length] = '\0';
    }
    array[i] = copy;
  }
  *names = array;
  return 0;
}

extern "C" int EUgetNumDataSets(EUHandle* h, EUDataSetCollection* c, int* count) {
  if (h == nullptr || c == nullptr || count == nullptr) return EU_E_NO_HANDLE;
  TallisTable* table = TableOf(c);
  if (table == nullptr || table->count(table, count) < 0) return EU_E_TABLE;
  return 0;
}
