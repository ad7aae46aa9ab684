// The stand-in's locale: single-byte ASCII. No double-byte characters; case folding
// and the translation tables act on the ASCII letters only.
#include <cstring>

#include "core/host_routines.h"

namespace {

struct locale_tables {
  unsigned char fold[256];     // case folding: letters to upper case
  unsigned char xlt[5][256];   // translation tables of modes 0..4
  locale_tables() {
    for (int c = 0; c < 256; ++c) {
      unsigned char u = static_cast<unsigned char>(c);
      unsigned char up = (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : u;
      unsigned char lo = (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : u;
      fold[c] = up;
      xlt[0][c] = u;   // identity
      xlt[1][c] = lo;  // lower case
      xlt[2][c] = up;  // upper case
      xlt[3][c] = u;   // identity
      xlt[4][c] = u;   // identity
    }
  }
};

const locale_tables& tables() {
  static const locale_tables t;
  return t;
}

}  // namespace

extern "C" {

int plat_wzsxdbl() { return 0; }

int plat_wzsxenc() { return 0; }

const unsigned char* plat_wzsxfld() { return tables().fold; }

const unsigned char* plat_wzsxtbl(int mode) {
  if (mode < 0 || mode > 4) return nullptr;
  return tables().xlt[mode];
}

int plat_wzsxeqn(const char* first, const char* second, int len) {
  const unsigned char* f = tables().fold;
  for (int i = 0; i < len; ++i)
    if (f[static_cast<unsigned char>(first[i])] != f[static_cast<unsigned char>(second[i])]) return 0;
  return 1;
}

void plat_wzsxupr(char* text, int len) {
  const unsigned char* up = tables().xlt[2];
  for (int i = 0; i < len; ++i) text[i] = static_cast<char>(up[static_cast<unsigned char>(text[i])]);
}

int plat_wzsxoff(const char* text, int len, int pos) {
  if (text == nullptr || pos < 0 || pos >= len) return 0;
  return 1;
}

}  // extern "C"
