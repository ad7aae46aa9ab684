// "#VARNAME" in user texts replaced by the current analysis variable's name.
#pragma once

struct kes_ctx;

// Longest text kessubs reads or writes.
constexpr int KES_SUBS_MAX = 256;

// Replaces every "#VARNAME" (any case) in text by the context's current name without
// trailing blanks, dropping a "." right after it. *length is read as the text's
// length and written back as the new one. At most the first 256 bytes are read and
// the result is cut at 256 bytes, so text must have room for 256 bytes. Returns 0.
int kessubs(kes_ctx* ctx, char* text, int* length);
