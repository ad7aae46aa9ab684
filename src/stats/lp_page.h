// The line-printer plot page of one variable: three text panels side by side, a
// stem-and-leaf plot (or a bar chart), a box plot and a normal probability plot.
// kesform lays the page out, the panel routines fill the line buffers, kesfmed writes
// the vertical labels and footnotes and kesplot prints the panels on the listing.
//
// Lines of every panel are numbered from the bottom: line 0 is the title line, lines
// 1..L the plot, L + 1 and L + 2 rulers and footnotes. Positions within a line count
// from 0.
#pragma once
#include "util/kes_eps.h"

struct kes_ctx;
struct kes_stats;
struct kes_valview;

constexpr int KES_LP_WIDTH = 128;      // characters of a panel line
constexpr int KES_LP_MAXLEAVES = 48;   // leaves one stem line may hold
constexpr int KES_LP_BOXWIDTH = 8;
constexpr int KES_LP_NORMWIDTH = 60;
constexpr int KES_LP_NORMCOLS = 51;    // columns of the normal plot, at positions 9..59
// Values closer than this (relative to the stem units) are taken as equal.
constexpr double KES_LP_TOL = 1e5 * KES_EPS53;

struct kes_lpline {
  char text[KES_LP_WIDTH];
  double stem;    // stem panel: the line's stem
  double upper;   // stem panel: bound of the scaled values the line takes
  double value;   // the line's value on the vertical scale (shared by all panels)
  double total;   // stem panel: the line's count, or its sum of weights
};

enum kes_lppanel_id : int { KES_LP_STEM = 0, KES_LP_BOX = 1, KES_LP_NORMAL = 2, KES_LP_NPANELS = 3 };

struct kes_lppanel {
  int width;
  int height;  // the highest line shown
  int start;   // print column, from 1
};

struct kes_lppage {
  int capacity;             // lines of each panel (PLOTSIZE + 3)
  kes_lpline* lines[KES_LP_NPANELS];
  int page_lines;           // page length the layout was made for
  int L;                    // plot lines
  int split;                // 1 stem-and-leaf, 0 bars (a WEIGHT variable, or too many leaves)
  int weighted;             // bars of sums of weights
  double scale;             // S: values times S are whole stem steps
  double K;                 // leaves per stem: 10, 20 or 5
  double largest;           // largest line count or sum of weights
  int nminus0;              // lines of the "-0" stem
  double marks;             // marks of the longest bar
  double mult;              // observations per mark (bars without weights)
  double per_mark;          // weight per mark (bars of weights)
  int w;                    // text width of the stem panel
  int g;                    // label spacing of the vertical axis
  kes_lppanel panel[KES_LP_NPANELS];
};

// The step's page for the context's PLOTSIZE= (run pool), or null after xmemmsg.
kes_lppage* kes_lp_page(kes_ctx* ctx);
// Blank lines first..last of every panel.
void kes_lp_blank(kes_lppage* pg, int first, int last);
// Writes text (len < 0: NUL-terminated) into a line at pos, clipped to the line.
void kes_lp_put(kes_lpline* line, int pos, const char* text, int len);
// A catalogue text of set KES_SET_PROC and its length.
const char* kes_lp_msg(int number, int* len);

// Row test of all panels: 1 when scaled value a belongs below bound b.
int kesrow(const kes_lppage* pg, double a, double b);

// Stem panel from the ascending distinct values: 0 done (L = lines used), 1 a line
// would hold more than 48 leaves (kesstem only), 2 the values need more than L lines.
int kesstem(kes_lppage* pg, const kes_valview* values);
int keswbar(kes_lppage* pg, const kes_valview* values);
// Whether the first value already belongs to the line below the one at `top`.
int lowfun(const kes_lppage* pg, int sign, double top, double first);

// Box panel; values beyond the inner fences also go to the side-by-side utility file
// when those plots are asked.
void kesbox(kes_ctx* ctx, kes_lppage* pg, const kes_stats* st);

// Normal probability panel, unweighted and weighted.
void kesprb(kes_lppage* pg, const kes_stats* st);
void keswprb(kes_lppage* pg, const kes_stats* st, const char* vardef);

// Vertical labels and footnotes of the panels.
void kesfmed(kes_lppage* pg, int no_normal);

// Plot lines for N observations on a page of page_lines: PLOTSIZE - 3 at most, and
// without PLOTSIZE= given about N / 2 (at least 10).
int kes_lp_lines(const kes_ctx* ctx, double N, int page_lines);
// Spacing g of the labelled lines (a line i is labelled when i mod g = 1).
int kes_lp_spacing(int L);
// Marks of the longest bar, the per-mark unit and the stem panel's widths.
void kes_lp_marks(kes_lppage* pg);

// Lays the page out: L, or 0 when there is nothing to plot; *no_normal = 1 when the
// normal probability plot is left out.
int kesform(kes_ctx* ctx, kes_stats* st, int page_lines, int* no_normal);
// Prints the page under the output "Plots"; the result of the closing call.
int kesplot(kes_ctx* ctx, int lines, int no_normal);
