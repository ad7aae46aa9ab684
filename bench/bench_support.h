// What the timing programs share: wall times, the CSV file they read (from the
// command line, its folder as the library BENCH) and the peak resident size.
#pragma once
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "core/runtime.h"

namespace kes_bench {

inline double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The CSV file named by the first argument (default bench/data/normal_1e7.csv), its
// folder set up as the library BENCH. false, after a message, when there is no such file.
inline bool csv_argument(int argc, char** argv, std::filesystem::path* file) {
  *file = argc > 1 ? argv[1] : "bench/data/normal_1e7.csv";
  if (!std::filesystem::exists(*file)) {
    std::fprintf(stderr, "no file %s: make it with bench/make_normal_csv.cpp\n", file->c_str());
    return false;
  }
  plat::config().libraries["BENCH"] = std::filesystem::absolute(*file).parent_path().string();
  return true;
}

inline void print_peak_rss() {
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  std::printf("peak RSS:      %.0f MB\n", ru.ru_maxrss / 1024.0);
}

}  // namespace kes_bench
