// The four kinds of the data-set model: their fields, values, creation,
// children and finalisation.
#include <cstdio>
#include <cstring>
#include <new>

#include "object.h"
#include "tallis.h"

namespace calnest {
namespace {

int CompareNames(const char* a, const char* b) {
  const int c = std::strcmp(a, b);  // compares bytes as unsigned char
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

Object* Self(void* o) { return static_cast<Object*>(o); }

TallisTable* TableOf(void* holder) {
  return holder != nullptr ? static_cast<TallisTable*>(*static_cast<void**>(holder)) : nullptr;
}

// Tells whether a record can take `id` (NULL stands for "") as its name.
bool NameFits(const char* id) { return CalnestNameStorable(id != nullptr ? id : "") != 0; }

// Copies a name into a record; a name that does not fit or would not read
// back from the written text is refused.
int CopyName(DataSet* record, const char* id) {
  if (record == nullptr) return CALNEST_E_NOTHERE;
  if (!NameFits(id)) return CALNEST_E_TEXT;
  if (id == nullptr) id = "";
  std::memcpy(record->name, id, std::strlen(id) + 1);
  return 0;
}

// ---- operations every kind shares ----

int GetTypeUrl(void* o, const char** url) {
  *url = Self(o)->info_->type_url;
  return 0;
}

int GetName(void* o, void*, const char** name) {
  *name = Self(o)->info_->element;
  return 0;
}

int AddRef(void* o) {
  ++Self(o)->base.refCount;
  return 0;
}

int GetIdEmpty(void*, void*, const char** id) {
  *id = "";
  return 0;
}

int SetIdNone(void*, const char*) { return CALNEST_E_NOTHERE; }

int SetValueIgnored(void*, const char*, const char*) { return 0; }

int GetDataPlain(void* o, void** out) {
  *out = Self(o)->data_;
  return 0;
}

int NoChildren(Object*, const char*, void**) { return CALNEST_E_NOTHERE; }

// An object only iterated (for writing) has nothing to finalise.
void StartIteration(Object* self, void* data) {
  self->data_ = data;
  self->index_ = 0;
  if (!self->created_) self->pending_ = 0;
}

// ---- DataSets ----

int DataSetsNext(void* o, const char** name, void** value, int* kind, const char** type_url, int* context) {
  Object* self = Self(o);
  if (self->index_ >= self->items_.size()) {
    self->items_.clear();
    self->items_.shrink_to_fit();
    return CALNEST_E_END;
  }
  *name = "";
  *value = self->items_[self->index_++];
  *kind = 2;
  *type_url = "calnest://DataSet";
  *context = 0;
  return 0;
}

int DataSetsFirst(void* o, void* data, const char** name, void** value, int* kind, const char** type_url,
                  int* context) {
  Object* self = Self(o);
  StartIteration(self, data);
  self->items_.clear();
  TallisTable* table = TableOf(data);
  int n = 0;
  if (table != nullptr && table->count(table, &n) == 0 && n > 0) {
    try {
      self->items_.resize(static_cast<size_t>(n));
    } catch (...) {
      return CALNEST_E_NOMEM;
    }
    const int got = table->values(table, self->items_.data());
    self->items_.resize(got > 0 ? static_cast<size_t>(got) : 0);
  }
  return DataSetsNext(o, name, value, kind, type_url, context);
}

int DataSetsCreate(void* o, const char*) {
  Object* self = Self(o);
  self->records_.clear();
  void* holder = nullptr;
  if (self->parent_ != nullptr) {
    const int rc = self->parent_->create_child_(self->parent_, self->info_->type_url, &holder);
    if (rc < 0) return rc;
  } else {
    holder = self->Allocate(sizeof(void*));
    if (holder == nullptr) return CALNEST_E_NOMEM;
  }
  self->data_ = holder;
  const int rc = TallisCreate("btree", static_cast<void**>(holder));
  if (rc >= 0) {
    TallisTable* table = TableOf(holder);
    table->setCompare(table, CompareNames);
    self->created_ = true;
  }
  return rc;
}

int DataSetsChild(Object* self, const char* type_url, void** out) {
  if (std::strcmp(type_url, "calnest://DataSet") != 0) return CALNEST_E_CHILD;
  auto* record = static_cast<DataSet*>(self->Allocate(sizeof(DataSet)));
  if (record == nullptr) return CALNEST_E_NOMEM;
  try {
    self->records_.push_back(record);
  } catch (...) {
    return CALNEST_E_NOMEM;  // the record stays on the resource list
  }
  ++self->element_count_;
  *out = record;
  return 0;
}

int DataSetsGetData(void* o, void** out) {
  Object* self = Self(o);
  if (self->pending_ > 0 && self->created_) {
    --self->pending_;
    TallisTable* table = TableOf(self->data_);
    if (table != nullptr) {
      // A second record of the same name is refused by the table and dropped.
      for (DataSet* record : self->records_) table->insert(table, record, record);
    }
    self->records_.clear();
  }
  *out = self->data_;
  return 0;
}

// ---- DataSet ----

int DataSetNext(void* o, const char** name, void** value, int* kind, const char** type_url, int* context) {
  Object* self = Self(o);
  auto* record = static_cast<DataSet*>(self->data_);
  if (self->index_ > 0 || record == nullptr) return CALNEST_E_END;
  ++self->index_;
  *name = "pData";
  *value = record->points;
  *kind = 3;
  *type_url = "calnest://DataPoints";
  *context = record->count;
  return 0;
}

int DataSetFirst(void* o, void* data, const char** name, void** value, int* kind, const char** type_url,
                 int* context) {
  StartIteration(Self(o), data);
  return DataSetNext(o, name, value, kind, type_url, context);
}

int DataSetCreate(void* o, const char* id) {
  Object* self = Self(o);
  if (!NameFits(id)) return CALNEST_E_TEXT;  // before a record is made for it
  DataSet* record = nullptr;
  if (self->parent_ != nullptr) {
    void* child = nullptr;
    const int rc = self->parent_->create_child_(self->parent_, self->info_->type_url, &child);
    if (rc < 0) return rc;
    record = static_cast<DataSet*>(child);
  } else {
    record = static_cast<DataSet*>(self->Allocate(sizeof(DataSet)));
    if (record == nullptr) return CALNEST_E_NOMEM;
  }
  self->data_ = record;
  self->created_ = true;
  return CopyName(record, id);
}

int DataSetGetId(void* o, void* data, const char** id) {
  auto* record = static_cast<DataSet*>(data != nullptr ? data : Self(o)->data_);
  *id = record != nullptr ? record->name : "";
  return 0;
}

int DataSetSetId(void* o, const char* id) { return CopyName(static_cast<DataSet*>(Self(o)->data_), id); }

int DataSetChild(Object* self, const char* type_url, void** out) {
  if (std::strcmp(type_url, "calnest://DataPoints") != 0) return CALNEST_E_CHILD;
  auto* record = static_cast<DataSet*>(self->data_);
  if (record == nullptr) return CALNEST_E_NOTHERE;
  *out = &record->points;
  return 0;
}

// ---- DataPoints ----

int DataPointsNext(void* o, const char** name, void** value, int* kind, const char** type_url, int* context) {
  Object* self = Self(o);
  auto* points = static_cast<DataPoint*>(self->data_);
  if (points == nullptr || static_cast<int64_t>(self->index_) >= self->element_count_) return CALNEST_E_END;
  *name = "";
  *value = &points[self->index_++];
  *kind = 2;
  *type_url = "calnest://DataPoint";
  *context = 0;
  return 0;
}

int DataPointsFirst(void* o, void* data, const char** name, void** value, int* kind, const char** type_url,
                    int* context) {
  StartIteration(Self(o), data);
  return DataPointsNext(o, name, value, kind, type_url, context);
}

// The object at the top of `o`'s tree.
Object* TopOf(Object* o) {
  while (o->parent_ != nullptr) o = o->parent_;
  return o;
}

int DataPointsCreate(void* o, const char*) {
  Object* self = Self(o);
  // Points declared by numelements= or taken from the record cost nothing in
  // the text but become array entries when the object is finalised; a tree
  // may declare at most CALNEST_MAX_ELEMENTS of them, so that a few bytes of
  // hostile text cannot ask for gigabytes.  Points read from the text are
  // paid for by the text itself.
  Object* top = TopOf(self);
  if (self->element_count_ > CALNEST_MAX_ELEMENTS - top->declared_points_) return CALNEST_E_VALUE;
  top->declared_points_ += self->element_count_;
  self->points_.clear();
  if (self->parent_ != nullptr) {
    void* slot = nullptr;
    const int rc = self->parent_->create_child_(self->parent_, self->info_->type_url, &slot);
    if (rc < 0) return rc;
    self->data_ = slot;  // the parent record's point pointer, until finalised
  }
  self->created_ = true;
  return 0;
}

int DataPointsChild(Object* self, const char* type_url, void** out) {
  if (std::strcmp(type_url, "calnest://DataPoint") != 0) return CALNEST_E_CHILD;
  if (self->element_count_ >= CALNEST_MAX_ELEMENTS) return CALNEST_E_NOMEM;
  try {
    self->points_.emplace_back(DataPoint{0.0, 0.0});
  } catch (...) {
    return CALNEST_E_NOMEM;
  }
  ++self->element_count_;
  *out = &self->points_.back();
  return 0;
}

/*
 *----------------------------------------------------------------------
 * DataPointsGetData --
 *   getData of DataPoints; the first call turns the collected points into
 *   one array of element-count points and hands it to the parent record.
 * Results:
 *   0 with *out the array (null for no points), or CALNEST_E_NOMEM.
 * Side effects:
 *   The array is a block on the object's resource list.  Objects that
 *   were never created are not finalised.
 *----------------------------------------------------------------------
 */
int DataPointsGetData(void* o, void** out) {
  Object* self = Self(o);
  // Only an object that create() bound to a record hands it an array: one
  // made for writing (iterated, or closed after a failed write before its
  // iteration began) must leave the live record as it is.
  if (self->pending_ > 0 && self->created_) {
    --self->pending_;
    // The collected points become one array of element-count points (the
    // count from numelements= or the record, plus every point collected).
    DataPoint* array = nullptr;
    if (self->element_count_ > 0) {
      array = static_cast<DataPoint*>(self->Allocate(sizeof(DataPoint) * static_cast<size_t>(self->element_count_)));
      if (array == nullptr) return CALNEST_E_NOMEM;
      size_t i = 0;
      for (const DataPoint& p : self->points_) {
        if (static_cast<int64_t>(i) >= self->element_count_) break;
        array[i++] = p;
      }
    }
    self->points_.clear();
    if (self->parent_ != nullptr && self->parent_->info_->kind == Kind::kDataSet) {
      auto* record = static_cast<DataSet*>(self->parent_->data_);
      if (record != nullptr) {
        record->points = array;
        record->count = static_cast<int32_t>(self->element_count_);
      }
    }
    self->data_ = array;
  }
  *out = self->data_;
  return 0;
}

// ---- DataPoint ----

int DataPointNext(void* o, const char** name, void** value, int* kind, const char** type_url, int* context) {
  Object* self = Self(o);
  auto* point = static_cast<DataPoint*>(self->data_);
  if (point == nullptr || self->index_ >= 2) return CALNEST_E_END;
  const bool volts = self->index_++ == 0;
  std::snprintf(self->text_, sizeof self->text_, "%lf", volts ? point->volts : point->eus);
  *name = volts ? "volts" : "eus";
  *value = self->text_;
  *kind = 1;
  *type_url = nullptr;
  *context = 0;
  return 0;
}

int DataPointFirst(void* o, void* data, const char** name, void** value, int* kind, const char** type_url,
                   int* context) {
  StartIteration(Self(o), data);
  return DataPointNext(o, name, value, kind, type_url, context);
}

int DataPointSetValue(void* o, const char* element, const char* text) {
  auto* point = static_cast<DataPoint*>(Self(o)->data_);
  if (point == nullptr || element == nullptr || text == nullptr) return CALNEST_E_TEXT;
  double* target = std::strcmp(element, "volts") == 0 ? &point->volts
                   : std::strcmp(element, "eus") == 0 ? &point->eus
                                                      : nullptr;
  if (target == nullptr) return CALNEST_E_TEXT;
  double value = 0.0;
  if (std::sscanf(text, "%lf", &value) != 1) return CALNEST_E_TEXT;
  *target = value;
  return 0;
}

int DataPointCreate(void* o, const char*) {
  Object* self = Self(o);
  if (self->parent_ != nullptr) {
    void* point = nullptr;
    const int rc = self->parent_->create_child_(self->parent_, self->info_->type_url, &point);
    if (rc < 0) return rc;
    self->data_ = point;
  } else {
    self->data_ = self->Allocate(sizeof(DataPoint));
    if (self->data_ == nullptr) return CALNEST_E_NOMEM;
  }
  self->created_ = true;
  return 0;
}

// A create() reaching an object through one of its field elements (the
// object then holds more than one reference) must not build its data again.
template <DBFCreateFn Fn>
int CreateOnce(void* o, const char* id) {
  if (Self(o)->base.refCount != 1) return 0;
  return Fn(o, id);
}

// The method tables, in DBFInitHandle's order: getTypeUrl, firstField,
// nextField, setValue, create, getId, setId, getName, addRef, getData,
// createChild, field table.
template <typename Fn>
const void* M(Fn fn) {
  return reinterpret_cast<const void*>(fn);
}

const Field kDataSetsFields[] = {{"", 2, "calnest://DataSet"}};
const Field kDataSetFields[] = {{"pData", 3, "calnest://DataPoints"}};
const Field kDataPointsFields[] = {{"", 2, "calnest://DataPoint"}};
const Field kDataPointFields[] = {{"volts", 1, nullptr}, {"eus", 1, nullptr}};

const void* const kDataSetsMethods[] = {
    M(GetTypeUrl), M(DataSetsFirst), M(DataSetsNext), M(SetValueIgnored), M(CreateOnce<DataSetsCreate>),
    M(GetIdEmpty), M(SetIdNone), M(GetName), M(AddRef), M(DataSetsGetData), M(DataSetsChild), kDataSetsFields};
const void* const kDataSetMethods[] = {
    M(GetTypeUrl), M(DataSetFirst), M(DataSetNext), M(SetValueIgnored), M(CreateOnce<DataSetCreate>),
    M(DataSetGetId), M(DataSetSetId), M(GetName), M(AddRef), M(GetDataPlain), M(DataSetChild), kDataSetFields};
const void* const kDataPointsMethods[] = {
    M(GetTypeUrl), M(DataPointsFirst), M(DataPointsNext), M(SetValueIgnored), M(CreateOnce<DataPointsCreate>),
    M(GetIdEmpty), M(SetIdNone), M(GetName), M(AddRef), M(DataPointsGetData), M(DataPointsChild),
    kDataPointsFields};
const void* const kDataPointMethods[] = {
    M(GetTypeUrl), M(DataPointFirst), M(DataPointNext), M(DataPointSetValue), M(CreateOnce<DataPointCreate>),
    M(GetIdEmpty), M(SetIdNone), M(GetName), M(AddRef), M(GetDataPlain), M(NoChildren), kDataPointFields};

const KindInfo kKinds[] = {
    {Kind::kDataSets, "DataSets", "calnest://DataSets", "DataSets", kDataSetsFields, 1, kDataSetsMethods},
    {Kind::kDataSet, "DataSet", "calnest://DataSet", "DataSet", kDataSetFields, 1, kDataSetMethods},
    {Kind::kDataPoints, "DataPoints", "calnest://DataPoints", "DataPoints", kDataPointsFields, 1,
     kDataPointsMethods},
    {Kind::kDataPoint, "DataPoint", "calnest://DataPoint", "DataPoint", kDataPointFields, 2, kDataPointMethods},
};

}  // namespace

const KindInfo* KindByHost(const char* host) {
  for (const KindInfo& k : kKinds) {
    if (std::strcmp(k.host, host) == 0) return &k;
  }
  return nullptr;
}

}  // namespace calnest
