// Number fields of the listing (xpils, xpis, xfxpn): a number right-aligned in a
// field of exactly the given width, blank-padded on the left, no NUL. A number that
// does not fit fills its field with asterisks, so a column never shifts.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/host_routines.h"
#include "core/number_text.h"
#include "core/format_ids.h"

namespace {

constexpr int kBestKind = 99;

int put_field(const std::string& text, int width, char* buffer) {
  if (buffer == nullptr || width <= 0) return 1;
  const int n = static_cast<int>(text.size());
  if (n > width) {
    std::memset(buffer, '*', static_cast<std::size_t>(width));
    return 1;
  }
  std::memset(buffer, ' ', static_cast<std::size_t>(width - n));
  std::memcpy(buffer + (width - n), text.data(), static_cast<std::size_t>(n));
  return 0;
}

}  // namespace

extern "C" {

int plat_xpils(long value, int width, char* buffer) { return put_field(std::to_string(value), width, buffer); }

int plat_xpis(int value, int width, char* buffer) { return put_field(std::to_string(value), width, buffer); }

// Kind 99 (and 0) is the best form of the width, and so is the word of a format named
// BEST (BEST8., BEST12.); any other kind prints `decimals` decimals, falling back to
// the best form when they do not fit.
int plat_xfxpn(double value, int width, int decimals, int kind, char* buffer) {
  if (width <= 0) return 1;
  const bool best = kind == kBestKind || kind == 0 || decimals < 0 ||
                    (kind > 0 && plat::format_name(static_cast<std::uint32_t>(kind)) == "BEST");
  const std::string text = best ? plat::best_text(value, width) : plat::fixed_text(value, width, decimals);
  return put_field(text, width, buffer);
}

}  // extern "C"
