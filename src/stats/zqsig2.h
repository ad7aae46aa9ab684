// Field width and decimals that show two values with a number of significant
// digits inside a column limit (fitted parameters and their standard errors).
#pragma once

// Decimals value meaning that no fixed-decimal layout fits: use a best-fit format.
constexpr int KES_SIG_BEST = 99;

// Integer width (with the sign column) and decimals of x for ndig significant digits;
// 0 and 0 for 0, a missing value or an infinity.
void zqsig_format(int ndig, int* width, int* decimals, double x);
// Merges the measurements of two values and a hint and applies the column limit maxw.
void zqsig_combine(int da, int db, int dc, int wa, int wb, int wc, int maxw, int* w, int* d);
// Width w and decimals d for a and b (missing counts as 0) with ndig significant
// digits and at most maxw columns; c, when 2^-53 < c < 1, asks for at least
// trunc(-log10 c) + 1 decimals. d = KES_SIG_BEST when no fixed layout fits.
void zqsig2(double a, double b, double c, int ndig, int maxw, int* w, int* d);
