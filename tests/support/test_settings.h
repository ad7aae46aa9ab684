// Settings a test run takes from its environment, and whether it runs under the
// sanitizers (where a whole run of the runner takes several times as long, so that
// tests that run it many times run it fewer times).
#pragma once
#include <cstdlib>

namespace kes_test {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kUnderSanitizers = true;
#else
inline constexpr bool kUnderSanitizers = false;
#endif

// The number the environment variable name holds, or fallback when it is unset or empty.
inline long env_setting(const char* name, long fallback) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0' ? std::strtol(v, nullptr, 10) : fallback;
}

}  // namespace kes_test
