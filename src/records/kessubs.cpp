#include "records/kessubs.h"

#include <cstring>

#include "records/kes_ctx.h"
#include "util/kes_text.h"

namespace {

constexpr char kToken[] = "#VARNAME";
constexpr int kTokenLen = 8;

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

int kessubs(kes_ctx* ctx, char* text, int* length) {
  int len = *length;
  if (len > KES_SUBS_MAX) len = KES_SUBS_MAX;
  if (len <= 0) {
    *length = len < 0 ? 0 : len;
    return 0;
  }
  char up[KES_SUBS_MAX];
  for (int i = 0; i < len; ++i) up[i] = upper(text[i]);

  const int namelen = wzstrip(ctx->curname.text, ctx->curname.len);
  char out[KES_SUBS_MAX];
  int n = 0;
  auto put = [&](const char* s, int k) {
    if (k > KES_SUBS_MAX - n) k = KES_SUBS_MAX - n;
    if (k > 0) std::memcpy(out + n, s, static_cast<size_t>(k));
    n += k > 0 ? k : 0;
  };

  int from = 0;
  for (;;) {
    int at = wzstndx(up + from, len - from, kToken, kTokenLen);
    if (at < 0) break;
    at += from;
    put(text + from, at - from);
    put(ctx->curname.text, namelen);
    from = at + kTokenLen;
    if (from < len && text[from] == '.') ++from;
  }
  put(text + from, len - from);
  std::memcpy(text, out, static_cast<size_t>(n));
  *length = n;
  return 0;
}
