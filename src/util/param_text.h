// A fitted parameter as a graph shows it, from its double: its shortest exact text
// when that has at most KES_PARAM_EXACT_DIGITS significant digits, else the value
// rounded to the most digits KES_PARAM_FIELD characters hold, with its trailing zeros
// and decimal point (1.7336E9, 1.0000E9, 0.333333; never 1733600000 or 1E9), so that
// the legends and axis labels of both renderers agree and read as rounded where they
// are.
#pragma once

constexpr int KES_PARAM_FIELD = 8;
constexpr int KES_PARAM_EXACT_DIGITS = 10;
// The longest text: a double's shortest exact text in E notation.
constexpr int KES_PARAM_TEXT = 24;
// The text, NUL-terminated; returns its length.
int kes_param_text(double v, char out[KES_PARAM_TEXT + 1]);
// The value that text reads as, for message texts that take a number.
double kes_param_value(double v);

// The digits a fitted value is shown with, the same in any unit and at any offset: a
// scale or shape shows KES_PARAM_DIGITS significant digits, a location (a mean, a
// threshold) as many decimals as its law's scale shows, the lognormal's zeta (a
// logarithm) six, so that at x + c it reads the value of x moved by c (as far as the
// doubles there hold it) and at k x the same digits scaled: Mu=1700044470.26 beside
// Sigma=18557.67.
constexpr int KES_PARAM_DIGITS = 7;
// The power of ten a scale value's last shown digit stands at (INT_MIN where the value
// has no scale: not positive or not finite).
int kes_scale_place(double scale);
// The text of v read to the power of ten `place` (a location's), never finer than the
// doubles at v hold a digit: its shortest decimal where that ends there or before (a
// given or exact value reads as it is), else v rounded there, trailing zeros dropped;
// fixed form. place INT_MIN: v is a scale or shape, of KES_PARAM_DIGITS digits, fixed
// from 1e-4 up to 1e7 and where E is not narrower, E where rounded above the units
// (5.899661E7) or E keeps its rounded zeros (3.000000E12); INT_MAX: its shortest
// decimal. Returns the length.
int kes_placed_text(double v, int place, char out[KES_PARAM_TEXT + 1]);
// The texts of a fitted law's parameters (threshold or location, scale, shape 1, shape
// 2; kes_distcode order) with the digits above; a given parameter, a short decimal,
// reads as given where its digits end at the place or before (THETA=0, MU=1700000000.5).
void kes_law_param_texts(int dist, const double params[4], char out[4][KES_PARAM_TEXT + 1]);
