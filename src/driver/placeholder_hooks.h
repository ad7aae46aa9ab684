// Settable results and call records of the stand-in bodies of functions whose real
// work is not written yet (the data pass, the statistics, the plot drivers, device
// graphics, the statement parse). Only those bodies read and write this record;
// tests set it to drive the step through chosen results.
#pragma once
#include <cstdint>
#include <initializer_list>

struct kes_stmt;
struct host_access;
struct host_dataset;

constexpr int KES_PH_MAXRESULTS = 32;
constexpr int KES_PH_MAXVARS = 8;
constexpr int KES_PH_MAXREQ = 16;

// Results returned call by call: results[i] for the i-th call while i < n, then 0.
struct kes_ph_script {
  int results[KES_PH_MAXRESULTS];
  int n;
  int calls;
};
int kes_ph_next(kes_ph_script& s);
void kes_ph_set(kes_ph_script& s, std::initializer_list<int> results);

// One plot request of the stand-in set-up: its type (kes_plottype) and the analysis
// variables it names (bit v for variable v).
struct kes_ph_request {
  int type;
  std::uint32_t varmask;
};

struct kes_placeholder_hooks {
  // What the stand-in kesinit puts into the context.
  int nvars;                               // analysis variables (at most KES_PH_MAXVARS)
  const char* varnames[KES_PH_MAXVARS];    // their names (null: "V<n>")
  host_dataset* data;                      // DATA= handle
  int nclass;                              // CLASS variables, 0..2
  int class_char;                          // the CLASS variables are character ones
  int nlevels;                             // level cells the stand-in kesin makes
  int nchildren;                           // child cells per level (two CLASS variables)
  std::uint32_t no_output;                 // child cells without OUTPUT: bit level*nchildren+child
  std::uint32_t blank_levels;              // levels whose formatted text is blank: bit level
  int noutvals;                            // OUTPUT values; 0: no OUTPUT statement
  int noprint, devgraph, tmplgraph, devstarted, debug, novarcontents, sideplots;
  const char* summary;                     // SUMMARYCONTENTS= text, or null
  host_dataset* outtable_ds;               // OUTTABLE= data set, or null
  host_access* outtable_access;            // what kesotab returns
  kes_stmt* stmts;                         // statement nodes that follow the PROC node
  int nreq;
  kes_ph_request req[KES_PH_MAXREQ];

  // Results, call by call.
  kes_ph_script kesinit, kesin, kesmerg, kescmh3, kesout;
  kes_ph_script keshini, kesqini, kescini, kespini, keszini;
  kes_ph_script zqidest, ggsload, kescmhf;

  // Calls of the routines without a result.
  int kescomp_calls, kessave_calls, kesouts_calls, kesside_calls, gpspnot_calls;
  int zqdfree_calls, kesotab_calls, kesxvem_calls;

  // What was called, in order, one entry per call ("comp(0,0);" ...).
  char trace[16384];
  int trace_len;
};

extern kes_placeholder_hooks kes_ph;

// Clears every setting, result and record.
void kes_ph_reset();
// Appends one printf-formatted entry to the trace (cut when the trace is full).
void kes_ph_trace(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
