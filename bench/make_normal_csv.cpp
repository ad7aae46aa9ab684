// Writes a CSV file of distinct standard normal values in one column (X unless NAME
// is given), for the data-set read benchmark (bench/data_read_bench.cpp); or, with
// NAME "weighted", the columns x (normal values of standard deviation 100 with six
// decimals, nearly all distinct) and w (weights uniform on 0.5 to 2), for the
// weighted-run benchmark (bench/weighted_run.sh). Not part of the build:
//   g++ -O2 -std=c++20 bench/make_normal_csv.cpp -o /tmp/make_normal_csv
//   /tmp/make_normal_csv bench/data/normal_1e7.csv 10000000 [NAME]
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "bench/data/normal_1e7.csv";
  long n = argc > 2 ? std::atol(argv[2]) : 10000000L;
  const bool weighted = argc > 3 && std::strcmp(argv[3], "weighted") == 0;
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) {
    std::perror(path);
    return 1;
  }
  std::mt19937_64 gen(weighted ? 20261208 : 20240611);
  std::normal_distribution<double> normal(0.0, 1.0);
  std::uniform_real_distribution<double> weight(0.5, 2.0);
  std::string buf = weighted ? std::string("x,w\n") : std::string(argc > 3 ? argv[3] : "X") + "\n";
  char num[64];
  for (long i = 0; i < n; ++i) {
    if (weighted) {
      const double x = 100.0 * normal(gen);
      buf.append(num, static_cast<std::size_t>(std::snprintf(num, sizeof num, "%.6f,%.4f\n", x, weight(gen))));
    } else {
      // Full-precision doubles from a 64-bit generator: repeats are vanishingly rare.
      auto r = std::to_chars(num, num + sizeof num, normal(gen));
      buf.append(num, r.ptr);
      buf.push_back('\n');
    }
    if (buf.size() > (1 << 20)) {
      std::fwrite(buf.data(), 1, buf.size(), f);
      buf.clear();
    }
  }
  std::fwrite(buf.data(), 1, buf.size(), f);
  if (std::fclose(f) != 0) {
    std::perror(path);
    return 1;
  }
  std::printf("%ld values written to %s\n", n, path);
  return 0;
}
