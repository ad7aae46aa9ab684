// Runs the procedure options, the variable set-up and the data pass over a CSV data
// set of a scratch WORK folder against the stand-in host, the way the step driver
// does (a pool per BY group, a pool per variable, batches with rewinds), and keeps a
// snapshot of what each pass left in each cell for each variable of its batch.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/runtime.h"
#include "host/kes_stmt.h"
#include "records/kes_ctx.h"
#include "support/scratch_files.h"
#include "support/stmt_node.h"

namespace dp_test {

// A PROC node; its CLASS list (slot 5) counts its codes too: marks(), not ints().
struct proc_builder : kes_test::stmt_node {
  proc_builder() : stmt_node("PROC", 50) {}
};

// What one pass left for one variable in one cell.
struct var_snap {
  double n = 0, nmiss = 0, nobs = 0, sumwgt = 0, sum = 0, uss = 0, css = 0, pass_total = 0;
  int ndistinct = 0;
  std::vector<std::pair<double, int>> values;  // ascending value list
  std::vector<std::pair<int, int>> missing;    // missing kinds and their counts
  std::vector<std::vector<double>> weights;    // the weight sums of each value, then its exact
                                               // sum of w as a fraction and a binary exponent
  std::vector<int> lowobs, highobs;             // observation numbers of the extremes
  // The record's view (which values, missing and weights above come from): -1 none
  // made, 1 made and the lists given up, 0 made but the lists still held.
  int view = -1;
  long view_bytes = 0;  // the view's block (kes_valview_bytes), 0 without one
  int nkept = 0;        // values whose sums of sqrt(c) w and c w the view keeps
};

struct group_snap {
  std::vector<int> results;                  // kesin results, pass by pass
  std::vector<std::string> cells;            // cell labels in list order ("A" or "A/x")
  std::string keycell;
  std::map<std::string, std::map<int, var_snap>> vars;  // cell label -> variable -> snapshot
  std::vector<int> notcomputed;              // variables read alone after result 2
};

struct run_result {
  int exit_code = -1;      // xexit code during set-up, -1 when set-up went through
  int rc = 0;              // the context's return code
  bool ended = false;      // a pass returned 1
  std::vector<group_snap> groups;
};

class datapass_fixture : public ::testing::Test, public kes_test::scratch_work {
 protected:
  datapass_fixture() : scratch_work("dp") {}
  void SetUp() override;
  void TearDown() override;

  void write_csv(const std::string& name, const std::string& text) { write_file(name + ".csv", text); }
  // Variable number of a variable of WORK.name (-1 when absent).
  int var_of(const std::string& name);
  // Opens WORK.member as the DATA= data set (with BY variables when given).
  void* open_data(const std::string& member, const std::vector<std::string>& by = {});
  // Runs the set-up and every BY group's passes.
  run_result run(proc_builder& proc, long memcap = 0);
  int count_in_log(const std::string& text);

  void* data_ = nullptr;
  std::unique_ptr<kes_ctx> ctx_;

 private:
  host_gcb* saved_anchor_ = nullptr;
};

}  // namespace dp_test
