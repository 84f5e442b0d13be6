// The "btree" table kind: entries kept ordered by the installed comparison.
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <new>

#include "tallis.h"

namespace tallis {
namespace {

int DefaultCompare(const char* a, const char* b) {
  const int c = std::strcmp(a, b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// Orders keys through the table's comparison function, which sees keys as texts.
struct KeyOrder {
  TallisCompareFn compare = DefaultCompare;
  bool operator()(const void* a, const void* b) const {
    return compare(static_cast<const char*>(a), static_cast<const char*>(b)) < 0;
  }
};

constexpr uint32_t kMagic = 0x7a11b7e1;

// The table's own state behind TallisTable::impl.
struct BTree {
  uint32_t magic_ = kMagic;
  TallisTable table_{};
  std::map<const void*, void*, KeyOrder> entries_;
};

// Returns the tree of a table, or null for a table that is not one of ours.
BTree* TreeOf(TallisTable* table) {
  if (table == nullptr || table->impl == nullptr) return nullptr;
  auto* tree = static_cast<BTree*>(table->impl);
  return tree->magic_ == kMagic ? tree : nullptr;
}

int Insert(TallisTable* table, void* key, void* value) {
  BTree* tree = TreeOf(table);
  if (tree == nullptr || key == nullptr) return TALLIS_E_ARGUMENT;
  try {
    return tree->entries_.emplace(key, value).second ? TALLIS_OK : TALLIS_E_EXISTS;
  } catch (...) {
    return TALLIS_E_NOMEM;
  }
}

int Update(TallisTable* table, void* key, void* value) {
  BTree* tree = TreeOf(table);
  if (tree == nullptr || key == nullptr) return TALLIS_E_ARGUMENT;
  auto it = tree->entries_.find(key);
  if (it == tree->entries_.end()) {
    try {
      tree->entries_.emplace(key, value);
    } catch (...) {
      return TALLIS_E_NOMEM;
    }
    return 1;
  }
  // The new key compares equal but may be another object (a new record whose
  // name is the key); the entry must point at it, the old one may go away.
  auto node = tree->entries_.extract(it);
  node.key() = key;
  node.mapped() = value;
  tree->entries_.insert(std::move(node));
  return TALLIS_OK;
}

int Remove(TallisTable* table, const void* key) {
  BTree* tree = TreeOf(table);
  if (tree == nullptr || key == nullptr) return TALLIS_E_ARGUMENT;
  return tree->entries_.erase(key) == 1 ? TALLIS_OK : TALLIS_E_ABSENT;
}

int Lookup(TallisTable* table, const void* key, void** value) {
  BTree* tree = TreeOf(table);
  if (tree == nullptr || key == nullptr || value == nullptr) return TALLIS_E_ARGUMENT;
  auto it = tree->entries_.find(key);
  if (it == tree->entries_.end()) return TALLIS_E_ABSENT;
  *value = it->second;
  return TALLIS_OK;
}

int Count(TallisTable* table, int* n) {
  BTree* tree = TreeOf(table);
  if (tree == nullptr || n == nullptr) return TALLIS_E_ARGUMENT;
  *n = static_cast<int>(tree->entries_.size());
  return TALLIS_OK;
}

int Keys(TallisTable* table, void** array) {
  BTree* tree = TreeOf(table);
  if (tree == nullptr || array == nullptr) return TALLIS_E_ARGUMENT;
  int i = 0;
  for (const auto& entry : tree->entries_) array[i++] = const_cast<void*>(entry.first);
  return i;
}

int Values(TallisTable* table, void** array) {
  BTree* tree = TreeOf(table);
  if (tree == nullptr || array == nullptr) return TALLIS_E_ARGUMENT;
  int i = 0;
  for (const auto& entry : tree->entries_) array[i++] = entry.second;
  return i;
}

int SetCompare(TallisTable* table, TallisCompareFn compare) {
  BTree* tree = TreeOf(table);
  if (tree == nullptr) return TALLIS_E_ARGUMENT;
  try {
    std::map<const void*, void*, KeyOrder> reordered(KeyOrder{compare != nullptr ? compare : DefaultCompare});
    for (const auto& entry : tree->entries_) reordered.emplace(entry.first, entry.second);
    tree->entries_.swap(reordered);
  } catch (...) {
    return TALLIS_E_NOMEM;
  }
  return TALLIS_OK;
}

}  // namespace
}  // namespace tallis

extern "C" int TallisCreate(const char* kind, void** holder) {
  if (kind == nullptr || holder == nullptr) return TALLIS_E_ARGUMENT;
  if (std::strcmp(kind, "btree") != 0) return TALLIS_E_KIND;
  auto tree = std::unique_ptr<tallis::BTree>(new (std::nothrow) tallis::BTree);
  if (tree == nullptr) return TALLIS_E_NOMEM;
  TallisTable& t = tree->table_;
  t.insert = tallis::Insert;
  t.update = tallis::Update;
  t.remove = tallis::Remove;
  t.lookup = tallis::Lookup;
  t.count = tallis::Count;
  t.keys = tallis::Keys;
  t.values = tallis::Values;
  t.setCompare = tallis::SetCompare;
  t.impl = tree.get();
  *holder = &tree.release()->table_;
  return TALLIS_OK;
}

extern "C" void TallisDestroy(void** holder) {
  if (holder == nullptr || *holder == nullptr) return;
  tallis::BTree* tree = tallis::TreeOf(static_cast<TallisTable*>(*holder));
  *holder = nullptr;
  if (tree == nullptr) return;
  delete tree;
}
