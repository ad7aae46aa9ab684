// The plot-request record: one per plot statement, in one array ordered by kind
// (HISTOGRAM, QQPLOT, CDFPLOT, PROBPLOT, PPPLOT), each kind in statement order.
#pragma once
#include <cstdint>

#include "host/host_data.h"
#include "records/kes_curve.h"
#include "records/kes_vscale.h"

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
// The number of plot kinds.
inline constexpr int KES_PLOT_KINDS = KES_PLOT_PP;

// ORDER kes_plottype: the statement of each type, as the log names it.
inline constexpr const char* kes_plot_statements[KES_PLOT_KINDS + 1] = {nullptr,    "QQPLOT",   "HISTOGRAM",
                                                                        "CDFPLOT",  "PROBPLOT", "PPPLOT"};
inline const char* kes_plot_statement_name(int type) {
  return type >= KES_PLOT_QQ && type <= KES_PLOT_PP ? kes_plot_statements[type] : kes_plot_statements[KES_PLOT_HISTOGRAM];
}

// Number of distribution codes that curve counts are kept for (0..7 parametric,
// 8 two-parameter Weibull, 9 kernel): one per kes_distcode.
constexpr int KES_NDIST = KES_DIST_KERNEL + 1;

// Bin codes of a histogram request, per analysis variable.
enum kes_bincode : int {
  KES_BINS_EXPLICIT = 0,  // a MIDPOINTS= or ENDPOINTS= list (or ORDER= values)
  KES_BINS_KEY = 1,       // KEY binning or the default
  KES_BINS_UNIFORM = 2,   // UNIFORM, NMIDPOINTS= or NENDPOINTS=
};

// Bin limit kinds.
enum kes_binlimit : int { KES_BINLIMIT_NONE = 0, KES_BINLIMIT_MAXNBIN = 1, KES_BINLIMIT_MAXSIGMAS = 2 };

// A reference-line label: at most 16 characters, NUL-terminated.
constexpr int KES_REFLABEL_MAX = 16;
struct kes_reflabel {
  char text[KES_REFLABEL_MAX + 1];
};

// Cells per panel: the most rows and columns NROWS= and NCOLS= may ask for.
constexpr int KES_PANEL_MAX = 10;

struct kes_preq {
  int type;                  // kes_plottype
  kes_stmt* stmt;            // the plot statement
  kes_classvars* classvars;  // its CLASS-variables record
  kes_layout* layout;        // device layout (device graphics only)
  int* varslot;              // per analysis variable: its slot number, -1 not plotted
  int first_slot;            // the request's first plot-slot index
  int nvars;                 // analysis variables the request plots
  std::uint8_t nograph;      // set: the graph is suppressed (NOPLOT or NOCHART)
  std::uint8_t noframe;      // NOFRAME
  std::uint8_t grid;         // GRID
  std::uint8_t inset_next;   // an INSET statement follows the plot statement
  std::uint8_t robust;       // an inset asks for robust statistics (codes 35..38)
  std::uint8_t robust2;      // ... and for code 37
  int vscale;                // kes_vscale
  std::uint8_t novlabel;     // NOVLABEL, or NOVTICK
  std::uint8_t nohlabel;     // NOHLABEL
  std::uint8_t novtick;      // NOVTICK
  std::uint8_t frame_fill;   // frame-fill mode: 1 CFRAME= given
  int nhref, nvref;          // HREF= and VREF= values
  const double* href;
  const double* vref;
  kes_reflabel* hreflabels;  // one per HREF= value, only with HREFLABELS=
  kes_reflabel* vreflabels;  // one per VREF= value, only with VREFLABELS=
  int nrows, ncols;          // cells per panel, rows and columns
  // Histograms.
  int* bincode;              // per analysis variable: kes_bincode
  int ncurves_dist[KES_NDIST];  // curves per distribution code
  int nkernels;              // kernel curves
  int ncurves;               // parametric and kernel curves
  int maxnbin;               // MAXNBIN=
  int maxsigmas;             // MAXSIGMAS=
  int binlimit;              // kes_binlimit
  std::uint8_t endpoints;    // bins given by endpoints
  std::uint8_t tabcontents;  // table-of-contents entries (not NOTABCONTENTS)
  std::uint8_t rtinclude;    // RTINCLUDE
  std::uint8_t nobars;       // NOBARS
  int explicit_bins;         // bins are given (list, NMIDPOINTS=, NENDPOINTS=)
  int nvvalues;              // VAXIS= values usable as vertical ticks
  int curbincode;            // bin code of the variable being binned; 2 after a fallback
  std::uint8_t keybinning;   // set while the key cell is binned
  std::uint8_t widened_noted;  // the widening note was written for this variable
  std::uint8_t nodata_noted; // the no-data note was written for this variable
  std::uint8_t hang;         // HANG in force (exactly one curve)
  std::uint8_t graph_noted;  // the note that the graph is not drawn was written
  std::uint8_t kernels_noted;  // the notes of kernel curves left unestimated were written
  std::uint8_t vaxis_used;    // the vertical axis is the VAXIS= list of the current variable
  std::uint8_t unbinnable;   // the variable's range cannot be binned in doubles: no histogram
  int curve_fill;            // curves drawn filled (0 or 1)
  int* total;                // per analysis variable: values over all cells
  kes_dsh outhist;           // OUTHISTOGRAM= data set
  host_access* outhist_def;  // its definitions
  kes_dsh outkernel;         // OUTKERNEL= data set
  host_access* outkernel_def;
  // Probability, QQ, CDF and PP plots.
  std::uint8_t pctlaxis;     // PCTLAXIS
  std::uint8_t pctlscale;    // PCTLSCALE
  double nadj;               // NADJ=
  double rankadj;            // RANKADJ=
  int dist;                  // the request's family (kes_distcode; -1 none), per variable
  std::uint8_t line_wanted;  // some cell of the current variable has a reference line
  std::uint8_t rotate;       // ROTATE: data on the horizontal axis
  const double* pctl;        // percent ticks of the percentile or probability axis
  int npctl;
  std::uint8_t pctl_per_cell; // a cell's shapes put its percent ticks elsewhere than the key cell's
  std::uint8_t line_noted;   // the note that a scale without THETA= draws no line was written
};
