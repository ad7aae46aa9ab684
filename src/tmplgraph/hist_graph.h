// The histogram's template graph: the value cells of its columns, and the curve
// legends the row writer makes.
#pragma once

struct kes_ctx;
struct kes_cell;
struct kes_curve;

// Numeric cells of "HistogramData" (the reference lines keep the shared cells).
enum kes_hist_cell : int {
  KES_HC_BINX = 0,
  KES_HC_BINCOUNT = 1,
  KES_HC_HANGORIGIN = 2,
  KES_HC_HANGY = 3,
  KES_HC_CURVEX = 4,
  KES_HC_CURVEY = 5,
  // A cell that draws nothing (NOBARS, no curve fitted there) sends its value count
  // and range on its first row, so that it can say what it holds.
  KES_HC_CELLN = 9,
  KES_HC_CELLMIN = 10,
  KES_HC_CELLMAX = 11,
};

// Whether the cell holds values and draws none of them: NOBARS without HANGING, and
// no curve fitted in it.
bool kes_hist_bare_cell(kes_ctx* ctx, kes_cell* cell);

// A curve's legend: at most 256 characters.
constexpr int KES_LEGEND_MAX = 256;
struct kes_legend {
  char text[KES_LEGEND_MAX];
  int len;
};

// The legend of a fitted curve (codes 0 to 7): its family with its parameters, each
// in its shortest exact text, or "EST" for a parameter estimated per CLASS cell.
void kes_hist_fitlegend(const kes_curve& c, bool classes, kes_legend* out);
// The legend of a kernel curve; same_type: every kernel curve of the cell has the
// curve's kernel type (the type is then not named).
void kes_hist_kernlegend(const kes_curve& c, bool same_type, kes_legend* out);
// Appends " n" to the legend; a legend too long for it loses its end instead.
void kes_legend_number(kes_legend* l, int n);
