// Live blocks and their sizes (a memory pool's allocations, the trees of a step): an
// open-addressing table of 8-byte slots, each an address (below 2^48, as user
// addresses of x86-64 are) with its size in the low 16 bits; larger sizes and other
// addresses are kept beside it. A pool of many small blocks (a record per CLASS
// level) would otherwise spend more on a node-based map than on some of the blocks.
#pragma once
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace plat {

class block_table {
 public:
  // Adds a block not in the table.
  void add(void* p, long size) {
    const std::uint64_t a = reinterpret_cast<std::uintptr_t>(p);
    if (a == 0 || a >= kFar) {
      far_[p] = size;
      return;
    }
    if (size < 0 || size >= kBig) big_[p] = size;
    if ((count_ + gone_ + 1) * 8 > slots_.size() * 7)
      rehash(count_ + 1 > slots_.size() / 4 ? 2 * slots_.size() : slots_.size());
    std::size_t s = home(a);
    while (slots_[s] > kGone) s = (s + 1) & (slots_.size() - 1);
    if (slots_[s] == kGone) --gone_;
    slots_[s] = a << 16 | static_cast<std::uint64_t>(size >= 0 && size < kBig ? size : kBig);
    ++count_;
  }
  bool contains(const void* p) const { return far_.count(const_cast<void*>(p)) || find(p) != nullptr; }
  // Removes a block; false when it is not in the table. *size gets its size.
  bool remove(const void* p, long* size) {
    auto f = far_.find(const_cast<void*>(p));
    if (f != far_.end()) {
      if (size) *size = f->second;
      far_.erase(f);
      return true;
    }
    std::uint64_t* s = find(p);
    if (s == nullptr) return false;
    if (size) *size = size_of(*s);
    if ((*s & 0xFFFF) == kBig) big_.erase(const_cast<void*>(p));
    *s = kGone;
    --count_;
    ++gone_;
    return true;
  }
  // Calls f(address, size) for every block, then empties the table.
  template <class F>
  void drain(F f) {
    for (std::uint64_t s : slots_)
      if (s > kGone) f(reinterpret_cast<void*>(static_cast<std::uintptr_t>(s >> 16)), size_of(s));
    for (const auto& [p, size] : far_) f(p, size);
    std::vector<std::uint64_t>().swap(slots_);
    big_.clear();
    far_.clear();
    count_ = gone_ = 0;
  }
  std::size_t size() const { return count_ + far_.size(); }

 private:
  static constexpr std::uint64_t kGone = 1;  // a removed slot, so that probes go past it
  static constexpr std::uint64_t kFar = std::uint64_t{1} << 48;
  static constexpr long kBig = 0xFFFF;

  static std::size_t mix(std::uint64_t a) { return static_cast<std::size_t>(((a >> 4) * 0x9e3779b97f4a7c15ULL) >> 20); }
  std::size_t home(std::uint64_t a) const { return mix(a) & (slots_.size() - 1); }
  long size_of(std::uint64_t s) const {
    const long low = static_cast<long>(s & 0xFFFF);
    return low < kBig ? low : big_.at(reinterpret_cast<void*>(static_cast<std::uintptr_t>(s >> 16)));
  }
  std::uint64_t* find(const void* p) const {
    const std::uint64_t a = reinterpret_cast<std::uintptr_t>(p);
    if (count_ == 0 || a == 0 || a >= kFar) return nullptr;
    for (std::size_t s = home(a);; s = (s + 1) & (slots_.size() - 1)) {
      if (slots_[s] == 0) return nullptr;
      if (slots_[s] > kGone && slots_[s] >> 16 == a) return const_cast<std::uint64_t*>(&slots_[s]);
    }
  }
  // New capacity (a power of two, at least 8) with the live blocks only.
  void rehash(std::size_t cap) {
    if (cap < 8) cap = 8;
    std::vector<std::uint64_t> old(cap, 0);
    old.swap(slots_);
    gone_ = 0;
    for (std::uint64_t s : old) {
      if (s <= kGone) continue;
      std::size_t i = home(s >> 16);
      while (slots_[i] != 0) i = (i + 1) & (cap - 1);
      slots_[i] = s;
    }
  }

  std::vector<std::uint64_t> slots_;
  std::size_t count_ = 0;  // blocks in slots_
  std::size_t gone_ = 0;
  std::unordered_map<void*, long> big_;  // sizes of blocks in slots_ from kBig up
  std::unordered_map<void*, long> far_;  // blocks whose address does not fit a slot
};

}  // namespace plat
