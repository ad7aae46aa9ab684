// zprobin.h - inverse of the regularized incomplete beta function.
//   int zprobin(double p, double a, double b, double* x)   0 and I_x(a, b) = p; 1 with *x = -1
//   double zstartdev(double P)   the toolkit's starting deviate: the normal deviate exceeded
//                                with probability P, 0 < P <= 0.5 (Hastings, A&S 26.2.22);
//                                shared by zprobin and zqc
// Details: see zprobin.cpp.
#pragma once

int zprobin(double p, double a, double b, double* x);
double zstartdev(double P);
