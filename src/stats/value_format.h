// A common display format for a column of values: the width and decimals that show
// every value seen so far to nine significant decimals, widened value by value.
#pragma once

// Widens (width, decimals) so that x fits as well; start from width 1, decimals 0.
void kes_widen_format(double x, int* width, int* decimals);
// A width beyond 15 columns takes the best-fit form: width 15, decimals 99.
void kes_cap_format(int* width, int* decimals);
