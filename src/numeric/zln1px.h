// zln1px.h - ln(1 + x) and ln(e^a + e^b).
//   double zln1px(double x)              ln(1 + x), accurate for small x
//   double zlnSumOfExp(double a, double b)   ln(e^a + e^b) without overflow
// Details: see zln1px.cpp.
#pragma once

double zln1px(double x);
double zlnSumOfExp(double a, double b);
