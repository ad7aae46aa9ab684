// The percent-axis arithmetic (pctl_ticks.h).
#include "devgraph/pctl_ticks.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "host/host_services.h"
#include "host/kes_tick_text.h"

namespace {

constexpr double kG1[] = {0.0002, 0.0003, 0.0004, 0.0005, 0.0006, 0.0007, 0.0008, 0.0009};
constexpr double kG2[] = {0.002, 0.003, 0.004, 0.005, 0.006, 0.007, 0.008, 0.009};
constexpr double kG3[] = {0.02, 0.03, 0.04, 0.05, 0.06, 0.07, 0.08, 0.09};
constexpr double kG4[] = {0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9};
constexpr double kG5[] = {2, 3, 4};
constexpr double kG6[] = {6, 7, 8, 9};
constexpr double kG7[] = {15, 20};
constexpr double kG8[] = {30, 35, 40, 45};
constexpr double kG9[] = {55, 60, 65, 70};
constexpr double kG10[] = {80, 85};
constexpr double kG11[] = {91, 92, 93, 94};
constexpr double kG12[] = {96, 97, 98};
constexpr double kG13[] = {99.1, 99.2, 99.3, 99.4, 99.5, 99.6, 99.7, 99.8};
constexpr double kG14[] = {99.91, 99.92, 99.93, 99.94, 99.95, 99.96, 99.97, 99.98};
constexpr double kG15[] = {99.991, 99.992, 99.993, 99.994, 99.995, 99.996, 99.997, 99.998};
constexpr double kG16[] = {99.9991, 99.9992, 99.9993, 99.9994, 99.9995, 99.9996, 99.9997, 99.9998};

struct group {
  const double* p;
  int n;
};
template <int N>
constexpr group of(const double (&p)[N]) {
  return {p, N};
}
constexpr group kGroups[KES_PCTL_GROUPS] = {of(kG1),  of(kG2),  of(kG3),  of(kG4),  of(kG5),  of(kG6),
                                            of(kG7),  of(kG8),  of(kG9),  of(kG10), of(kG11), of(kG12),
                                            of(kG13), of(kG14), of(kG15), of(kG16)};

}  // namespace

double kes_pctl_at(double v, double qmin, double qmax, double org, double len) {
  const double span = qmax - qmin;
  return span != 0 ? org + (v - qmin) / span * len : org;
}

std::vector<double> kes_pctl_between(double a, double b, int m) {
  std::vector<double> out;
  for (int j = 1; j <= m; ++j) out.push_back(a + j * (b - a) / (m + 1));
  return out;
}

int kes_pctl_group(int g, const double** percents) {
  *percents = kGroups[g].p;
  return kGroups[g].n;
}

int kes_pctl_text(double percent, char* buf) {
  const std::string t = kes_value_text(percent);
  const std::size_t n = std::min<std::size_t>(t.size(), KES_PCTL_TEXT);
  std::memcpy(buf, t.data(), n);
  return static_cast<int>(n);
}

int kes_pctl_fitted_text(double percent, int width, char* buf) {
  char field[32];
  const int w = width < 32 ? width : 32;
  std::memset(field, ' ', sizeof field);
  xpfs(percent, -w, 99, field);
  int a = 0, b = w;
  while (a < b && field[a] == ' ') ++a;
  while (b > a && field[b - 1] == ' ') --b;
  std::memcpy(buf, field + a, static_cast<std::size_t>(b - a));
  return b - a;
}
