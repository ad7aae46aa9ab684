// zqscale.h - nice axis scale from candidate increments.
//   int zqscale(min, max, n, ncand, cand, out, sortflag, endflag)
//     n > 0: about n intervals, the candidate nearest the raw increment;
//     n < 0: at most -n intervals, laid out as exactly -n.
//   Returns the interval count, or a negative ZQSCALE_* status.
// Details: see zqscale.cpp.
#pragma once
#include <cstdint>

// The axis record: start, end and increment out; two doubles left alone; the index
// of the chosen candidate out (all but the spare doubles are also work fields).
struct zqscale_axis {
  double start;
  double end;
  double increment;
  double spare[2];
  int32_t index;
};

constexpr int ZQSCALE_ZERO_COUNT = -1;     // n = 0
constexpr int ZQSCALE_BAD_CANDIDATE = -2;  // a candidate outside [1, 10], or none
constexpr int ZQSCALE_NO_FIT = -4;         // no increment within five decades fits
constexpr int ZQSCALE_DEGENERATE = -5;     // negative interval count (degenerate range)
constexpr int ZQSCALE_MAX_CAND = 10;       // candidates beyond this many are ignored

// The nice steps: an increment of a nice scale is one of them times a power of ten.
inline constexpr double ZQSCALE_NICE[] = {1, 2, 2.5, 5, 10};
inline constexpr int ZQSCALE_NNICE = 5;
static_assert(sizeof ZQSCALE_NICE / sizeof ZQSCALE_NICE[0] == ZQSCALE_NNICE);

// Whether n steps over a range d, with ends up to `big` in magnitude, each span at
// least two doubles at `big` and a normal double: the ticks of such steps are
// distinct doubles, and their powers of ten keep their digits. The test a scaler makes
// before it takes a range too narrow for an axis as degenerate.
bool zqscale_steps_apart(double big, double d, int n);

int zqscale(double min, double max, int n, int ncand, const double* cand, zqscale_axis* out,
            char sortflag, char endflag);
