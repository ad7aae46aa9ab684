// Comparison of record keys for the host's sorts and trees.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "util/kes_text.h"

namespace {

// The kind of a missing value sits in byte 5 of its bit pattern, stored negated; the
// host's standard missing value (byte 0xfe) has kind 2.
int missing_kind(double v) {
  unsigned char bytes[8];
  std::memcpy(bytes, &v, 8);
  return -static_cast<int>(static_cast<std::int8_t>(bytes[5]));
}

}  // namespace

int wzbcoff(const void* a, const void* b, int keylen, int offset) {
  const unsigned char* pa = static_cast<const unsigned char*>(a) + offset;
  const unsigned char* pb = static_cast<const unsigned char*>(b) + offset;
  if (keylen < 0) {
    double x, y;
    std::memcpy(&x, pa, 8);
    std::memcpy(&y, pb, 8);
    const bool xm = std::isnan(x), ym = std::isnan(y);
    // Missing values sort below every number, and among themselves by their kind.
    // A NaN whose kind byte reads 0 is still missing, never compared as a number.
    if (!xm) {
      if (ym) return 1;
      return x > y ? 1 : (x < y ? -1 : 0);
    }
    if (!ym) return -1;
    const int kx = missing_kind(x), ky = missing_kind(y);
    return kx > ky ? 1 : (kx < ky ? -1 : 0);
  }
  if (keylen == 0) {
    std::int32_t x, y;
    std::memcpy(&x, pa, 4);
    std::memcpy(&y, pb, 4);
    return x > y ? 1 : (x < y ? -1 : 0);
  }
  const int c = std::memcmp(pa, pb, static_cast<size_t>(keylen));
  return c > 0 ? 1 : (c < 0 ? -1 : 0);
}
