// The formatter object of the data-set model (private to calnest).
#ifndef CALNEST_OBJECT_H
#define CALNEST_OBJECT_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <vector>

#include "calnest.h"
#include "shaper.h"

namespace calnest {

enum class Kind { kDataSets, kDataSet, kDataPoints, kDataPoint };

// One entry of a kind's field table.
struct Field {
  const char* name;
  int kind;
  const char* child_type_url;  // nullptr for text fields
};

struct Object;
using CreateChildFn = int (*)(Object* object, const char* type_url, void** out);

// What distinguishes the kinds.
struct KindInfo {
  Kind kind;
  const char* host;
  const char* type_url;
  const char* element;
  const Field* fields;
  size_t field_count;
  const void* const* methods;  // the twelve-entry table for DBFInitHandle
};

// Returns the kind named by a URL host, or nullptr.
const KindInfo* KindByHost(const char* host);

// The resource list: zero-filled blocks owned by the object until it is
// closed, then by its parent.
using Resources = std::list<std::unique_ptr<std::byte[]>>;

constexpr uint32_t kMagic = 0xCA1E5700u;

struct Object {
  DBFFormatter base{};  // module, reference count, the ten operations
  uint32_t magic_ = kMagic;
  const KindInfo* info_ = nullptr;
  Object* parent_ = nullptr;
  void* data_ = nullptr;  // by kind: holder, record, point array (or the record's point pointer), point
  size_t index_ = 0;      // iteration position
  int64_t element_count_ = 0;
  int pending_ = 1;       // finalisation still to run (getData)
  bool created_ = false;  // create() built this object's data; only such objects are finalised
  // Top-level object: points its tree declared without reading them
  // (numelements=, a record's count), each one an array entry to allocate.
  int64_t declared_points_ = 0;
  char text_[512] = {};   // one number formatted for the iteration
  CreateChildFn create_child_ = nullptr;
  std::vector<DataSet*> records_;    // DataSets: records collected while reading
  std::deque<DataPoint> points_;     // DataPoints: points collected while reading
  std::vector<void*> items_;         // DataSets: the values being iterated
  Resources resources_;

  // Returns a zero-filled block of `size` bytes on the resource list, or null.
  void* Allocate(size_t size);
};

// Returns the calnest object behind a pointer, or null for anything else.
Object* ObjectOf(void* p);

// What the exports "init" and "close" do (see calnest.h).
int Init(void** out, DecodedUrl* url, void* parent);
int Close(void** object);

}  // namespace calnest

#endif
