// The pure parts of the page geometry, kept apart so that they can be checked on
// their own: the page count of a layout of cells and the bar width and gap.
#pragma once

// Pages of a request: nclass CLASS variables with l1 and l2 levels, nr rows and nc
// columns of cells per page.
int kes_page_count(int nclass, int l1, int l2, int nr, int nc);

// Bar width and gap of nbins bars in width, with INTERBAR= and BARWIDTH= when given;
// writes the notes of a gap that leaves no room, of a BARWIDTH= that cannot be used
// and of curves over bars with gaps. Always 0.
int kes_bar_layout(double width, int nbins, bool interbar_given, double interbar, bool barwidth_given,
                   double barwidth, bool curves, double* bar, double* gap);

// The data-to-device transforms of a histogram or another plot: scale and offset of
// each axis, from the plot area (origin, width, height), the horizontal range
// [min, max] with its bin width and bin-boundary count n, the bar width and gap,
// and the vertical range. Left unchanged when there is no bin to lay out.
struct kes_transform_in {
  bool histogram, endpoints;
  double ox, oy, width, height;
  double xmin, xmax, binwidth;
  int npoints;            // bin boundaries of a histogram; other plots: 0
  double step;            // other plots: the tick increment
  double barwidth, bargap;
  double vmin, vmax;
};
void kes_transforms(const kes_transform_in& in, double* xscale, double* xoffset, double* yscale, double* yoffset);
