// The plot-request record: one per plot statement, in one array ordered by kind
// (HISTOGRAM, QQPLOT, CDFPLOT, PROBPLOT, PPPLOT), each kind in statement order.
#pragma once
#include <cstdint>

struct kes_stmt;
struct kes_classvars;
struct kes_layout;

// Plot types.
enum kes_plottype : int {
  KES_PLOT_QQ = 1,
  KES_PLOT_HISTOGRAM = 2,
  KES_PLOT_CDF = 3,
  KES_PLOT_PROB = 4,
  KES_PLOT_PP = 5,
};

struct kes_preq {
  int type;                  // kes_plottype
  kes_stmt* stmt;            // the plot statement
  kes_classvars* classvars;  // its CLASS-variables record
  kes_layout* layout;        // device layout (device graphics only)
  int* varslot;              // per analysis variable: its slot number, -1 not plotted
  int first_slot;            // the request's first plot-slot index
  std::uint8_t nograph;      // set: the graph is suppressed (NOPLOT)
};
