#include "util/kes_minmax.h"

namespace kes {

int max(int a, int b) { return a > b ? a : b; }
int min(int a, int b) { return a < b ? a : b; }

// Every comparison with a NaN is false, so b is returned whenever either is NaN.
double fmax(double a, double b) { return b < a ? a : b; }
double fmin(double a, double b) { return b > a ? a : b; }

}  // namespace kes
