// Balanced-tree services (ztrebld, ztrelst). The module needs "find or insert by key"
// while reading and an ascending list at the end; a hash table of the keys with one
// sort when the list is made does both, and is far faster than a pointer tree for
// millions of distinct values. The root word holds the host's table until ztrelst.
//
// Every key is kept once in a log, in the order it arrived, with its node; the table
// holds only a tag of the key's hash and the key's place in the log. For a large table
// each probe is a cache miss, and most keys of real data are new. So, once the table
// is large, a small filter (one 64-bit word per key group, in cache) answers "surely
// new" for most keys, and new keys reach the table in batches whose probes are fetched
// ahead of time; a repeated key is looked up in the table and in the batch not yet
// entered. The log is what gets sorted when the list is made.
#include <sys/mman.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "core/block_table.h"
#include "core/host_routines.h"
#include "core/runtime.h"
#include "data/data_messages.h"
#include "data/dataset_internal.h"
#include "host/host_missing.h"
#include "host/kes_parallel.h"
#include "host/kes_radix_sort.h"

namespace plat {
namespace {

struct entry {
  std::uint64_t key;  // numeric keys: the sort key itself; byte keys: a hash
  void* node;
};

// A zero-filled array that can grow keeping its contents. Large ones are mapped on
// their own with huge pages asked for: they are probed at random, and page-table
// misses would otherwise cost as much as the cache misses.
template <class T>
class big_array {
 public:
  big_array() = default;
  explicit big_array(size_t n) { resize(n); }
  ~big_array() { release(); }
  big_array(const big_array&) = delete;
  big_array& operator=(const big_array&) = delete;
  void swap(big_array& o) {
    std::swap(p_, o.p_);
    std::swap(size_, o.size_);
    std::swap(mapped_, o.mapped_);
  }
  size_t size() const { return size_; }
  T* data() { return p_; }
  T& operator[](size_t i) { return p_[i]; }
  const T& operator[](size_t i) const { return p_[i]; }

  // Grows (or makes) the array to n elements; the new ones are zero. Throws
  // std::bad_alloc and keeps the old contents when memory is short.
  void resize(size_t n) {
    if (n <= size_) return;
    const size_t bytes = n * sizeof(T);
    if (p_ != nullptr && mapped_) {
      void* q = mremap(p_, size_ * sizeof(T), bytes, MREMAP_MAYMOVE);
      if (q == MAP_FAILED) throw std::bad_alloc();
      madvise(q, bytes, MADV_HUGEPAGE);
      p_ = static_cast<T*>(q);
      size_ = n;
      return;
    }
    if (bytes >= kMapped) {
      void* q = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (q == MAP_FAILED) throw std::bad_alloc();
      madvise(q, bytes, MADV_HUGEPAGE);
      if (size_ > 0) std::memcpy(q, p_, size_ * sizeof(T));
      release();
      p_ = static_cast<T*>(q);
      mapped_ = true;
    } else {
      T* q = static_cast<T*>(std::calloc(n, sizeof(T)));
      if (q == nullptr) throw std::bad_alloc();
      if (size_ > 0) std::memcpy(q, p_, size_ * sizeof(T));
      release();
      p_ = q;
    }
    size_ = n;
  }

  void release() {
    if (p_ == nullptr) return;
    if (mapped_) munmap(p_, size_ * sizeof(T));
    else std::free(p_);
    p_ = nullptr;
    size_ = 0;
    mapped_ = false;
  }

