// The unit roundoff of double, 2^-53, and its square root: the tolerances the
// statistics, fitting and drawing code compare with. The numerical toolkit's own texts
// of both read a few units in the last place above them, and its tolerances have
// always been those: the two stay apart so that no result moves.
#pragma once

// Exactly.
inline constexpr double KES_EPS53 = 1.1102230246251565e-16;
inline constexpr double KES_SQRT_EPS53 = 1.0536712127723509e-08;
static_assert(KES_EPS53 == 1.0 / 9007199254740992.0, "2^-53");

// As the toolkit writes them: two units above 2^-53, one above its square root.
inline constexpr double ZEPS53 = 1.110223024625157e-16;
inline constexpr double ZSQRT_EPS53 = 1.053671212772351e-08;
