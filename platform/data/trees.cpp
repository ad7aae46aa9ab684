// Balanced-tree services (ztrebld, ztrelst). The module needs "find or insert by key"
// while reading and an ascending list at the end; a hash table of the keys with one
// sort when the list is made does both, and is far faster than a pointer tree for
// millions of distinct values. The root word holds the host's table until ztrelst.
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/host_vectors.h"
#include "core/runtime.h"
#include "data/data_messages.h"
#include "data/dataset_internal.h"
#include "host/host_missing.h"

namespace plat {
namespace {

struct slot {
  std::uint64_t key;  // numeric keys: the sort key itself; byte keys: a hash
  void* node;         // null: empty slot
};

// A zero-filled array of slots. Large ones are mapped on their own with huge pages
// asked for: the table is probed at random, and page-table misses would otherwise
// cost as much as the cache misses.
class slot_array {
 public:
  slot_array() = default;
  explicit slot_array(size_t n) : size_(n), cap_(n) {
    size_t bytes = n * sizeof(slot);
    if (bytes >= kMapped) {
      void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (p == MAP_FAILED) throw std::bad_alloc();
      madvise(p, bytes, MADV_HUGEPAGE);
      p_ = static_cast<slot*>(p);
    } else if (n > 0) {
      p_ = static_cast<slot*>(std::calloc(n, sizeof(slot)));
      if (p_ == nullptr) throw std::bad_alloc();
    }
  }
  ~slot_array() {
    if (p_ == nullptr) return;
    if (cap_ * sizeof(slot) >= kMapped) munmap(p_, cap_ * sizeof(slot));
    else std::free(p_);
  }
  slot_array(const slot_array&) = delete;
  slot_array& operator=(const slot_array&) = delete;
  void swap(slot_array& o) {
    std::swap(p_, o.p_);
    std::swap(size_, o.size_);
    std::swap(cap_, o.cap_);
  }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  slot& operator[](size_t i) { return p_[i]; }
  slot* begin() { return p_; }
  slot* end() { return p_ + size_; }
  void shrink(size_t n) { size_ = n; }  // keeps the first n entries

 private:
  static constexpr size_t kMapped = size_t{4} << 20;
  slot* p_ = nullptr;
  size_t size_ = 0;
  size_t cap_ = 0;
};

struct tree_state {
  int keylen;  // -1 doubles, 0 ints, above 0 bytes
  int keyoff;
  slot_array table;
  size_t count = 0;
  size_t mask = 0;
};

std::unordered_set<tree_state*>& live_trees() {
  static std::unordered_set<tree_state*> s;
  return s;
}
tree_state* last_tree = nullptr;
bool cleanup_registered = false;

std::uint64_t mix(std::uint64_t x) {
  x ^= x >> 30;
  x *= 0xbf58476d1ce4e5b9ULL;
  x ^= x >> 27;
  x *= 0x94d049bb133111ebULL;
  x ^= x >> 31;
  return x;
}

// Order-preserving key of a double: missing values (by their code) below every
// number, numbers in numeric order, -0 equal to 0.
std::uint64_t double_key(double v) {
  if (v != v) return static_cast<std::uint64_t>(host_missing_code(v) + 200);
  if (v == 0) v = 0;
  std::uint64_t b = host_double_bits(v);
  return (b & 0x8000000000000000ULL) ? ~b : (b | 0x8000000000000000ULL);
}

std::uint64_t node_key(const tree_state& t, const void* node) {
  const unsigned char* k = static_cast<const unsigned char*>(node) + t.keyoff;
  if (t.keylen < 0) {
    double v;
    std::memcpy(&v, k, sizeof v);
    return double_key(v);
  }
  if (t.keylen == 0) {
    std::int32_t i;
    std::memcpy(&i, k, sizeof i);
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(i) ^ 0x80000000u);
  }
  // FNV-1a over the bytes; equal hashes are confirmed by comparing the bytes.
  std::uint64_t h = 1469598103934665603ULL;
  for (int i = 0; i < t.keylen; ++i) h = (h ^ k[i]) * 1099511628211ULL;
  return h;
}

bool same_bytes(const tree_state& t, const void* a, const void* b) {
  return std::memcmp(static_cast<const char*>(a) + t.keyoff, static_cast<const char*>(b) + t.keyoff,
                     static_cast<size_t>(t.keylen)) == 0;
}

void grow(tree_state& t) {
  // Quadrupling once the table is large halves the work of moving entries.
  size_t cap = t.table.empty() ? 64 : t.table.size() * (t.table.size() >= (size_t{1} << 20) ? 4 : 2);
  slot_array fresh(cap);
  size_t mask = cap - 1;
  for (const slot& s : t.table) {
    if (s.node == nullptr) continue;
    size_t i = mix(s.key) & mask;
    while (fresh[i].node != nullptr) i = (i + 1) & mask;
    fresh[i] = s;
  }
  t.table.swap(fresh);
  t.mask = mask;
}

void* insert(tree_state& t, void* node) {
  if ((t.count + 1) * 4 > t.table.size() * 3) grow(t);
  std::uint64_t key = node_key(t, node);
  size_t i = mix(key) & t.mask;
  for (;;) {
    slot& s = t.table[i];
    if (s.node == nullptr) {
      s.key = key;
      s.node = node;
      ++t.count;
      return node;
    }
    if (s.key == key && (t.keylen <= 0 || same_bytes(t, s.node, node))) return s.node;
    i = (i + 1) & t.mask;
  }
}

bool key_less(const slot& a, const slot& b) { return a.key < b.key; }

// Sorts the first n slots by key: least significant digit first, 11 bits a pass (few
// enough buckets for the scatter to stay in cache), passes whose digit is the same
// for every entry skipped.
void radix_sort(slot_array& v) {
  size_t n = v.size();
  if (n < 256) {
    std::sort(v.begin(), v.end(), key_less);
    return;
  }
  constexpr int kBits = 11, kPasses = 6;
  constexpr size_t kBuckets = size_t{1} << kBits;
  std::vector<size_t> counts(kPasses * kBuckets, 0);
  for (const slot& s : v)
    for (int d = 0; d < kPasses; ++d) ++counts[d * kBuckets + ((s.key >> (kBits * d)) & (kBuckets - 1))];
  slot_array tmp(n);
  for (int d = 0; d < kPasses; ++d) {
    size_t* c = &counts[d * kBuckets];
    bool trivial = false;
    for (size_t k = 0; k < kBuckets; ++k) {
      if (c[k] == n) trivial = true;
      if (c[k] != 0) break;
    }
    if (trivial) continue;
    size_t sum = 0;
    for (size_t k = 0; k < kBuckets; ++k) {
      size_t m = c[k];
      c[k] = sum;
      sum += m;
    }
    const int shift = kBits * d;
    for (const slot& s : v) tmp[c[(s.key >> shift) & (kBuckets - 1)]++] = s;
    v.swap(tmp);
  }
}

tree_state* state_of(void* root_word) {
  auto* t = static_cast<tree_state*>(root_word);
  if (t == last_tree) return t;
  if (live_trees().count(t) == 0) return nullptr;
  last_tree = t;
  return t;
}

void release(tree_state* t) {
  live_trees().erase(t);
  if (last_tree == t) last_tree = nullptr;
  delete t;
}

}  // namespace
}  // namespace plat

