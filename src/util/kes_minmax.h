// The larger and smaller of two numbers. These live in the module's own namespace:
// fmax and fmin here treat NaN differently from the standard library's (the second
// argument wins whenever either is NaN), so the two must never be confused.
#pragma once

namespace kes {

// Larger / smaller of two 32-bit signed integers.
int max(int a, int b);
int min(int a, int b);

// a when b < a, else b: fmax(NaN, 1) is 1, fmax(1, NaN) is NaN.
double fmax(double a, double b);
// a when b > a, else b: fmin(NaN, 1) is 1, fmin(1, NaN) is NaN.
double fmin(double a, double b);

}  // namespace kes
