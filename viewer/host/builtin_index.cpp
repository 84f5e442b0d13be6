// Built-in file records and the name index through which every lookup goes.
#include "builtin_index.h"

#include <cstdint>
#include <cstring>
#include <set>

#include "builtin_fs.h"
#include "et.h"

namespace trendel::host {

const char kTclLibraryDir[] = TRENDEL_TCL_LIBRARY_DIR;
const char kTkLibraryDir[] = TRENDEL_TK_LIBRARY_DIR;

namespace {

constexpr unsigned kBucketCount = 71;

// A built-in file.  Records of the compiled-in table are static; one
// registered at run time is a single Tcl_Alloc block holding the record and
// then its own copy of the name.  Records are never released.
struct Record {
  const char* name;
  const char* data;
  int32_t size;
  Record* next;
};

Record* g_buckets[kBucketCount];
unsigned char g_fold[256];
bool g_index_built = false;

void BuildFoldTable() {
  for (int c = 0; c < 256; ++c) g_fold[c] = static_cast<unsigned char>(c);
  for (int c = 'A'; c <= 'Z'; ++c) g_fold[c] = static_cast<unsigned char>(c - 'A' + 'a');
  g_fold[static_cast<unsigned char>('\\')] = '/';
}

void Link(Record* record) {
  const unsigned bucket = BucketOf(record->name);
  record->next = g_buckets[bucket];
  g_buckets[bucket] = record;
}

Record* Find(const char* name) {
  EnsureIndex();
  for (Record* r = g_buckets[BucketOf(name)]; r != nullptr; r = r->next) {
    if (CompareNames(name, r->name) == 0) return r;
  }
  return nullptr;
}

// The folded form of a name, for prefix tests and de-duplication.
std::string Folded(const char* name) {
  std::string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p != '\0'; ++p)
    out += static_cast<char>(Fold(*p));
  return out;
}

// The folded path without trailing slashes, when it lies at or under one of
// the library directories; empty otherwise.
std::string FoldedLibraryPath(const char* path) {
  std::string folded = Folded(path);
  while (folded.size() > 1 && folded.back() == '/') folded.pop_back();
  for (const char* root : {kTclLibraryDir, kTkLibraryDir}) {
    const std::string r = Folded(root);
    if (folded == r || folded.compare(0, r.size() + 1, r + "/") == 0) return folded;
  }
  return std::string();
}

template <typename Visit>
void ForEachRecord(Visit visit) {
  EnsureIndex();
  for (Record* head : g_buckets) {
    for (Record* r = head; r != nullptr; r = r->next) visit(*r);
  }
}

}  // namespace

unsigned char Fold(unsigned char c) {
  EnsureIndex();
  return g_fold[c];
}

/*
 * BucketOf --
 *	The designed name hash: h = h ^ (h << 5) ^ f for each byte, f being the
 *	fold-table value as a signed byte widened with its sign; a negative h is
 *	negated, and the bucket is h modulo 71 taken unsigned.
 * Results:
 *	A bucket number below 71.
 * Side effects:
 *	None.
 */
unsigned BucketOf(const char* name) {
  uint32_t h = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p != '\0'; ++p) {
    const int32_t f = static_cast<signed char>(Fold(*p));
    h = h ^ (h << 5) ^ static_cast<uint32_t>(f);
  }
  if (static_cast<int32_t>(h) < 0) h = 0u - h;
  return h % kBucketCount;
}

int CompareNames(const char* a, const char* b) {
  const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
  const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
  for (;; ++x, ++y) {
    const int fx = static_cast<signed char>(Fold(*x));
    const int fy = static_cast<signed char>(Fold(*y));
    if (fx != fy) return fx - fy;
    if (*x == '\0') return 0;
  }
}

/*
 * EnsureIndex --
 *	Builds the fold table and links the compiled-in records, in table
 *	order, each at the head of its bucket.
 * Results:
 *	None.
 * Side effects:
 *	Done once per process; later calls return at once.
 */
void EnsureIndex() {
  if (g_index_built) return;
  g_index_built = true;
  BuildFoldTable();
  static std::vector<Record> records(static_cast<size_t>(kCompiledFilesCount));
  for (int i = 0; i < kCompiledFilesCount; ++i) {
    Record& r = records[static_cast<size_t>(i)];
    r = Record{kCompiledFiles[i].name, kCompiledFiles[i].data, kCompiledFiles[i].size, nullptr};
    Link(&r);
  }
}

bool IsBuiltinDirectory(const char* path) {
  // Quick rejection for the common case: most paths are not ours.
  if (path[0] != '/' && path[0] != '\\') return false;
  const std::string folded = FoldedLibraryPath(path);
  if (folded.empty()) return false;
  bool found = false;
  ForEachRecord([&](const Record& r) {
    if (!found) {
      const std::string name = Folded(r.name);
      found = name.size() > folded.size() && name.compare(0, folded.size(), folded) == 0 &&
              name[folded.size()] == '/';
    }
  });
  return found;
}

std::vector<std::string> ListBuiltinDirectory(const char* dir, bool want_files, bool want_dirs) {
  std::vector<std::string> out;
  const std::string folded = FoldedLibraryPath(dir);
  if (folded.empty()) return out;
  std::string base = dir;
  while (base.size() > 1 && (base.back() == '/' || base.back() == '\\')) base.pop_back();
  std::set<std::string> seen;
  ForEachRecord([&](const Record& r) {
    const std::string name = Folded(r.name);
    if (name.size() <= folded.size() + 1 || name.compare(0, folded.size(), folded) != 0 ||
        name[folded.size()] != '/')
      return;
    // The entry directly inside dir: a file when no further "/" follows.
    const std::string rest(r.name + folded.size() + 1);
    const size_t slash = rest.find_first_of("/\\");
    const bool is_dir = slash != std::string::npos;
    const std::string entry = is_dir ? rest.substr(0, slash) : rest;
    if ((is_dir && !want_dirs) || (!is_dir && !want_files)) return;
    if (seen.insert(Folded(entry.c_str())).second) out.push_back(base + "/" + entry);
  });
  return out;
}

}  // namespace trendel::host

using trendel::host::Record;

/*
 * Et_RegisterBuiltinFile --
 *	Adds a record for `name` at the head of its bucket.
 * Results:
 *	None.
 * Side effects:
 *	One Tcl_Alloc block (record and name copy), never released.  A NULL
 *	name or data or a negative size registers nothing.
 */
extern "C" void Et_RegisterBuiltinFile(const char* name, const char* data, int size) {
  // A record without a name or data, or with a negative size, could not be
  // served; it is not registered.
  if (name == nullptr || data == nullptr || size < 0) return;
  trendel::host::EnsureIndex();
  const size_t name_length = std::strlen(name);
  char* block = Tcl_Alloc(static_cast<unsigned>(sizeof(Record) + name_length + 1));
  auto* record = reinterpret_cast<Record*>(block);
  char* name_copy = block + sizeof(Record);
  std::memcpy(name_copy, name, name_length + 1);
  *record = Record{name_copy, data, size, nullptr};
  trendel::host::Link(record);
  // Paths the file layer has already classified must be looked at again.
  trendel::host::NoteBuiltinFilesChanged();
}

extern "C" const char* Et_FindBuiltinFile(const char* name, int* size) {
  if (name == nullptr) return nullptr;
  const Record* r = trendel::host::Find(name);
  if (r == nullptr) return nullptr;
  if (size != nullptr) *size = r->size;
  return r->data;
}
