// Objects made for URLs, and closed with their resources handed to the parent.
#include <cstdio>
#include <cstring>
#include <new>

#include "object.h"
#include "ostrel.h"
#include "tallis.h"

namespace calnest {

void* Object::Allocate(size_t size) {
  try {
    resources_.push_back(std::unique_ptr<std::byte[]>(new std::byte[size]()));
  } catch (...) {
    return nullptr;
  }
  return resources_.back().get();
}

Object* ObjectOf(void* p) {
  auto* o = static_cast<Object*>(p);
  return o != nullptr && o->magic_ == kMagic ? o : nullptr;
}

namespace {

// Reads N from "numelements=N" in a URL path.  Returns 1 when found, 0 when
// the path has none, CALNEST_E_VALUE when N is unreadable or out of range.
int ElementsInPath(const char* path, int64_t* n) {
  const char* at = std::strstr(path, "numelements=");
  if (at == nullptr) return 0;
  int value = 0;
  if (std::sscanf(at + 12, "%d", &value) != 1 || value < 0 || value > CALNEST_MAX_ELEMENTS) {
    return CALNEST_E_VALUE;
  }
  *n = value;
  return 1;
}

int NewObject(void** out, const DecodedUrl* url, Object* parent) {
  const KindInfo* info = KindByHost(url->host);
  if (info == nullptr) return CALNEST_E_URL;
  int64_t elements = 0;
  if (info->kind == Kind::kDataPoints) {
    const int found = ElementsInPath(url->path, &elements);
    if (found < 0) return found;
    if (found == 0 && parent != nullptr && parent->info_->kind == Kind::kDataSet && parent->data_ != nullptr) {
      const int32_t count = static_cast<DataSet*>(parent->data_)->count;
      elements = count > 0 ? count : 0;
    }
  }
  auto* o = new (std::nothrow) Object;
  if (o == nullptr) return CALNEST_E_NOMEM;
  o->base.refCount = 1;
  o->info_ = info;
  o->parent_ = parent;
  o->element_count_ = elements;
  DBFInitHandle(o, info->methods);
  o->create_child_ = reinterpret_cast<CreateChildFn>(const_cast<void*>(info->methods[DBF_METHOD_CREATE_CHILD]));
  *out = o;
  return 0;
}

}  // namespace

/*
 *----------------------------------------------------------------------
 * Init --
 *   The export "init": an object for `url`, under `parent` when given
 *   (see calnest.h).
 * Results:
 *   0, CALNEST_E_URL, CALNEST_E_VALUE or CALNEST_E_NOMEM.
 * Side effects:
 *   For a field element the parent gains a reference.
 *----------------------------------------------------------------------
 */
int Init(void** out, DecodedUrl* url, void* parent) {
  if (out == nullptr || url == nullptr) return CALNEST_E_URL;
  if (parent == nullptr) return NewObject(out, url, nullptr);
  Object* p = ObjectOf(parent);
  if (p == nullptr) return CALNEST_E_URL;
  char child_url[sizeof url->scheme + sizeof url->host + 4];
  std::snprintf(child_url, sizeof child_url, "%s://%s", url->scheme, url->host);
  for (size_t i = 0; i < p->info_->field_count; ++i) {
    const Field& f = p->info_->fields[i];
    if (f.child_type_url != nullptr && std::strcmp(f.child_type_url, child_url) == 0) {
      return NewObject(out, url, p);
    }
  }
  // A field element (volts, eus) lands on its object itself.
  for (size_t i = 0; i < p->info_->field_count; ++i) {
    if (std::strcmp(p->info_->fields[i].name, url->host) == 0) {
      p->base.addRef(p);
      *out = p;
      return 0;
    }
  }
  return CALNEST_E_URL;
}

/*
 *----------------------------------------------------------------------
 * Close --
 *   The export "close": drops a reference; at the last, finalises the
 *   object, destroys a table it created and hands its resources to the
 *   parent (or releases them).
 * Results:
 *   0.
 * Side effects:
 *   The object is freed and *object nulled at the last reference.
 *----------------------------------------------------------------------
 */
int Close(void** object) {
  if (object == nullptr) return 0;
  Object* o = ObjectOf(*object);
  if (o == nullptr) return 0;
  if (--o->base.refCount > 0) return 0;
  void* data = nullptr;
  o->base.getData(o, &data);
  if (o->info_->kind == Kind::kDataSets && o->created_) TallisDestroy(static_cast<void**>(o->data_));
  if (o->parent_ != nullptr) o->parent_->resources_.splice(o->parent_->resources_.end(), o->resources_);
  o->magic_ = 0;
  delete o;
  *object = nullptr;
  return 0;
}

}  // namespace calnest
