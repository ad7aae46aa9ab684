// shwylab.cpp - axis tick label text: the host writes the number, then the text is
// trimmed to the short forms used on axes and read back for its decimals, so that
// every tick of one axis can be written alike.
#include "numeric/shwylab.h"

#include <cstring>

#include "host/host_services.h"

namespace {

// The widest field asked for: a value in E notation with every digit a double holds.
constexpr int kWidest = 40;

// Drops n characters at position at of a field w wide, moving the rest left with
// blank padding.
void drop(char* f, int w, int at, int n) {
  std::memmove(f + at, f + at + n, static_cast<size_t>(w - at - n));
  std::memset(f + w - n, ' ', static_cast<size_t>(n));
}

bool at(const char* f, int pos, const char* text) {
  return std::memcmp(f + pos, text, std::strlen(text)) == 0;
}

}  // namespace

int shwylab(char* out, double v, int* ndec, int* fmt, int trim) {
  return shwylab_field(out, SHWYLAB_WIDTH, v, ndec, fmt, trim);
}

int shwylab_field(char* out, int width, double v, int* ndec, int* fmt, int trim) {
  const int w = width < SHWYLAB_WIDTH ? SHWYLAB_WIDTH : width > kWidest ? kWidest : width;
  char f[kWidest];
  std::memset(f, ' ', sizeof f);
  if (v == 0) f[0] = '0';
  else xpfs(v, -w, *fmt, f);
  int len = w;
  while (len > 0 && (f[len - 1] == ' ' || f[len - 1] == '\0')) --len;

  if (trim) {
    if (at(f, 0, "0.")) {
      drop(f, w, 0, 1);
      len -= 1;
    } else if (at(f, 0, "-0.")) {
      drop(f, w, 1, 1);
      len -= 1;
    } else if (at(f, 1, ".0E")) {
      drop(f, w, 1, 2);
      len -= 2;
    } else if (f[0] == '-' && at(f, 2, ".0E")) {
      drop(f, w, 2, 2);
      len -= 2;
    }
  }

  const char* e = static_cast<const char*>(std::memchr(f, 'E', static_cast<size_t>(len)));
  const char* d = static_cast<const char*>(std::memchr(f, '.', static_cast<size_t>(len)));
  if (e == nullptr || e == f) {
    *ndec = d != nullptr ? len - static_cast<int>(d - f) - 1 : 0;
  } else if (d == nullptr) {
    *ndec = 0;
    *fmt = -1;
  } else {
    *ndec = static_cast<int>(e - d) - 1;
    *fmt = -*ndec;
  }
  if (out != nullptr) std::memcpy(out, f, static_cast<size_t>(w));
  return len;
}
