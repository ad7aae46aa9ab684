// The listing: lines of at most the line size, pages of the page size, each page
// headed by the titles.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/core_internal.h"
#include "core/runtime.h"

namespace plat {
namespace {

constexpr int max_titles = listing_max_titles;

struct listing_state {
  std::FILE* file = nullptr;
  int page = 0;             // pages begun
  int lines = 0;            // lines on the current page, titles included
  int header = 0;           // title lines of the current page
  bool break_pending = false;
  std::array<std::string, max_titles> titles;
};

listing_state st;

std::FILE* stream() {
  if (!st.file) st.file = core::open_output(config().listing_path, stdout, "listing");
  return st.file;
}

void put(std::string_view text, bool form_feed) {
  std::FILE* f = stream();
  if (form_feed) std::fputc('\f', f);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::fwrite(text.data(), 1, text.size(), f);
  std::fputc('\n', f);
  ++st.lines;
}

void start_page() {
  bool ff = st.page > 0;
  ++st.page;
  st.lines = 0;
  st.header = 0;
  st.break_pending = false;
  int width = listing_linesize();
  // Titles take what the page can spare, keeping room for a line of output.
  int room = listing_pagesize() - 2;
  // NOCENTER puts the titles at the left margin, as it does the tables.
  const bool centre = system_option_bool("CENTER") != 0;
  for (const std::string& t : st.titles) {
    if (t.empty() || st.header >= room) continue;
    int pad = centre && static_cast<int>(t.size()) < width ? (width - static_cast<int>(t.size())) / 2 : 0;
    put(std::string(pad, ' ') + t, ff);
    ff = false;
    ++st.header;
  }
  if (st.header > 0) {
    put("", false);
    ++st.header;
  }
  if (ff) std::fputc('\f', stream());
}

void write_one(std::string_view line) {
  if (st.page == 0 || st.break_pending || st.lines >= listing_pagesize()) start_page();
  put(line, false);
}

}  // namespace

void listing_write(std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);  // ends the last line, adds none
  std::size_t width = static_cast<std::size_t>(listing_linesize());
  for (;;) {
    std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.remove_suffix(1);
    // A line wider than the page goes on in the next line: nothing is cut off.
    do {
      write_one(line.substr(0, width));
      line.remove_prefix(std::min(width, line.size()));
    } while (!line.empty());
    if (nl == std::string_view::npos) break;
    text.remove_prefix(nl + 1);
  }
  core::check_written(stream(), "listing", config().listing_path);
}

void listing_new_page() {
  if (st.page > 0 && st.lines > st.header) st.break_pending = true;
}

void listing_keep_together(int n) {
  if (st.page == 0 || st.break_pending) return;
  if (st.lines + n > listing_pagesize() && n <= listing_pagesize() - st.header) st.break_pending = true;
}

int listing_linesize() { return config().linesize; }
int listing_pagesize() { return config().pagesize; }

void listing_set_title(int n, std::string_view text) {
  if (n < 1 || n > max_titles) return;
  for (int i = n; i < max_titles; ++i) st.titles[i].clear();
  st.titles[n - 1] = std::string(text);
}

std::string listing_title(int n) {
  if (n < 1 || n > max_titles) return std::string();
  return st.titles[n - 1];
}

void listing_put_title(int n, std::string_view text) {
  if (n >= 1 && n <= max_titles) st.titles[n - 1] = std::string(text);
}

void reset_outputs() {
  core::log_reset();
  core::listing_reset();
}

void open_outputs() {
  core::log_open();
  stream();
}

void flush_outputs() {
  core::log_flush();
  core::listing_flush();
}

namespace core {

void listing_reset() {
  if (st.file && st.file != stdout && st.file != stderr && std::fclose(st.file) != 0)
    report_file_failure("listing", config().listing_path, std::strerror(errno));
  else if (st.file) std::fflush(st.file);
  st = listing_state{};
}

void listing_flush() {
  if (st.file) std::fflush(st.file);
}

}  // namespace core
}  // namespace plat
