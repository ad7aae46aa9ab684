// Searching and ordering of texts.
#include <cstring>

#include "util/kes_text.h"

int wzstlen(const char* text) {
  if (text == nullptr) return 0;
  return static_cast<int>(std::strlen(text));
}

int wzstpos(const char* text, int len, int ch) {
  if (text == nullptr || len <= 0) return -1;
  const void* p = std::memchr(text, static_cast<unsigned char>(ch), static_cast<size_t>(len));
  return p ? static_cast<int>(static_cast<const char*>(p) - text) : -1;
}

int wzstndx(const char* text, int len, const char* sub, int sublen) {
  if (sub == nullptr || sublen == 0) return 0;
  if (sublen < 0) sublen = static_cast<int>(std::strlen(sub));
  if (sublen == 0) return 0;
  if (text == nullptr || len <= 0 || sublen > len) return -1;
  for (int p = 0; p <= len - sublen; ++p)
    if (text[p] == sub[0] && std::memcmp(text + p, sub, static_cast<size_t>(sublen)) == 0) return p;
  return -1;
}

int wzstcom(const char* a, int alen, const char* b, int blen) {
  if (a == nullptr || alen < 0) alen = 0;
  if (b == nullptr || blen < 0) blen = 0;
  const int common = alen < blen ? alen : blen;
  for (int i = 0; i < common; ++i) {
    const unsigned char ca = static_cast<unsigned char>(a[i]);
    const unsigned char cb = static_cast<unsigned char>(b[i]);
    if (ca != cb) return ca < cb ? -(i + 1) : i + 1;
  }
  if (alen == blen) return 0;
  // The shorter text counts as blank-padded: the longer one's tail decides.
  const bool a_longer = alen > blen;
  const char* rest = a_longer ? a : b;
  const int longer = a_longer ? alen : blen;
  for (int i = common; i < longer; ++i) {
    const unsigned char c = static_cast<unsigned char>(rest[i]);
    if (c == ' ') continue;
    const bool longer_below = c < ' ';
    const bool a_below = a_longer ? longer_below : !longer_below;
    return a_below ? -(i + 1) : i + 1;
  }
  return 0;
}
