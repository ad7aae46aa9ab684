// Blank padding, stripping and justification of fixed-length texts, and filling
// arrays of doubles.
#include <cstdint>
#include <cstring>

#include "util/kes_text.h"

int vzatl(int ch, const char* text, int len) {
  const char c = static_cast<char>(ch);
  for (int i = 0; i < len; ++i)
    if (text[i] != c) return 0;
  return 1;
}

void vzfdl(double value, double* array, int n) {
  for (int i = 0; i < n; ++i) array[i] = value;
}

void vzmp(const char* src, int srclen, char* dst, int dstlen) {
  if (dstlen <= 0) return;
  int n = srclen > 0 ? (srclen < dstlen ? srclen : dstlen) : 0;
  if (n > 0) std::memmove(dst, src, static_cast<size_t>(n));
  std::memset(dst + n, ' ', static_cast<size_t>(dstlen - n));
}

// Trailing blanks are stripped four bytes at a time: this runs for every CLASS value
// of every observation and for many table cells.
int wzstrip(const char* text, int len) {
  if (len < 1) return len;
  static constexpr std::uint32_t blanks = 0x20202020u;
  int n = len;
  while (n >= 4) {
    std::uint32_t w;
    std::memcpy(&w, text + n - 4, 4);
    if (w != blanks) break;
    n -= 4;
  }
  while (n > 0 && text[n - 1] == ' ') --n;
  return n;
}

int wzstjls(char* text, int len, int how, int* textlen, int* start) {
  int first = 0;
  while (first < len && text[first] == ' ') ++first;
  if (first >= len) {
    if (textlen) *textlen = 0;
    if (start) *start = 0;
    return 0;
  }
  const int t = wzstrip(text, len) - first;
  int to;
  switch (how) {
    case 'L': case 'l': to = 0; break;
    case 'R': case 'r': to = len - t; break;
    case 'C': case 'c': to = (len - t) / 2; break;
    default: to = first; break;
  }
  if (to != first) {
    std::memmove(text + to, text + first, static_cast<size_t>(t));
    // Blank what the text left behind: before its new start and after its new end.
    if (to > 0) std::memset(text, ' ', static_cast<size_t>(to));
    if (to + t < len) std::memset(text + to + t, ' ', static_cast<size_t>(len - to - t));
  }
  if (textlen) *textlen = t;
  if (start) *start = to;
  return t;
}

int wzstjus(char* text, int len, int how) { return wzstjls(text, len, how, nullptr, nullptr); }
