// What every OUTPUT row must say of itself, whatever the data: percentiles in order
// between MIN and MAX (P0 = MIN, P100 = MAX), the named percentiles equal to the same
// PCTLPTS= points, the mean between MIN and MAX, STD 0 exactly when CSS is 0, VAR =
// CSS / (N - 1) and STD its root, a finite t only beside a positive standard error,
// QRANGE = Q3 - Q1 and RANGE = MAX - MIN.
#pragma once
#include <map>
#include <string>
#include <vector>

namespace kes_meta {

// The rules the row's columns of variable var break, one line each. Where some weights
// are 0 the values they carry count in MIN and MAX but not in the weighted
// percentiles, so that P0 and P100 may lie inside MIN..MAX.
std::vector<std::string> row_faults(const std::map<std::string, double>& row, const std::string& var,
                                    bool zero_weights);

}  // namespace kes_meta
