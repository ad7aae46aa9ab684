// The host's plot-printed flag and the BY-group title lines that line-printer plots
// of all BY groups together take off their pages for a while (xpplotf, xpbyttl).
#include <array>
#include <string>

#include "core/host_routines.h"
#include "core/runtime.h"

namespace plat {
namespace {

struct title_state {
  bool plots_printed = false;
  std::array<std::string, listing_max_titles> kept;  // lines taken off, by number
  bool registered = false;
};

title_state ts;

bool names_by_group(const std::string& t) {
  std::string u;
  for (char c : t) u.push_back(static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c));
  return u.find("#BYVAR") != std::string::npos || u.find("#BYVAL") != std::string::npos ||
         u.find("#BYLINE") != std::string::npos;
}

// Lines still taken off when a step ends come back: they belong to the program.
void step_end() {
  for (int n = 1; n <= listing_max_titles; ++n)
    if (!ts.kept[n - 1].empty()) listing_put_title(n, ts.kept[n - 1]);
  ts = title_state{};
}

void register_once() {
  if (ts.registered) return;
  ts.registered = true;
  at_step_end(step_end);
}

}  // namespace
}  // namespace plat

using namespace plat;

extern "C" {

int plat_xpplotf() {
  register_once();
  const bool was = ts.plots_printed;
  ts.plots_printed = true;
  return was ? 1 : 0;
}

int plat_xpbyttl(int mode) {
  register_once();
  int count = 0;
  for (int n = 1; n <= listing_max_titles; ++n) {
    std::string& kept = ts.kept[n - 1];
    if (mode == 1) {
      const std::string t = listing_title(n);
      if (kept.empty() && names_by_group(t)) {
        kept = t;
        listing_put_title(n, "");
        ++count;
      }
    } else if (!kept.empty()) {
      listing_put_title(n, kept);
      kept.clear();
      ++count;
    }
  }
  return count;
}

}  // extern "C"
