// Values by handle (output objects, texts): an open-addressing table of slots, so
// that an object or a text made for every CLASS level costs no node of its own.
// Handles are addresses that are never given twice; a removed slot is marked, so that
// probes go past it, until the table is rebuilt.
#pragma once
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace plat::out {

template <class V>
class handle_map {
 public:
  // The value of a handle, or nullptr.
  V* find(const void* h) {
    slot* s = find_slot(h);
    return s != nullptr ? &s->value : nullptr;
  }
  const V* find(const void* h) const { return const_cast<handle_map*>(this)->find(h); }
  // Enters a handle not in the table.
  V& insert(const void* h, V v) {
    if ((count_ + gone_ + 1) * 8 > slots_.size() * 7) rebuild(count_ + 1 > slots_.size() / 4 ? 2 * slots_.size() : slots_.size());
    std::size_t s = home(h);
    while (slots_[s].key != nullptr && slots_[s].key != gone()) s = (s + 1) & mask();
    if (slots_[s].key == gone()) --gone_;
    slots_[s].key = h;
    slots_[s].value = std::move(v);
    ++count_;
    return slots_[s].value;
  }
  // Removes a handle's value (destroyed at once); false when it is not there.
  bool erase(const void* h) {
    slot* s = find_slot(h);
    if (s == nullptr) return false;
    remove(s);
    return true;
  }
  template <class Pred>
  void erase_if(Pred pred) {
    for (slot& s : slots_)
      if (s.key != nullptr && s.key != gone() && pred(s.value)) remove(&s);
  }
  void clear() {
    std::vector<slot>().swap(slots_);
    count_ = gone_ = 0;
  }
  std::size_t size() const { return count_; }

 private:
  struct slot {
    const void* key = nullptr;  // nullptr empty, gone() removed
    V value{};
  };
  static const void* gone() { return reinterpret_cast<const void*>(std::uintptr_t{1}); }
  std::size_t mask() const { return slots_.size() - 1; }
  std::size_t home(const void* h) const {
    const auto a = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(h));
    return static_cast<std::size_t>(((a >> 3) * 0x9e3779b97f4a7c15ULL) >> 20) & mask();
  }
  slot* find_slot(const void* h) {
    if (h == nullptr || h == gone() || count_ == 0) return nullptr;
    for (std::size_t s = home(h);; s = (s + 1) & mask()) {
      if (slots_[s].key == h) return &slots_[s];
      if (slots_[s].key == nullptr) return nullptr;
    }
  }
  void remove(slot* s) {
    s->key = gone();
    s->value = V{};
    --count_;
    ++gone_;
  }
  // A table of cap slots (a power of two, at least 16) with the live entries only.
  void rebuild(std::size_t cap) {
    if (cap < 16) cap = 16;
    std::vector<slot> old(cap);
    old.swap(slots_);
    gone_ = 0;
    for (slot& s : old) {
      if (s.key == nullptr || s.key == gone()) continue;
      std::size_t i = home(s.key);
      while (slots_[i].key != nullptr) i = (i + 1) & mask();
      slots_[i].key = s.key;
      slots_[i].value = std::move(s.value);
    }
  }

  std::vector<slot> slots_;
  std::size_t count_ = 0;
  std::size_t gone_ = 0;
};

}  // namespace plat::out
