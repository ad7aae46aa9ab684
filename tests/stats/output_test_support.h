// Helpers for the OUTPUT set-up and failure tests: a scratch WORK library, the
// stand-in host's services behind the module's forwarders, a procedure context laid
// out by hand (input data set, analysis and BY variables, OUTPUT statement nodes) and
// a statistics record filled with known values.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../support/scratch_files.h"
#include "core/host_routines.h"
#include "runner/host_table.h"
#include "core/runtime.h"
#include "data/dataset.h"
#include "data/dataset_internal.h"
#include "host/host_missing.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "records/kes_ctx.h"
#include "records/pool_alloc.h"
#include "stats/kes_stats.h"
#include "stats/kes_tables.h"
#include "stats/kesgout.h"
#include "stats/kesotab.h"
#include "stats/output_dataset.h"
#include "stats/output_layout.h"

namespace out_test {

using kes_test::slurp;

// A keyword slot of an OUTPUT statement and its names.
struct keyword {
  int slot;
  std::vector<std::string> names;
};

class output_fixture : public ::testing::Test, public kes_test::scratch_work {
 protected:
  output_fixture() : scratch_work("outds") {}
  void SetUp() override {
    saved_anchor_ = v_global_gcb_anchor;
    v_global_gcb_anchor = plat::anchor();
    plat::begin_step();
    ctx_.reset(new kes_ctx());
    ctx = ctx_.get();
    ctx->stats = &stats_;
    ctx->tables = &tables_;
    ctx->runpool = xmpoolc(0, 1024, KES_POOL_RUN);
    std::memcpy(ctx->vardef, "DF      ", 8);
    ctx->printed = 1;
    proc_slots_.resize(50);
    std::memcpy(proc_.name, "PROC    ", 8);
    proc_.slots = proc_slots_.data();
    proc_.nslots = 50;
    ctx->proc = &proc_;
    classvars_ = kes_classvars{};
    ctx->classvars = &classvars_;
    ctx->nclassrecs = 1;
  }
  void TearDown() override {
    plat::finish_step();
    v_global_gcb_anchor = saved_anchor_;
  }

  // The input data set WORK.name (written from csv) with its analysis and BY
  // variables; a VAR statement is taken as given.
  void input(const std::string& name, const std::string& csv, const std::vector<std::string>& vars,
             const std::vector<std::string>& by = {}) {
    write_file(name + ".csv", csv);
    std::string err;
    in_ = plat::open_input("", name, &err);
    ASSERT_NE(in_, nullptr) << err;
    ctx->data = plat::handle(in_);
    ints_.emplace_back();
    for (const std::string& v : vars) ints_.back().push_back(plat::find_variable(in_, v));
    ctx->nvars = static_cast<int>(vars.size());
    ctx->varnums = ints_.back().data();
    proc_slots_[1].given = 1;
    proc_slots_[1].v.count = ctx->nvars;
    names_.emplace_back(vars.size() + 1);
    ctx->varnames = names_.back().data();
    for (size_t i = 0; i < vars.size(); ++i) {
      ctx->varnames[i].len = static_cast<std::uint16_t>(vars[i].size());
      std::memset(ctx->varnames[i].text, ' ', 32);
      std::memcpy(ctx->varnames[i].text, vars[i].data(), vars[i].size());
    }
    if (!by.empty()) {
      ints_.emplace_back();
      std::vector<plat::by_var> bv;
      for (const std::string& b : by) {
        ints_.back().push_back(plat::find_variable(in_, b));
        bv.push_back({ints_.back().back(), false});
      }
      ASSERT_TRUE(plat::set_by(in_, bv, false, &err)) << err;
      ctx->nbyvars = static_cast<int>(by.size());
      ctx->dp.byvarnums = ints_.back().data();
    }
  }

  // An OUTPUT statement (appended after the others) writing WORK.member.
  kes_stmt* output(const std::string& member, const std::vector<keyword>& keywords, const std::string& lib = "") {
    stmts_.emplace_back();
    kes_stmt& s = stmts_.back();
    std::memset(&s, 0, sizeof s);
    std::memcpy(s.name, "OUTPUT  ", 8);
    slots_.emplace_back(52);
    s.slots = slots_.back().data();
    s.nslots = 52;
    std::string err;
    plat::dataset* ds = plat::open_output(lib, member, &err);
    EXPECT_NE(ds, nullptr) << err;
    s.slots[KES_OUTPUT_SLOT_OUT].given = 1;
    s.slots[KES_OUTPUT_SLOT_OUT].v.handle = ds != nullptr ? plat::handle(ds) : nullptr;
    for (const keyword& k : keywords) names_list(s.slots[k.slot], k.names);
    kes_stmt** at = &proc_.next;
    while (*at != nullptr) at = &(*at)->next;
    *at = &s;
    return &s;
  }

  // kesgout, with the step's exit (if it ends the step) turned into its code.
  int setup() {
    try {
      return kesgout(ctx);
    } catch (const plat::step_exit& e) {
      return e.code;
    }
  }

  // A statistics record whose every OUTPUT cell holds a distinct value from base on.
  static void fill(kes_stats* st, double base) {
    for (int i = 0; i < KES_MOM_NCELLS; ++i) st->mom.v[i] = base + i / 7.0;
    for (int i = 0; i < KES_Q_NCELLS; ++i) st->qnt[i] = base + 100 + i / 7.0;
    for (int i = 0; i < KES_LOC_NCELLS; ++i) st->loc.v[i] = base + 200 + i / 7.0;
    st->nrm.out_stat = base + 300 + 1 / 7.0;
    st->nrm.out_prob = base + 300 + 2 / 7.0;
    for (int i = 0; i < KES_SCL_NCELLS; ++i) st->scl[i] = base + 400 + i / 7.0;
  }

  // Closes an OUTPUT statement's data set.
  int close(kes_stmt* s) {
    host_access* acc = kes_out_access(s);
    return acc == nullptr ? -1 : xvputt(acc);
  }
  kes_ctx* ctx = nullptr;
  plat::dataset* in_ = nullptr;
  kes_classvars classvars_{};

 private:
  void names_list(kes_optslot& slot, const std::vector<std::string>& names) {
    lists_.emplace_back(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
      std::memset(lists_.back()[i].text, ' ', 32);
      std::memcpy(lists_.back()[i].text, names[i].data(), std::min<size_t>(names[i].size(), 32));
    }
    slot.given = 1;
    slot.v.count = static_cast<int>(names.size());
    slot.list = lists_.back().data();
  }

  host_gcb* saved_anchor_ = nullptr;
  std::unique_ptr<kes_ctx> ctx_;
  kes_stats stats_{};
  kes_tables tables_{};
  kes_stmt proc_{};
  std::vector<kes_optslot> proc_slots_;
  std::deque<kes_stmt> stmts_;
  std::deque<std::vector<kes_optslot>> slots_;
  std::deque<std::vector<kes_listname>> lists_;
  std::deque<std::vector<int>> ints_;
  std::deque<std::vector<kes_name32>> names_;
};

}  // namespace out_test
