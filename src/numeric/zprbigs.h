// zprbigs.h - distribution function of the inverse Gaussian law with mean 1 and shape lambda.
//   double zprbigs(double x, double lambda)   F(x); 0 at x = 0 (x must not be negative)
// Details: see zprbigs.cpp.
#pragma once

double zprbigs(double x, double lambda);
