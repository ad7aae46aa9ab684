// Writes a CSV file of normal values (mean 0, standard deviation 100) with six
// decimals (x), nearly all distinct, and weights uniform on 0.5
// to 2 (w), for the weighted-run benchmark (bench/weighted_run.sh). Not part of the
// build:
//   g++ -O2 -std=c++20 bench/make_weighted_csv.cpp -o /tmp/make_weighted_csv
//   /tmp/make_weighted_csv bench/data/weighted_1e7.csv 10000000
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "bench/data/weighted_1e7.csv";
  const long n = argc > 2 ? std::atol(argv[2]) : 10000000L;
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) {
    std::perror(path);
    return 1;
  }
  std::mt19937_64 gen(20261208);
  std::normal_distribution<double> normal(0.0, 1.0);
  std::uniform_real_distribution<double> weight(0.5, 2.0);
  std::string buf = "x,w\n";
  char line[64];
  for (long i = 0; i < n; ++i) {
    const int len = std::snprintf(line, sizeof line, "%.6f,%.4f\n", 100.0 * normal(gen), weight(gen));
    buf.append(line, static_cast<std::size_t>(len));
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
  std::printf("%ld rows written to %s\n", n, path);
  return 0;
}
