// zhist.h - default histogram bins from the observation count and the data range.
//   int zhist(n, a, b, out)   bins placed by midpoints: out[0] first midpoint,
//                             out[1] width; returns the number of midpoints
//   int zhist2(n, a, b, out)  bins placed by endpoints: out[0] lower end of the
//                             first bin, out[1] width; returns the number of bins
// A degenerate range or count gives one bin at the low end (return 1).
// Details: see zhist.cpp.
#pragma once

int zhist(double n, double a, double b, double out[2]);
int zhist2(double n, double a, double b, double out[2]);
