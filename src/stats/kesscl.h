// Robust measures of scale: interquartile range, Gini's mean difference, MAD, Sn and
// Qn, each also scaled to estimate the standard deviation of a normal sample.
#pragma once

// Fills res[10] (kes_sclcell order) from m ascending distinct values x with
// frequencies f and, for the weighted definition, their weights w (may be null
// otherwise); pctldef is the percentile definition 1..6. With skipqn set Qn and its
// normal-scale form stay missing. Returns 0, or 1 when Qn was wanted and could not be
// had. d receives m doubles
// of scratch and may overlap w (the weights are read before d is written); iwork
// holds m + 1 ints, and may be null when every frequency is 1.
// With weights, wview (when given) is the view w belongs to, for the weights' exact
// sums (kes_view_weight_parts).
int kesscl_arrays(int pctldef, int m, const double* x, const int* f, const double* w, double* d,
                  int* iwork, double* res, int skipqn, const struct kes_valview* wview = nullptr);

// Q3 less Q1 under pctldef, taken from the values the quartiles lie at (the same at
// any offset of the values); arguments as for kesscl_arrays. Missing without values.
double kes_qrange(int pctldef, int m, const double* x, const int* f, const double* w,
                  const struct kes_valview* wview = nullptr);

// The k-th smallest of the n(n-1)/2 pairwise distances, k = h(h-1)/2 with
// h = floor(n/2) + 1, of the sample given by m ascending distinct values x with
// frequencies f (n their sum): Qn before its constant 2.2219. dwork (m doubles) takes
// the search's bands, iwork (m ints) the prefix counts when some frequency is not 1.
// The missing value when n is not
// positive or beyond the int range, or when scratch memory (about 32 MB for the last
// candidates, 1 MB for the draws) cannot be had.
double zsclqn(int m, const double* x, const int* f, double* dwork, int* iwork);
// zsclqn with a chosen size below which the remaining candidate pairs are selected
// directly (zsclqn uses about two million); iwork holds 3m ints (bands, prefix counts).
// spread is the width of each round's bracket in standard deviations of the draw (a
// narrow one often misses the answer, which the search then finds on its other side).
double kes_qn_select(int m, const double* x, const int* f, int* iwork, long long enumerate_limit,
                     double spread = 3.0);

// The Sn distance of each distinct value: the (floor(n/2) + 1)-th smallest of its
// distances to all n observations, into d[0..m-1], in O(m). scratch, when not null,
// holds m + 1 ints for the prefix counts (used while n fits an int and some count is
// not 1; otherwise memory is taken here, or none when every count is 1). Returns 0, or 1 when that memory cannot be had.
int kes_sndist(int m, const double* x, const int* f, double* d, int* scratch = nullptr);

// Sorts v[0 .. *count - 1] ascending carrying f along, merges equal values by adding
// their frequencies and stores the number of distinct values into *count.
void rsort(int* count, double* v, int* f);
