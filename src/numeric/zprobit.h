// zprobit.h - standard normal quantile (probit).
//   double zprobit(double p)    Phi^-1(p); zprobit(0) = -37.64..., zprobit(1) = 7.941345326170997
//   double szprobit(double p)   far lower tail p < 1e-16 (Newton on ln Phi); used by zprobit
// Details: see zprobit.cpp.
#pragma once

double zprobit(double p);
double szprobit(double p);
