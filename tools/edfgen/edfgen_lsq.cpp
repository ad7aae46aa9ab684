// Least-squares fit of a coefficient table's form to simulated log quantiles.
#include <cmath>

#include "edfgen.h"
#include "fitreport/kes_edfcoef.h"

namespace {
// Solves min |A x - y| by Householder QR on equilibrated columns (A is m x p, row
// major); false when A is numerically rank deficient.
bool least_squares(std::vector<double> a, std::vector<double> y, int m, int p, std::vector<double>* x) {
  if (m < p) return false;
  std::vector<double> scale(p, 0.0);
  for (int j = 0; j < p; ++j) {
    for (int i = 0; i < m; ++i) scale[j] = std::fmax(scale[j], std::fabs(a[i * p + j]));
    if (scale[j] == 0.0) return false;
    for (int i = 0; i < m; ++i) a[i * p + j] /= scale[j];
  }
  std::vector<double> diag(p);
  for (int k = 0; k < p; ++k) {
    double norm = 0.0;
    for (int i = k; i < m; ++i) norm += a[i * p + k] * a[i * p + k];
    norm = std::sqrt(norm);
    if (norm < 1e-13) return false;
    const double alpha = a[k * p + k] > 0.0 ? -norm : norm;
    a[k * p + k] -= alpha;
    const double vtv = -alpha * a[k * p + k];  // |v|^2 / 2
    for (int j = k + 1; j < p; ++j) {
      double s = 0.0;
      for (int i = k; i < m; ++i) s += a[i * p + k] * a[i * p + j];
      s /= vtv;
      for (int i = k; i < m; ++i) a[i * p + j] -= s * a[i * p + k];
    }
    double s = 0.0;
    for (int i = k; i < m; ++i) s += a[i * p + k] * y[i];
    s /= vtv;
    for (int i = k; i < m; ++i) y[i] -= s * a[i * p + k];
    diag[k] = alpha;
  }
  x->assign(p, 0.0);
  for (int k = p - 1; k >= 0; --k) {
    double s = y[k];
    for (int j = k + 1; j < p; ++j) s -= a[k * p + j] * (*x)[j];
    (*x)[k] = s / diag[k];
  }
  for (int j = 0; j < p; ++j) (*x)[j] /= scale[j];
  return true;
}
}  // namespace

std::vector<double> edfgen_fit_table(int family, int set, int stat, const std::vector<point_quant>& pts,
                                     double* rms) {
  double v[16];
  int nrows = 0, size = 0;
  const int nv = kes_edf_coef_terms(family, set, stat, 1.0, 2.0, v, &nrows, &size);
  if (nv == 0) return {};
  const int p = nrows * 11 + (nv - nrows);
  std::vector<double> a, y;
  int m = 0;
  for (const point_quant& q : pts) {
    if (q.set != set || !q.valid[stat]) continue;
    kes_edf_coef_terms(family, set, stat, q.shape, q.n, v, &nrows, &size);
    for (int j = 0; j < 11; ++j) {
      const double w = q.weight[stat][j] > 0.0 ? q.weight[stat][j] : 1.0;
      std::vector<double> row(p, 0.0);
      for (int r = 0; r < nrows; ++r) row[r * 11 + j] = w * v[r];
      for (int k = nrows; k < nv; ++k) row[nrows * 11 + (k - nrows)] = w * v[k];
      a.insert(a.end(), row.begin(), row.end());
      y.push_back(w * std::log(q.q[stat][j]));
      ++m;
    }
  }
  std::vector<double> x;
  if (!least_squares(a, y, m, p, &x)) return {};
  // The residual on the log scale, whatever the weights.
  double ss = 0.0;
  int i = 0;
  for (const point_quant& q : pts) {
    if (q.set != set || !q.valid[stat]) continue;
    for (int j = 0; j < 11; ++j, ++i) {
      const double w = q.weight[stat][j] > 0.0 ? q.weight[stat][j] : 1.0;
      double e = -y[i];
      for (int k = 0; k < p; ++k) e += a[i * p + k] * x[k];
      ss += e * e / (w * w);
    }
  }
  *rms = std::sqrt(ss / m);
  x.resize(size, 0.0);
  return x;
}
