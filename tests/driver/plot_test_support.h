// Plot statement nodes built by hand and a fixture that records the messages the
// checks write, for the tests of the plot statement pass.
#pragma once
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

#include "runner/host_table.h"
#include "core/runtime.h"
#include "driver/kes_plot_grammar.h"
#include "driver/plot_checks.h"
#include "host/host_services.h"
#include "records/kes_ctx.h"
#include "support/stmt_node.h"

extern "C" int mcn_main(void*, void*);

namespace plot_test {

inline std::vector<std::string> logged;  // "set/number" of each message

inline int record_xpmlog(int set, int number, va_list) {
  logged.push_back(std::to_string(set) + "/" + std::to_string(number));
  return 0;
}

using node = kes_test::stmt_node;

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
