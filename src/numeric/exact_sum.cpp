// Fixed-point sums: a double's 53-bit integer mantissa added at its bit position, with
// the carry; a comparison multiplies each sum by the other side's integer mantissa and
// aligns the two by their exponents.
#include "numeric/exact_sum.h"

#include <cmath>
#include <cstring>

#include "util/kes_exp2.h"

namespace {

using u64 = std::uint64_t;
using u128 = unsigned __int128;

// x (finite, above 0) as M 2^E with M an integer below 2^53.
void split(double x, u64* M, int* E) {
  int ex;
  const double fr = kes::frexp(x, &ex);
  *M = static_cast<u64>(kes::ldexp(fr, 53));
  *E = ex - 53;
}

// Adds M << bit into w[0..n) with the carry; the highest word touched.
int add_at(u64* w, int n, u64 M, int bit) {
  if (bit < 0) {  // below the lowest bit: never met by the terms in use
    M = -bit < 64 ? M >> -bit : 0;
    bit = 0;
  }
  int i = bit / 64;
  const int s = bit % 64;
  u128 v = static_cast<u128>(M) << s;
  int top = -1;
  while (v != 0 && i < n) {
    const u128 t = static_cast<u128>(w[i]) + static_cast<u64>(v);
    w[i] = static_cast<u64>(t);
    v = (v >> 64) + (t >> 64);
    top = i++;
  }
  return top;
}

constexpr int kWide = 2 * kes_exact_sum::kWords + 2;

// w = s times M, shifted left by sh bits, into kWide words.
void times_shifted(const u64* s, int n, u64 M, int sh, u64* w) {
  std::memset(w, 0, sizeof(u64) * kWide);
  u64 p[kes_exact_sum::kWords + 1];
  u128 carry = 0;
  for (int i = 0; i < n; ++i) {
    const u128 t = static_cast<u128>(s[i]) * M + carry;
    p[i] = static_cast<u64>(t);
    carry = t >> 64;
  }
  p[n] = static_cast<u64>(carry);
  const int q = sh / 64, r = sh % 64;
  for (int i = 0; i <= n && i + q < kWide; ++i) {
    w[i + q] |= p[i] << r;
    if (r != 0 && i + q + 1 < kWide) w[i + q + 1] |= p[i] >> (64 - r);
  }
}

}  // namespace

void kes_exact_sum::add(double m, int e) {
  if (!(m > 0.0)) return;
  u64 M;
  int E;
  split(m, &M, &E);
  const int top = add_at(word_, kWords, M, E + e - kLow);
  if (top > top_) top_ = top;
}

void kes_exact_sum::add_times(double x, unsigned f) {
  if (!(x > 0.0) || f == 0) return;
  u64 M;
  int E;
  split(x, &M, &E);
  const u128 P = static_cast<u128>(M) * f;
  int top = add_at(word_, kWords, static_cast<u64>(P), E - kLow);
  if (const u64 hi = static_cast<u64>(P >> 64); hi != 0) {
    const int t = add_at(word_, kWords, hi, E - kLow + 64);
    if (t > top) top = t;
  }
  if (top > top_) top_ = top;
}

void kes_exact_sum::add(const kes_exact_sum& o) {
  u64 carry = 0;
  for (int i = 0; i < kWords; ++i) {
    const u128 t = static_cast<u128>(word_[i]) + o.word_[i] + carry;
    word_[i] = static_cast<u64>(t);
    carry = static_cast<u64>(t >> 64);
    if (word_[i] != 0 && i > top_) top_ = i;
  }
}

double kes_exact_sum::value(int e) const {
  double s = 0.0;
  for (int i = 0; i < kWords; ++i)
    if (word_[i] != 0) s += kes::ldexp(static_cast<double>(word_[i]), kLow + 64 * i + e);
  return s;
}

long double kes_exact_sum::approx(int top) const {
  if (top_ < 0) return 0.0L;
  long double v = static_cast<long double>(word_[top_]);
  if (top_ > 0) v += static_cast<long double>(word_[top_ - 1]) * 0x1p-64L;
  return top_ == top ? v : std::ldexp(v, 64 * (top_ - top));  // long double
}

int kes_exact_compare(double a, const kes_exact_sum& c, double b, const kes_exact_sum& s) {
  const bool left0 = !(a > 0.0) || c.top_ < 0, right0 = !(b > 0.0) || s.top_ < 0;
  if (left0 || right0) return left0 && right0 ? 0 : left0 ? -1 : 1;
  // Far apart: the leading words decide (each side within 2^-62 of its value; long
  // double holds every such product).
  const long double ax = a * c.approx(c.top_), ay = b * s.approx(c.top_);
  if (ax > ay * (1.0L + 0x1p-56L)) return 1;
  if (ay > ax * (1.0L + 0x1p-56L)) return -1;
  u64 Ma, Mb;
  int Ea, Eb;
  split(a, &Ma, &Ea);
  split(b, &Mb, &Eb);
  // The larger exponent's side is shifted up to the smaller's; a shift past the room
  // leaves no doubt about the order.
  const int d = Ea - Eb;
  constexpr int kRoom = 64 * (kWide - kes_exact_sum::kWords - 1);
  if (d > kRoom) return 1;
  if (-d > kRoom) return -1;
  u64 x[kWide], y[kWide];
  times_shifted(c.word_, kes_exact_sum::kWords, Ma, d > 0 ? d : 0, x);
  times_shifted(s.word_, kes_exact_sum::kWords, Mb, d < 0 ? -d : 0, y);
  for (int i = kWide - 1; i >= 0; --i)
    if (x[i] != y[i]) return x[i] > y[i] ? 1 : -1;
  return 0;
}
