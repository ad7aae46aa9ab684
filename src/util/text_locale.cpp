// Text routines that follow the host's locale: comparison ignoring case and
// translation through the host's tables.
#include <cstring>

#include "host/host_services.h"
#include "util/kes_text.h"

// Encoding kind whose upper-casing the host does as a whole text.
static constexpr int KES_ENC_UPPER_WHOLE = 20;

int wzsteqn(const char* a, int alen, const char* b, int blen) {
  if (alen != blen) return 0;
  if (alen <= 0) return 1;
  if (wzsxdbl()) return wzsxeqn(a, b, alen) ? 1 : 0;
  const unsigned char* fold = wzsxfld();
  for (int i = 0; i < alen; ++i)
    if (fold[static_cast<unsigned char>(a[i])] != fold[static_cast<unsigned char>(b[i])]) return 0;
  return 1;
}

int wztxxlt(int mode, const char* src, char* dst, int len) {
  if (mode < 0 || mode > 4) return KES_XLT_BADMODE;
  if (len <= 0) return 0;
  const unsigned char* table = wzsxtbl(mode);
  if (table == nullptr) return KES_XLT_BADMODE;
  if (wzsxdbl()) {
    if (mode == 2 && wzsxenc() == KES_ENC_UPPER_WHOLE) {
      if (dst != src) std::memmove(dst, src, static_cast<size_t>(len));
      wzsxupr(dst, len);
      return 0;
    }
    // Only single-byte characters are translated; the bytes of wider ones are copied.
    int i = 0;
    while (i < len) {
      int w = wzsxoff(src, len, i);
      if (w <= 1) {
        dst[i] = static_cast<char>(table[static_cast<unsigned char>(src[i])]);
        ++i;
      } else {
        if (w > len - i) w = len - i;
        if (dst != src) std::memmove(dst + i, src + i, static_cast<size_t>(w));
        i += w;
      }
    }
    return 0;
  }
  for (int i = 0; i < len; ++i) dst[i] = static_cast<char>(table[static_cast<unsigned char>(src[i])]);
  return 0;
}
