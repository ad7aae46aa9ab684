// A statement node as the parser leaves it, built by hand: name, flags and option
// slots with their own storage for lists and texts.
#pragma once
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "driver/kes_plot_grammar.h"
#include "host/kes_stmt.h"

namespace kes_test {

struct stmt_node {
  kes_stmt s{};
  std::vector<kes_optslot> slots;
  std::deque<std::vector<double>> numbers;
  std::deque<std::vector<int>> words;
  std::deque<std::string> texts;

  explicit stmt_node(const char* name, int nslots = 261) : slots(static_cast<size_t>(nslots)) {
    std::memset(s.name, ' ', 8);
    std::memcpy(s.name, name, std::strlen(name));
    s.slots = slots.data();
    s.nslots = nslots;
  }
  // Moving keeps every buffer the slots point into; a copy would not.
  stmt_node(stmt_node&&) = default;
  stmt_node& operator=(stmt_node&&) = default;
  stmt_node(const stmt_node&) = delete;
  kes_stmt* node() { return &s; }
  stmt_node& flag(int f) {
    s.flags[f / 8] |= static_cast<std::uint8_t>(0x80u >> (f % 8));
    return *this;
  }
  stmt_node& num(int slot, double v, bool second = false) {
    slots[slot].given = 1;
    slots[slot].given2 = second;
    slots[slot].v.num = v;
    return *this;
  }
  stmt_node& name(int slot, const std::string& text) {
    slots[slot].given = 1;
    std::memset(slots[slot].v.name, ' ', 8);
    std::memcpy(slots[slot].v.name, text.data(), text.size() < 8 ? text.size() : 8);
    return *this;
  }
  stmt_node& list(int slot, std::vector<double> v, int given = 1) {
    numbers.push_back(std::move(v));
    slots[slot].given = static_cast<std::uint8_t>(given);
    slots[slot].v.count = static_cast<int>(numbers.back().size());
    slots[slot].list = numbers.back().data();
    return *this;
  }
  // A list of words; `count` is what the slot says it holds (all of them when < 0).
  stmt_node& marks(int slot, std::vector<int> w, int count = -1) {
    words.push_back(std::move(w));
    slots[slot].given = 1;
    slots[slot].v.count = count < 0 ? static_cast<int>(words.back().size()) : count;
    slots[slot].list = words.back().data();
    return *this;
  }
  // Variable numbers: the slot counts those at or above 0 (codes below 0 ride along).
  stmt_node& ints(int slot, const std::vector<int>& v) {
    int n = 0;
    for (int x : v) n += x >= 0 ? 1 : 0;
    return marks(slot, v, n);
  }
  stmt_node& text(int slot, const std::string& t) {
    texts.push_back(t);
    slots[slot].given = 1;
    slots[slot].v.count = static_cast<int>(t.size());
    slots[slot].list = const_cast<char*>(texts.back().c_str());
    return *this;
  }
  stmt_node& handle(int slot, void* h) {
    slots[slot].given = 1;
    slots[slot].v.handle = h;
    return *this;
  }
  // A parameter list as the parser leaves it: values (0 for EST), markers, positions.
  stmt_node& param(const kes_param_slots& row, std::vector<double> v, std::vector<int> est) {
    list(row.values, v);
    slots[row.values].given2 = 1;
    std::vector<int> m(v.size(), 0), pos;
    for (size_t i = 0; i < est.size(); ++i)
      if (est[i]) m[i] = 1, pos.push_back(static_cast<int>(i));
    marks(row.markers, m);
    if (!pos.empty()) marks(row.pairs, pos);
    return *this;
  }
};

}  // namespace kes_test
