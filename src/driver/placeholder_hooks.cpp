#include "driver/placeholder_hooks.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

kes_placeholder_hooks kes_ph;

int kes_ph_next(kes_ph_script& s) {
  int r = s.calls < s.n && s.calls < KES_PH_MAXRESULTS ? s.results[s.calls] : 0;
  ++s.calls;
  return r;
}

void kes_ph_set(kes_ph_script& s, std::initializer_list<int> results) {
  s.n = 0;
  s.calls = 0;
  for (int r : results)
    if (s.n < KES_PH_MAXRESULTS) s.results[s.n++] = r;
}

void kes_ph_reset() { std::memset(&kes_ph, 0, sizeof kes_ph); }

void kes_ph_trace(const char* fmt, ...) {
  const int room = static_cast<int>(sizeof kes_ph.trace) - kes_ph.trace_len;
  if (room <= 1) return;
  va_list ap;
  va_start(ap, fmt);
  int n = std::vsnprintf(kes_ph.trace + kes_ph.trace_len, static_cast<size_t>(room), fmt, ap);
  va_end(ap);
  if (n > 0) kes_ph.trace_len += n < room ? n : room - 1;
}
