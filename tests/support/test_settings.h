// Settings a test run takes from its environment and from the tree it was built in,
// and whether it runs under the sanitizers (where a whole run of the runner takes
// several times as long, so that tests that run it many times run it fewer times).
//
// The tests' own code is the same object code in the plain and the sanitized tree (the
// sanitized tree links the plain tree's test objects): what differs between the trees
// is asked of the running program, never of the compiler.
#pragma once
#include <cstddef>
#include <cstdlib>
#include <string>

namespace kes_test {

// Whether this test program is linked with the sanitizers' runtime: the program, its
// module and its runner are then the sanitized tree's.
bool under_sanitizers();

// The build tree this test program stands in (the folder holding CMakeCache.txt above
// the program), and a file built there ("kestravine", "libkestravine.so").
const std::string& binary_dir();
std::string built(const char* name);

// Whether case `index` of a table of whole-program cases runs: every case in a plain
// run; under the sanitizers every `stride`-th (0, stride, 2 stride, ...). The sanitizers
// look for faults of memory and undefined behaviour, which one case of a code path
// finds; the plain run holds every case to the rule. A stride prime to the lengths of
// the table's inner lists takes cases of every value of each.
inline bool sanitized_share(std::size_t index, std::size_t stride) {
  return !under_sanitizers() || index % stride == 0;
}

// The number the environment variable name holds, or fallback when it is unset or empty.
inline long env_setting(const char* name, long fallback) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0' ? std::strtol(v, nullptr, 10) : fallback;
}

}  // namespace kes_test
