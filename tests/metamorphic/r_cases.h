// R's data sets as cases of the relations: each column as it is, under its name.
#pragma once
#include <cstdint>
#include <vector>

#include "metamorphic/meta_case.h"

namespace kes_meta {

// One case per column of r_columns(), of kind "case=r_NAME" (letters and digits of
// the column's name, others as '_').
std::vector<meta_case> r_cases(std::uint64_t seed);

}  // namespace kes_meta
