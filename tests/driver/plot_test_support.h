// Plot statement nodes built by hand and a fixture that records the messages the
// checks write, for the tests of the plot statement pass.
#pragma once
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

#include "core/host_vectors.h"
#include "core/runtime.h"
#include "driver/kes_ctx.h"
#include "driver/kes_plot_grammar.h"
#include "driver/plot_checks.h"
#include "host/host_services.h"

extern "C" int mcn_main(void*, void*);

namespace plot_test {

inline std::vector<std::string> logged;  // "set/number" of each message

inline int record_xpmlog(int set, int number, va_list) {
  logged.push_back(std::to_string(set) + "/" + std::to_string(number));
  return 0;
}

constexpr int kSlots = 261;

// A plot statement node with its own slot storage and lists.
struct node {
  kes_stmt s{};
  std::vector<kes_optslot> slots = std::vector<kes_optslot>(kSlots);
  std::vector<std::vector<double>> numbers;
  std::vector<std::vector<int>> words;

  explicit node(const char* name) {
    std::memset(s.name, ' ', 8);
    std::memcpy(s.name, name, std::strlen(name));
    s.slots = slots.data();
    s.nslots = kSlots;
  }
  node& flag(int f) {
    s.flags[f / 8] |= static_cast<std::uint8_t>(0x80u >> (f % 8));
    return *this;
  }
  node& num(int slot, double v, bool second = false) {
    slots[slot].given = 1;
    slots[slot].given2 = second;
    slots[slot].v.num = v;
    return *this;
  }
  node& name(int slot, const char* text) {
    slots[slot].given = 1;
    std::memset(slots[slot].v.name, ' ', 8);
    std::memcpy(slots[slot].v.name, text, std::strlen(text));
    return *this;
  }
  node& list(int slot, std::vector<double> v, int given = 1) {
    numbers.push_back(std::move(v));
    slots[slot].given = static_cast<std::uint8_t>(given);
    slots[slot].v.count = static_cast<int>(numbers.back().size());
    slots[slot].list = numbers.back().data();
    return *this;
  }
  node& marks(int slot, std::vector<int> w) {
    words.push_back(std::move(w));
    slots[slot].given = 1;
    slots[slot].v.count = static_cast<int>(words.back().size());
    slots[slot].list = words.back().data();
    return *this;
  }
  // A parameter list as the parser leaves it: values (0 for EST), markers, positions.
  node& param(const kes_param_slots& row, std::vector<double> v, std::vector<int> est) {
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

class plot_checks : public ::testing::Test {
 protected:
  kes_ctx ctx{};
  kes_preq req{};
  host_routine old_xpmlog = nullptr;
  int varnums[2] = {0, 1};
  int varslot[2] = {-1, -1};

  void SetUp() override {
    mcn_main(plat::anchor(), nullptr);
    plat::begin_step();
    const auto& svc = kes_host::services[kes_host::svc_xpmlog];
    old_xpmlog = plat::replace_service(svc.vector, svc.slot, reinterpret_cast<host_routine>(record_xpmlog));
    logged.clear();
    ctx.runpool = xmpoolc(0, 1024, 0);
    ctx.nvars = 1;
    ctx.varnums = varnums;
    req.varslot = varslot;
  }
  void TearDown() override {
    const auto& svc = kes_host::services[kes_host::svc_xpmlog];
    plat::replace_service(svc.vector, svc.slot, old_xpmlog);
    xmpoold(ctx.runpool);
    plat::finish_step();
  }
  std::string messages() const {
    std::string t;
    for (const std::string& m : logged) t += (t.empty() ? "" : " ") + m;
    return t;
  }
  int run(int (*check)(kes_ctx*, kes_preq*), node& n, int type) {
    req.stmt = &n.s;
    req.type = type;
    return check(&ctx, &req);
  }
};

}  // namespace plot_test
