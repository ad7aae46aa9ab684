// makenumlist: numbers as one blank-separated text (tick lists of template graphs),
// each reading its value.
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "host/host_services.h"
#include "host/kes_percent_text.h"
#include "host/kes_tick_text.h"
#include "host/step_codes.h"
#include "records/pool_alloc.h"
#include "tmplgraph/kes_stgraph.h"
#include "util/kes_text.h"

namespace {

constexpr int kMostFitted = 24;  // the field of the shortest exact text of any double

// Fitted values, which no decimal states: each in its best text of `width` characters.
std::vector<std::string> fitted_texts(const double* values, int n, int width) {
  std::vector<std::string> out;
  const int w = width < kMostFitted ? width : kMostFitted;
  char field[kMostFitted];
  for (int i = 0; i < n; ++i) {
    std::memset(field, ' ', sizeof field);
    xpfs(values[i], -w, 99, field);
    out.emplace_back(field, static_cast<std::size_t>(wzstrip(field, w)));
  }
  return out;
}

// The texts joined by blanks into a text handle; null after the memory note.
void* joined(const std::vector<std::string>& texts, int* status) {
  if (texts.empty()) return vemtxt("", 0);
  long bytes = 0;
  for (const std::string& t : texts) bytes += static_cast<long>(t.size()) + 1;
  host_pool* pool = v_global_gcb_anchor != nullptr ? v_global_gcb_anchor->taskpool : nullptr;
  auto* text = static_cast<char*>(vmalcp_handler(pool, bytes, KES_ALLOC_4));
  if (text == nullptr) {
    xmemmsg(bytes);
    if (status != nullptr) *status = KES_RC_OUT_OF_MEMORY;
    return nullptr;
  }
  long used = 0;
  for (const std::string& t : texts) {
    std::memcpy(text + used, t.data(), t.size());
    text[used + static_cast<long>(t.size())] = ' ';
    used += static_cast<long>(t.size()) + 1;
  }
  void* handle = vemtxt(text, static_cast<int>(used - 1));
  vmfree_handler(pool, text, -1, KES_FREE_FLAGS);
  return handle;
}

}  // namespace

void* makenumlist(const double* values, int n, int width, int* status) {
  if (n <= 0) return vemtxt("", 0);
  // Each value as the decimal it is (a tick, a percent), or, with no short decimal (a
  // quantile), in at least `width` significant digits and more where neighbours
  // would read alike; fitted values (negative width) in -width characters.
  return joined(width < 0 ? fitted_texts(values, n, -width)
                          : kes_value_texts(std::vector<double>(values, values + n), width),
                status);
}

void* makenumlist_exact(const double* values, int n, int* status) {
  std::vector<std::string> texts;
  char buf[kMostFitted + 8];
  for (int i = 0; i < n; ++i) {
    const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, values[i]);
    texts.emplace_back(buf, r.ptr);
  }
  return joined(texts, status);
}

void* makepctlist(const double* percents, int n, int* status) {
  if (n <= 0) return vemtxt("", 0);
  return joined(kes_percent_texts(std::vector<double>(percents, percents + n), fitted_texts(percents, n, 4)), status);
}
