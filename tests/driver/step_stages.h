// A stage table for the step driver's tests: start-up lays the context out from a
// chosen set-up, the data pass makes the chosen CLASS cells, every stage records its
// call among the fake host's events and returns the results a test scripted.
#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "records/kes_stages.h"

struct host_access;
struct host_dataset;
struct kes_stmt;

namespace kes_test {

struct step_setup {
  int nvars = 1;                       // analysis variables "V1", "V2", ...
  int nclass = 0;                      // CLASS variables GROUP and SITE
  int nlevels = 0;                     // levels "L1", "L2", ... of GROUP
  int nchildren = 0;                   // children "C1", "C2", ... per level (two CLASS variables)
  std::uint32_t no_output = 0;         // child cells without OUTPUT: bit level * nchildren + child
  int noutvals = 0;                    // OUTPUT values; 0: no OUTPUT statement
  bool devgraph = false, tmplgraph = false, devstarted = false;
  host_dataset* outtable_ds = nullptr; // OUTTABLE= data set
  host_access* outtable_access = nullptr;  // what kesotab returns
  struct request {
    int type;                          // kes_plottype
    std::uint32_t varmask;             // bit v: plots variable v
  };
  std::vector<request> requests;

  // Results, call by call (0 once a list is used up).
  std::deque<int> kesin, kesmerg, kescmh3, kesout;
  std::deque<int> plot[5];             // HISTOGRAM, QQPLOT, CDFPLOT, PROBPLOT, PPPLOT
};

// The set-up the stages read; reset by each test.
extern step_setup setup;
extern const kes_stages test_stages;

}  // namespace kes_test