 private:
  static constexpr size_t kMapped = size_t{4} << 20;
  T* p_ = nullptr;
  size_t size_ = 0;
  bool mapped_ = false;
};

// Tables of this many slots and more use the filter and batches.
constexpr size_t kBigTable = size_t{1} << 17;
// New keys entered into the table at once, and the slots of the batch's own table.
constexpr size_t kBatch = 2048;
constexpr size_t kBatchSlots = 4 * kBatch;
// Filter bits per key, at the least (twice as many after each growth): a few percent
// of new keys are taken for possible repeats, and the filter more often stays in cache.
constexpr size_t kFilterBits = 6;
constexpr std::uint32_t kWindow = 1u << 16;
// Log places are stored plus one (0 marks an empty slot) in 32 bits.
constexpr size_t kMaxKeys = 0xFFFFFFF0u;

// The hash table of a tree past its small size, with the filter and batch of a large one.
struct hash_part {
  big_array<std::uint64_t> table;  // hash tag << 32 | log place + 1; 0 empty
  size_t mask = 0;
  big_array<std::uint64_t> filter;  // empty until the table is large
  size_t filter_keys = 0;           // keys the filter is sized for
  std::vector<std::uint32_t> batch;  // log place + 1 of the keys not yet entered
  // Where most keys are repeats the filter only adds a miss to each: it is then
  // kept up to date but not asked, judged anew every kWindow keys.
  bool screen = true;
  std::uint32_t window = 0;
  std::uint32_t window_repeats = 0;
};

struct tree_state {
  int keylen;  // -1 doubles, 0 ints, above 0 bytes
  int keyoff;
  big_array<entry> log;          // the keys in their order of arrival
  size_t count = 0;              // keys in the log
  entry few[2]{};                // the keys, while there are no more than two and no log
  size_t entered = 0;            // log[0, entered) are in the table
  std::unique_ptr<hash_part> h;  // none while the tree is small
};

// The trees of the step, so that a root word can be checked before it is used.
block_table& live_trees() {
  static block_table s;
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
  return kes::double_order_key(v);
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

bool same_key(const tree_state& t, const entry& e, std::uint64_t key, const void* node) {
  if (e.key != key) return false;
  if (t.keylen <= 0) return true;
  return std::memcmp(static_cast<const char*>(e.node) + t.keyoff, static_cast<const char*>(node) + t.keyoff,
                     static_cast<size_t>(t.keylen)) == 0;
}

std::uint64_t slot_value(std::uint64_t h, size_t place) {
  return (h & 0xFFFFFFFF00000000ULL) | static_cast<std::uint64_t>(place + 1);
}

// The filter: one word per group of keys, four bits set in it per key.
std::uint64_t filter_bits(std::uint64_t h) {
  const std::uint64_t g = mix(h ^ 0x9e3779b97f4a7c15ULL);
  return (std::uint64_t{1} << (g & 63)) | (std::uint64_t{1} << ((g >> 6) & 63)) |
         (std::uint64_t{1} << ((g >> 12) & 63)) | (std::uint64_t{1} << ((g >> 18) & 63));
}
size_t filter_word(const tree_state& t, std::uint64_t h) { return (h >> 24) & (t.h->filter.size() - 1); }

bool maybe_present(const tree_state& t, std::uint64_t h) {
  const std::uint64_t b = filter_bits(h);
  return (t.h->filter[filter_word(t, h)] & b) == b;
}

// Enters log[from, to) into a table (keys known to be absent), fetching slots ahead.
void enter(const big_array<entry>& log, size_t from, size_t to, big_array<std::uint64_t>& table, size_t mask) {
  constexpr size_t kAhead = 16;
  for (size_t i = from; i < to; ++i) {
    if (i + kAhead < to) __builtin_prefetch(&table[mix(log[i + kAhead].key) & mask], 1);
    const std::uint64_t h = mix(log[i].key);
    size_t s = h & mask;
    while (table[s] != 0) s = (s + 1) & mask;
    table[s] = slot_value(h, i);
  }
}

void flush_batch(tree_state& t) {
  enter(t.log, t.entered, t.count, t.h->table, t.h->mask);
  t.entered = t.count;
  std::fill(t.h->batch.begin(), t.h->batch.end(), 0u);
}

// Makes the table larger; on shortage of memory nothing changes (bad_alloc).
void grow_table(tree_state& t) {
  if (!t.h) t.h = std::make_unique<hash_part>();
  // Quadrupling once the table is large halves the work of moving entries.
  const size_t old = t.h->table.size();
  size_t cap = old == 0 ? 16 : old * (old >= (size_t{1} << 20) ? 4 : 2);
  // The first table takes the small tree's keys with room to spare.
  while ((t.count + 1) * 4 > cap * 3) cap *= 2;
  big_array<std::uint64_t> fresh(cap);
  if (cap >= kBigTable && t.h->batch.empty()) t.h->batch.assign(kBatchSlots, 0u);
  enter(t.log, 0, t.entered, fresh, cap - 1);
  t.h->table.swap(fresh);
  t.h->mask = cap - 1;
}

void grow_filter(tree_state& t) {
  size_t words = 1024;
  while (words * 64 < (t.count + 1) * 2 * kFilterBits) words *= 2;
  big_array<std::uint64_t> fresh(words);
  t.h->filter.swap(fresh);
  for (size_t i = 0; i < t.count; ++i) {
    const std::uint64_t h = mix(t.log[i].key);
    t.h->filter[filter_word(t, h)] |= filter_bits(h);
  }
  t.h->filter_keys = words * 64 / kFilterBits;
}

// The node of an equal key among the keys not yet entered, or null.
void* find_in_batch(const tree_state& t, std::uint64_t h, std::uint64_t key, const void* node) {
  for (size_t s = h & (kBatchSlots - 1);; s = (s + 1) & (kBatchSlots - 1)) {
    const std::uint32_t p = t.h->batch[s];
    if (p == 0) return nullptr;
    if (same_key(t, t.log[p - 1], key, node)) return t.log[p - 1].node;
  }
}

void* find_in_table(const tree_state& t, std::uint64_t h, std::uint64_t key, const void* node) {
  const std::uint64_t tag = h & 0xFFFFFFFF00000000ULL;
  for (size_t s = h & t.h->mask;; s = (s + 1) & t.h->mask) {
    const std::uint64_t v = t.h->table[s];
    if (v == 0) return nullptr;
    if ((v & 0xFFFFFFFF00000000ULL) == tag) {
      const entry& e = t.log[(v & 0xFFFFFFFFu) - 1];
      if (same_key(t, e, key, node)) return e.node;
    }
  }
}

// Lists at least this long are sorted and linked on several threads.
constexpr size_t kParallelList = size_t{1} << 17;

// A small tree is its log alone, searched from end to end: most trees of a step with
// many CLASS levels hold a few values, and a table for each would cost more than the
// level's own records (and two more allocations a level).
constexpr size_t kSmallTree = 16;

void* insert_small(tree_state& t, void* node, std::uint64_t key) {
  for (size_t i = 0; i < t.count; ++i)
    if (same_key(t, t.log[i], key, node)) return t.log[i].node;
  t.log[t.count++] = entry{key, node};
  t.entered = t.count;
  return node;
}

void* insert(tree_state& t, void* node) {
  if (t.count >= kMaxKeys) return nullptr;
  const std::uint64_t key = node_key(t, node);
  // Two keys need no log: most trees of a step of many CLASS levels hold a value or two.
  if (t.log.size() == 0) {
    for (size_t i = 0; i < t.count; ++i)
      if (same_key(t, t.few[i], key, node)) return t.few[i].node;
    if (t.count < std::size(t.few)) {
      t.few[t.count++] = entry{key, node};
      t.entered = t.count;
      return node;
    }
    // Room first, so that a shortage of memory leaves the tree as it was. The log
    // takes a small tree's keys at once: growing it by doubling from two would make
    // allocations freed at once.
    t.log.resize(kSmallTree);
    std::copy(std::begin(t.few), std::end(t.few), t.log.data());
  } else if (t.count == t.log.size()) {
    t.log.resize(t.log.size() * 2);
  }
  if (t.count < kSmallTree && !t.h) return insert_small(t, node, key);
  if (!t.h || (t.count + 1) * 4 > t.h->table.size() * 3) grow_table(t);
  const bool big = t.h->table.size() >= kBigTable;
  if (big && t.count + 1 > t.h->filter_keys) grow_filter(t);

  const std::uint64_t h = mix(key);
  if (big && ++t.h->window == kWindow) {
    t.h->screen = t.h->window_repeats < kWindow / 2;
    t.h->window = t.h->window_repeats = 0;
  }
  if (!big || !t.h->screen || maybe_present(t, h)) {
    void* found = find_in_table(t, h, key, node);
    if (found == nullptr && t.entered < t.count) found = find_in_batch(t, h, key, node);
    if (found != nullptr) {
      ++t.h->window_repeats;
      return found;
    }
  }
  const size_t place = t.count++;
  t.log[place] = entry{key, node};
  if (!big) {
    size_t s = h & t.h->mask;
    while (t.h->table[s] != 0) s = (s + 1) & t.h->mask;
    t.h->table[s] = slot_value(h, place);
    t.entered = t.count;
    return node;
  }
  t.h->filter[filter_word(t, h)] |= filter_bits(h);
  size_t s = h & (kBatchSlots - 1);
  while (t.h->batch[s] != 0) s = (s + 1) & (kBatchSlots - 1);
  t.h->batch[s] = static_cast<std::uint32_t>(place + 1);
  if (t.count - t.entered >= kBatch) flush_batch(t);
  return node;
}

bool key_less(const entry& a, const entry& b) { return a.key < b.key; }

void sort_log(tree_state& t, int threads) {
  const size_t n = t.count;
  if (n < 2) return;  // nothing to order
  entry* v = t.log.size() > 0 ? t.log.data() : t.few;
  if (t.keylen > 0) {
    const int len = t.keylen, off = t.keyoff;
    std::sort(v, v + n, [len, off](const entry& a, const entry& b) {
      return std::memcmp(static_cast<const char*>(a.node) + off, static_cast<const char*>(b.node) + off,
                         static_cast<size_t>(len)) < 0;
    });
    return;
  }
  if (n < 256) {
    std::sort(v, v + n, key_less);
    return;
  }
  try {
    big_array<entry> tmp(n);
    kes::radix_sort_by_key(v, tmp.data(), n, threads);
  } catch (const std::bad_alloc&) {
    std::sort(v, v + n, key_less);
  }
}

tree_state* state_of(void* root_word) {
  auto* t = static_cast<tree_state*>(root_word);
  if (t == last_tree) return t;
  if (!live_trees().contains(t)) return nullptr;
  last_tree = t;
  return t;
}

void release(tree_state* t) {
  live_trees().remove(t, nullptr);
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
      auto fresh = std::make_unique<tree_state>();
      fresh->keylen = keylen < 0 ? -1 : keylen;
      fresh->keyoff = keyoff;
      live_trees().add(fresh.get(), 0);
      t = fresh.release();
      last_tree = t;
      *root = t;
      if (!cleanup_registered) {
        cleanup_registered = true;
        at_step_end([] {
          cleanup_registered = false;
          live_trees().drain([](void* s, long) { delete static_cast<tree_state*>(s); });
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
  // Only the log is needed now: the table's memory can serve the sort.
  t->h.reset();
  const int threads = t->count >= kParallelList ? run_threads() : 1;
  sort_log(*t, threads);
  // Linking writes to nodes scattered in memory: fetch a few ahead. Each node's link
  // is known from the sorted log alone, so parts of it link at once.
  const entry* all = t->log.size() > 0 ? t->log.data() : t->few;
  const size_t n = t->count;
  kes::parallel_ranges(threads, n, size_t{1} << 16, [all, n](size_t b, size_t e) {
    for (size_t i = b; i < e; ++i) {
      if (i + 64 < e) __builtin_prefetch(all[i + 64].node, 1);
      void* next = i + 1 < n ? all[i + 1].node : nullptr;
      std::memcpy(all[i].node, &next, sizeof next);
    }
  });
  void* next = n > 0 ? all[0].node : nullptr;
  *root = next;
  release(t);
}

}  // extern "C"
