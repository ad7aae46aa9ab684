// zprbnrm.h - standard normal distribution function and its log tails.
//   double zprbnrm(double x)   Phi(x)
//   int    zlognrm(double x, double* log_cdf, double* log_sf, double* log_pdf)
//          0 ok; 1 when the Mills ratio fails (log_pdf written, the others untouched)
// Details: see zprbnrm.cpp.
#pragma once

double zprbnrm(double x);
int zlognrm(double x, double* log_cdf, double* log_sf, double* log_pdf);
