// Settings a test run takes from its environment, and whether it runs under the
// sanitizers (where a whole run of the runner takes several times as long, so that
// tests that run it many times run it fewer times).
#pragma once
#include <cstddef>
#include <cstdlib>

namespace kes_test {

#if defined(KES_SANITIZED) || defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kUnderSanitizers = true;
#else
inline constexpr bool kUnderSanitizers = false;
#endif

// Whether case `index` of a table of whole-program cases runs: every case in a plain
// run; under the sanitizers every `stride`-th (0, stride, 2 stride, ...). The sanitizers
// look for faults of memory and undefined behaviour, which one case of a code path
// finds; the plain run holds every case to the rule. A stride prime to the lengths of
// the table's inner lists takes cases of every value of each.
inline bool sanitized_share(std::size_t index, std::size_t stride) {
  return !kUnderSanitizers || index % stride == 0;
}

// The number the environment variable name holds, or fallback when it is unset or empty.
inline long env_setting(const char* name, long fallback) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0' ? std::strtol(v, nullptr, 10) : fallback;
}

}  // namespace kes_test
