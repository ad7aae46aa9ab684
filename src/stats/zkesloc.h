// Tests for location: Student's t, the sign test and the signed rank test.
#pragma once

struct kes_moments;
struct kes_locres;

// Fills out (preset to missing) for H0: location = mu0 from the ascending values of
// the view fv (null: t alone). Only t is computed when weighted is set or ranks is
// clear.
struct kes_valview;
void zkesloc_arrays(const kes_moments* mom, const kes_valview* fv, double mu0, int weighted, int ranks,
                    kes_locres* out);

// The sign and signed rank tests alone (out's other cells as they are), from the
// ascending values of fv. They read only signs and the order of |x - mu0|, so fv may
// hold the values divided by any power of two with mu0 divided by the same, as long
// as no value flushes to zero and every x - mu0 is finite (kes_order_scale).
void zkesloc_ranks(const kes_valview* fv, double mu0, kes_locres* out);

// Number of the 2^n sign assignments whose sum of doubled ranks of the positive signs
// is at most k; ranks2 holds the doubled ranks in increasing order with their running
// sums in cum. Without ties every doubled rank is even and only even sums are visited.
// The work arrays hold at least k + 1 counts.
double hfcn(int n, int k, int ties, const int* ranks2, const int* cum, double* work1, double* work2);

// Exact-test limit: the signed rank test enumerates up to this many nonzero differences.
constexpr int KES_SIGNRANK_EXACT_MAX = 20;
