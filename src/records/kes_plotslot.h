// The record of one plot request for one analysis variable in one cell, zero-filled
// when the cell is made. One record type serves every plot type. Only the key cell's
// record holds the common bins and the axis scales; every cell reads them from there.
#pragma once
#include <cmath>
#include <cstdint>

#include "host/kes_decimal_grid.h"
#include "records/kes_curve.h"

struct kes_curve;

struct kes_plotslot {
  // Curves (all plot types).
  int curve;                // current-curve index
  int ncurves;              // curve records of this cell (the request's curve count)
  int nkernels;             // kernel curves (the last records)
  int nfitted;              // curves fitted in this cell
  int nfitted_dist[KES_DIST_KERNEL + 1];  // curves fitted per distribution code (9: kernels evaluated)
  kes_curve* curves;        // the curve array
  int n;                    // values of the cell (the summary's count, truncated)
  int nexcluded;            // observations excluded from the plot
  // Distribution line of probability and QQ plots.
  std::uint32_t line;       // 1 when the line is drawn
  double intercept, slope;
  double intercept_saved, slope_saved;
  // Lower limit, target and upper limit with their presence flags: a companion
  // procedure fills them; this one leaves them zero.
  double limit[3];
  std::uint8_t limit_given[3];
  double scale;             // factor that turns frequencies into the vertical measure
  // Histograms: the bins record.
  double hmin, hmax;        // smallest and largest scaled bar height
  double datamin, datamax;  // non-missing values of the cell; missing when none
  double first;             // first midpoint, or first endpoint
  double width;             // bin width
  double last;              // last midpoint or endpoint
  double mean, std;         // used while binning (MAXSIGMAS=); missing once counted
  int nbins;                // key cell: common bins; other cells: the cell's stretch
  int npoints;              // midpoints (= bins) or endpoints (= bins + 1)
  int firstbin;             // index of the cell's first bin within the common bins
  int noutside;             // frequencies of values in no bin of the cell
  double* heights;          // scaled height per bin of the cell's stretch
  std::uint8_t key;         // 1 in the key cell's record
  std::uint8_t bins_shown;  // the cell's HistogramBins table was written
  // Histograms: axes (key cell only, but the kernel range).
  double hlow, hhigh;       // horizontal range in points, widened for kernel curves
  double vmin, vstep, vmax; // vertical axis scale
  int vticks;               // vertical tick count
  int vword;                // the nice-scale result word kept with the scale
  int hticks;               // horizontal tick count
  int hword;
  double vwidest;           // widest vertical tick value
  double one_obs;           // height of one observation: 1, 100/N or 1/N
  double klow, khigh;       // kernel evaluation range of the cell
  // Histograms: the kernel evaluation grid.
  int grid_m;               // 256 or 512
  int grid_exp;             // 8 or 9
  int grid_margin;          // 64 or 192 points beyond the data on each side
  double grid_a, grid_b, grid_g;  // in the kernel unit: the values times 2^-kern_exp
  int kern_exp;             // 0, or the power of two of a range whose grid would pass the doubles
  double kext_low, kext_high;  // reach of the cell's kernel curves
  double* kbins;            // the cell's values binned on the wide kernel grid (512 points)
  std::uint8_t hang_set;    // the hanging curve of this cell was evaluated
  std::uint16_t inset_noted;  // inset notes written for this cell: a bit per family, then one for a box
  std::uint8_t bars_off;
  char legend_key[8];
  char legend_label[16];
  char frame_colour[8];
  int frame_colour_no;
  char cell_text[16];
  // Probability, QQ, PP and CDF plots.
  double logrange[2];       // two-parameter Weibull log axis
  double tmin, tstep, tmax; // theoretical axis
  double hmin_copy, hmax_copy;
  double dstart, dstep, dend;  // data axis
  int tticks, tword;
  int dticks, dword;
};

struct kes_ctx;
struct kes_preq;
struct kes_cell;

// The record of request for the context's current variable in cell; null when the
// request does not plot that variable or the cell has no records.
kes_plotslot* kes_plot_slot(const kes_ctx* ctx, const kes_preq* request, const kes_cell* cell);

// The point i widths from `first` (i a whole number, or a half for an edge between
// midpoints): the double nearest its decimal where the first point and the width are
// decimals.
inline double kes_bin_point(double first, double i, double width) { return kes_grid_point(first, i, width); }

// Whether some curve of the cell was fitted (a fit that failed draws none).
inline bool kes_any_curve_fitted(const kes_plotslot* s) {
  for (int k = 0; s->curves != nullptr && k < s->ncurves; ++k)
    if (s->curves[k].fitted) return true;
  return false;
}
