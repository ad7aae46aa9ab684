// makenumlist: numbers as one blank-separated text (tick lists of template graphs).
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "host/host_services.h"
#include "host/kes_tick_truth.h"
#include "host/step_codes.h"
#include "records/pool_alloc.h"
#include "tmplgraph/kes_stgraph.h"
#include "util/kes_text.h"

namespace {
constexpr int kField = 8;        // each value's field
constexpr int kExact = 24;       // the field of the shortest exact text of any double
constexpr int kBestDecimals = 99;

// The values' texts in fields of w characters.
std::vector<std::string> texts_in(const double* values, int n, int w) {
  std::vector<std::string> out;
  char field[kExact];
  for (int i = 0; i < n; ++i) {
    std::memset(field, ' ', sizeof field);
    xpfs(values[i], -w, kBestDecimals, field);
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
  // A list of ticks whose short texts would misplace them or read alike (ticks 0.01
  // apart near 1e9 all read 1E9) is written in the values' shortest exact texts.
  std::vector<std::string> texts = texts_in(values, n, width < kField ? width : kField);
  if (width >= kField && !kes_ticks_true(std::vector<double>(values, values + n), texts, 0))
    texts = texts_in(values, n, kExact);
  return joined(texts, status);
}

void* makenumlist_exact(const double* values, int n, int* status) {
  std::vector<std::string> texts;
  char buf[kExact + 8];
  for (int i = 0; i < n; ++i) {
    const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, values[i]);
    texts.emplace_back(buf, r.ptr);
  }
  return joined(texts, status);
}
