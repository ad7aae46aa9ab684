// ztigama.h - the trigamma function psi'(x).
//   double ztigama(double x, int* status)
//     psi'(x) with *status = 0; at a pole (|sin(pi x)| < 1e-12) *status = 1 and the
//     result is -1e35
// Details: see ztigama.cpp.
#pragma once

double ztigama(double x, int* status);
