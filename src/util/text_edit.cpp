// Building and editing texts in place: concatenation, deletion, replacement.
#include <cstdarg>
#include <cstring>

#include "util/kes_text.h"

int wzstcat(char* dst, int dstlen, int sep, int npieces, ...) {
  const bool nul_end = dstlen < 0;
  const int room = nul_end ? -dstlen - 1 : dstlen;
  int used = 0;
  va_list ap;
  va_start(ap, npieces);
  for (int k = 0; k < npieces && used < room; ++k) {
    const char* piece = va_arg(ap, const char*);
    int plen = va_arg(ap, int);
    if (piece == nullptr) plen = 0;
    else if (plen < 0) plen = static_cast<int>(std::strlen(piece));
    if (k > 0 && sep >= 0) {
      dst[used++] = static_cast<char>(sep);
      if (used >= room) break;
    }
    const int n = plen < room - used ? plen : room - used;
    if (n > 0) std::memcpy(dst + used, piece, static_cast<size_t>(n));
    used += n;
  }
  va_end(ap);
  if (nul_end) {
    if (room >= 0) dst[used] = '\0';
  } else if (used < room) {
    std::memset(dst + used, ' ', static_cast<size_t>(room - used));
  }
  return used;
}

int wzstdel(char* text, int len, const char* chars, int nchars) {
  if (len == 0 || text == nullptr) return 0;
  const bool nul_end = len < 0;
  if (nul_end) len = static_cast<int>(std::strlen(text));
  if (chars == nullptr) nchars = 0;
  else if (nchars < 0) nchars = static_cast<int>(std::strlen(chars));
  if (nchars == 0) return len;
  int out = 0;
  for (int i = 0; i < len; ++i) {
    if (std::memchr(chars, static_cast<unsigned char>(text[i]), static_cast<size_t>(nchars))) continue;
    text[out++] = text[i];
  }
  if (nul_end) text[out] = '\0';
  else std::memset(text + out, ' ', static_cast<size_t>(len - out));
  return out;
}

void wzstrns(char* text, int len, const char* to, const char* from, int n) {
  if (text == nullptr || to == nullptr || from == nullptr || n <= 0) return;
  for (int i = 0; i < len; ++i) {
    const void* hit = std::memchr(from, static_cast<unsigned char>(text[i]), static_cast<size_t>(n));
    if (hit) text[i] = to[static_cast<const char*>(hit) - from];
  }
}
