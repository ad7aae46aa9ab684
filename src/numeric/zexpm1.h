// zexpm1.h - e^x - 1 without cancellation near 0.
//   double zexpm1(double x)   e^x - 1 (no status; a NaN gives a NaN)
// Details: see zexpm1.cpp.
#pragma once

double zexpm1(double x);