using namespace plat;

extern "C" {

void* plat_ztrebld(void** root, void* node, int keylen, int keyoff) {
  if (root == nullptr || node == nullptr || keyoff < 0) return nullptr;
  try {
    tree_state* t;
    if (*root == nullptr) {
      t = new tree_state();
      t->keylen = keylen < 0 ? -1 : keylen;
      t->keyoff = keyoff;
      live_trees().insert(t);
      last_tree = t;
      *root = t;
      if (!cleanup_registered) {
        cleanup_registered = true;
        at_step_end([] {
          cleanup_registered = false;
          for (tree_state* s : live_trees()) delete s;
          live_trees().clear();
          last_tree = nullptr;
        });
      }
    } else {
      t = state_of(*root);
      if (t == nullptr || t->keyoff != keyoff || t->keylen != (keylen < 0 ? -1 : keylen)) {
        data_msg(datamsg::bad_tree_root);
        return nullptr;
      }
    }
    return insert(*t, node);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void plat_ztrelst(void** root) {
  if (root == nullptr || *root == nullptr) return;
  tree_state* t = state_of(*root);
  if (t == nullptr) return;  // already a list
  // The entries move to the front of the table, which is then sorted in place.
  slot_array& all = t->table;
  size_t n = 0;
  for (size_t i = 0; i < all.size(); ++i)
    if (all[i].node != nullptr) all[n++] = all[i];
  all.shrink(n);
  if (t->keylen > 0) {
    int len = t->keylen, off = t->keyoff;
    std::sort(all.begin(), all.end(), [len, off](const slot& a, const slot& b) {
      return std::memcmp(static_cast<const char*>(a.node) + off, static_cast<const char*>(b.node) + off,
                         static_cast<size_t>(len)) < 0;
    });
  } else {
    try {
      radix_sort(all);
    } catch (const std::bad_alloc&) {
      std::sort(all.begin(), all.end(), key_less);
    }
  }
  // Linking writes to nodes scattered in memory: fetch a few ahead.
  void* next = nullptr;
  for (size_t i = n; i-- > 0;) {
    if (i >= 16) __builtin_prefetch(all[i - 16].node, 1);
    std::memcpy(all[i].node, &next, sizeof next);
    next = all[i].node;
  }
  *root = next;
  release(t);
}

}  // extern "C"
