// The pure parts of the page geometry, kept apart so that they can be checked on
// their own: the page count of a layout of cells and the bar width and gap.
#pragma once

struct kes_stmt;

// Pages of a request: nclass CLASS variables with l1 and l2 levels, nr rows and nc
// columns of cells per page.
int kes_page_count(int nclass, int l1, int l2, int nr, int nc);

// The most rows of cells, `gap` apart, that `extent` holds with each cell taller than
// `unit`; 0 when not even one is.
int kes_rows_that_fit(double extent, double gap, double unit);

// Bar width and gap of nbins bars in width, with INTERBAR= and BARWIDTH= when given;
// writes the notes of a gap that leaves no room, of a BARWIDTH= that cannot be used
// and of curves over bars with gaps. Always 0.
int kes_bar_layout(double width, int nbins, bool interbar_given, double interbar, bool barwidth_given,
                   double barwidth, bool curves, double* bar, double* gap);

// The data-to-device transforms of a histogram or another plot: scale and offset of
// each axis, from the plot area (origin, width, height), the horizontal range
// [min, max] with its bin width and bin-boundary count n, the bar width and gap,
// and the vertical range. Left unchanged when there is no bin to lay out. An axis of
// another plot narrower than the doubles allow a scale for takes its values up by
// the power of two *xexp (*yexp) first; 0 otherwise.
struct kes_transform_in {
  bool histogram, endpoints;
  double ox, oy, width, height;
  double xmin, xmax, binwidth;
  int npoints;            // bin boundaries of a histogram; other plots: 0
  double step;            // other plots: the tick increment
  double barwidth, bargap;
  double vmin, vmax;
};
void kes_transforms(const kes_transform_in& in, double* xscale, double* xoffset, double* yscale, double* yoffset,
                    int* xexp = nullptr, int* yexp = nullptr);

struct kes_axis;

// LENGTH= of an axis definition on an axis whose plot extent is *extent: the extent
// becomes the length less the axis' offsets, and the half of the room given up that
// each side of the axis takes is returned. A length longer than the room there is
// keeps the extent after note KES_MSG_AXIS_LENGTH_DOES_NOT_FIT naming the option; 0 is returned then, and when
// no LENGTH= is given.
double kes_fit_length(const kes_axis& axis, const char* option, double* extent);

// ORIGIN= of an axis definition: with `need` the room the texts before the axis line
// take from the page edge `edge`, the spare room in front of them; false after note
// 189/`message` naming the option (slot `slot` of plot statement st, which names the
// definition) where it stands, when the origin leaves too little.
bool kes_origin_room(double origin, double edge, double need, int message, const char* option, const kes_stmt* st,
                     int slot, double* spare);

// A plot extent below one character cell: notes KES_MSG_PAGE_NO_ROOM_GRAPH (and
// KES_MSG_FEWER_CELLS_MAY_FIT when the user asked for the layout that made it so); true
// when the chart cannot be drawn.
bool kes_too_small(double cell, double extent, bool asked);
