// Live blocks and their sizes (a memory pool's allocations, the trees of a step): an
// open-addressing table of (address, size) pairs, 16 bytes a slot. A pool of many
// small blocks (a record per CLASS level) would otherwise spend more on a node-based
// map than on some of the blocks.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat {

class block_table {
 public:
  // Adds a block not in the table.
  void add(void* p, long size) {
    if ((count_ + gone_ + 1) * 8 > slots_.size() * 7) rehash(count_ + 1 > slots_.size() / 4 ? 2 * slots_.size() : slots_.size());
    std::size_t s = home(p);
    while (slots_[s].p != nullptr && slots_[s].p != gone()) s = (s + 1) & (slots_.size() - 1);
    if (slots_[s].p == gone()) --gone_;
    slots_[s] = {p, size};
    ++count_;
  }
  bool contains(const void* p) const { return find(p) != nullptr; }
  // Removes a block; false when it is not in the table. *size gets its size.
  bool remove(const void* p, long* size) {
    slot* s = find(p);
    if (s == nullptr) return false;
    if (size) *size = s->size;
    s->p = gone();
    --count_;
    ++gone_;
    return true;
  }
  // Calls f(address, size) for every block, then empties the table.
  template <class F>
  void drain(F f) {
    for (const slot& s : slots_)
      if (s.p != nullptr && s.p != gone()) f(s.p, s.size);
    std::vector<slot>().swap(slots_);
    count_ = gone_ = 0;
  }
  std::size_t size() const { return count_; }

 private:
  struct slot {
    void* p;
    long size;
  };
  static void* gone() { return reinterpret_cast<void*>(std::uintptr_t{1}); }
  slot* find(const void* p) const {
    if (count_ == 0 || p == nullptr || p == gone()) return nullptr;
    for (std::size_t s = home(p);; s = (s + 1) & (slots_.size() - 1)) {
      if (slots_[s].p == nullptr) return nullptr;
      if (slots_[s].p == p) return const_cast<slot*>(&slots_[s]);
    }
  }
  std::size_t home(const void* p) const {
    std::uint64_t x = reinterpret_cast<std::uintptr_t>(p) >> 4;
    x *= 0x9e3779b97f4a7c15ULL;
    return static_cast<std::size_t>(x >> 20) & (slots_.size() - 1);
  }
  // New capacity (a power of two, at least 8) with the live blocks only.
  void rehash(std::size_t cap) {
    if (cap < 8) cap = 8;
    std::vector<slot> old(cap, slot{nullptr, 0});
    old.swap(slots_);
    count_ = gone_ = 0;
    for (const slot& s : old)
      if (s.p != nullptr && s.p != gone()) add(s.p, s.size);
  }

  std::vector<slot> slots_;
  std::size_t count_ = 0;
  std::size_t gone_ = 0;  // removed slots still marked, so that probes go past them
};

}  // namespace plat
