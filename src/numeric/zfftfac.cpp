// Factoring for the mixed-radix transform: squares first and last so that the digit
// reversal of the square part is a set of swaps, the square-free factors in the
// middle.
#include "numeric/zfft.h"

void zfftfac(int* factors, int n, int* count, int* kt, int* largest, int* product) {
  const int max_factor = *largest;
  const int max_sqfree = *product;
  int list[2 * ZFFT_MAXFACTORS];
  int m = 0;
  *count = 0;
  if (n < 2) return;

  while (n % 16 == 0) {
    list[m++] = 4;
    n /= 16;
  }
  for (int j = 3; j <= (n % 2 == 0 ? n / 2 : n / 3); j += 2) {
    while (n % (j * j) == 0) {
      if (j > max_factor || m >= ZFFT_MAXFACTORS) return;
      list[m++] = j;
      n /= j * j;
    }
  }
  if (n >= 4 && n % 4 == 0) {
    list[m++] = 2;
    n /= 4;
  }
  const int squares = m;

  int sqfree = 1;
  auto add = [&](int f) {
    sqfree *= f;
    if (f > max_factor || sqfree > max_sqfree || m + squares >= 2 * ZFFT_MAXFACTORS) return false;
    list[m++] = f;
    return true;
  };
  for (int j = 2; j <= (n % 2 == 0 ? n / 2 : n / 3); j = (j == 2 ? 3 : j + 2)) {
    if (n % j != 0) continue;
    if (!add(j)) return;
    n /= j;
  }
  if (n > 1 && !add(n)) return;
  if (m + squares > ZFFT_MAXFACTORS) return;

  for (int i = squares - 1; i >= 0; --i) list[m++] = list[i];
  int big = 0;
  for (int i = 0; i < m; ++i) {
    factors[i] = list[i];
    if (list[i] > big) big = list[i];
  }
  *count = m;
  *kt = squares;
  *largest = big;
  *product = sqfree;
}
