// Vector 2: print services. The listing has one pending line: xpfmtc puts text into
// it at a column, xpoflsh writes it out; xppage and xpskip flush it first.
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "core/core_internal.h"
#include "core/host_routines.h"
#include "core/runtime.h"
#include "host/host_print.h"

namespace plat {
namespace {

struct print_state {
  host_printline line{};  // handed out by xpoutl
  std::string pending;    // the line xpfmtc builds
  bool has_pending = false;
  int selected = 0;       // the destination last selected by xpselec
  std::function<void(std::string_view)> tap;  // also sees every listing line written here
};

print_state ps;

host_printline* refresh() {
  ps.line.valid = 1;
  ps.line.linesize = listing_linesize();
  ps.line.pagesize = listing_pagesize();
  ps.line.centre = system_option_bool("CENTER") != 0;
  return &ps.line;
}

void write_line(std::string_view text) {
  listing_write(text);
  if (ps.tap) ps.tap(text);
}

void flush_pending() {
  if (!ps.has_pending) return;
  write_line(ps.pending);
  ps.pending.clear();
  ps.has_pending = false;
}

}  // namespace

void print_set_tap(std::function<void(std::string_view)> tap) { ps.tap = std::move(tap); }

namespace core {

void print_begin_step() {
  ps = print_state{};
  refresh();
}

void print_finish_step() {
  flush_pending();
  ps.line.valid = 0;
}

}  // namespace core
}  // namespace plat

extern "C" {

int plat_xpopen(void** print_word) {
  host_printline* line = plat::refresh();
  if (print_word) *print_word = line;
  return 0;
}

host_printline* plat_xpoutl(int /*which*/, int /*flags*/) { return plat::refresh(); }

int plat_xpprnl(int /*which*/) { return plat::listing_linesize(); }

// The log and message lines are as wide as the listing's: the log does not wrap.
int plat_xplogl(int /*which*/) { return plat::listing_linesize(); }
int plat_xpmsgl(int /*which*/) { return plat::listing_linesize(); }

int plat_xpselec(int /*which*/, int destination) {
  int previous = plat::ps.selected;
  plat::ps.selected = destination;
  return previous;
}

int plat_xppage(int /*which*/) {
  plat::flush_pending();
  plat::listing_new_page();
  return 0;
}

int plat_xpskip(int lines) {
  plat::flush_pending();
  for (int i = 0; i < lines; ++i) plat::write_line("");
  return 0;
}

// Puts text at column (counted from 1) of the pending line, over whatever was there;
// a negative length means a NUL-terminated text.
int plat_xpfmtc(int column, const char* text, int length) {
  constexpr std::size_t longest = 32767;  // no line of the listing is wider
  if (column < 1) column = 1;
  std::size_t n = 0;
  if (text) n = length < 0 ? std::strlen(text) : static_cast<std::size_t>(length);
  std::string& line = plat::ps.pending;
  std::size_t at = std::min(static_cast<std::size_t>(column - 1), longest);
  n = std::min(n, longest - at);
  if (line.size() < at + n) line.resize(at + n, ' ');
  for (std::size_t i = 0; i < n; ++i) line[at + i] = text[i] == '\0' ? ' ' : text[i];
  plat::ps.has_pending = true;
  return 0;
}

int plat_xpoflsh() {
  plat::ps.has_pending = true;
  plat::flush_pending();
  return 0;
}

}  // extern "C"
