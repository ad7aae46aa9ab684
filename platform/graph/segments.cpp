// Catalogs and segments: one segment is one graph, written as one SVG file in the
// run's graphs folder, named by the segment's name (made unique in the run) with the
// description as its title. The titles and the BY line head each page.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/host_routines.h"
#include "core/runtime.h"
#include "core/temp_files.h"
#include "graph/device_state.h"
#include "graph/graph_files.h"
#include "graph/graph_style.h"
#include "graph/graph_messages.h"
#include "graph/template_text_fit.h"
#include "host/step_codes.h"
#include "output/output_api.h"
#include "output/text_store.h"

namespace plat::graph {
namespace {

constexpr double kSubtitlePx = 12;
constexpr double kByPx = 12;
constexpr double kGapPx = 4;
// No text of a graph is drawn smaller.
constexpr double kLeastHeadingPx = 6;

std::string trimmed(const char* s, std::size_t n) {
  std::string t = s != nullptr ? std::string(s, strnlen(s, n)) : std::string();
  const std::size_t a = t.find_first_not_of(' ');
  if (a == std::string::npos) return {};
  return t.substr(a, t.find_last_not_of(' ') - a + 1);
}

struct heading_line {
  std::string text;
  double px;
  bool bold;
};

// The title lines and the BY line, in the order they are drawn from the top.
std::vector<heading_line> heading(const std::string& byline) {
  std::vector<heading_line> lines;
  for (int n = 1; n <= listing_max_titles; ++n) {
    std::string t = trimmed(listing_title(n).c_str(), std::string::npos);
    if (!t.empty()) lines.push_back({t, n == 1 ? kTitleSize : kSubtitlePx, n == 1});
  }
  if (!byline.empty()) lines.push_back({byline, kByPx, false});
  return lines;
}

// The BY line of the current BY group: "name=value ...", empty outside BY groups.
std::string current_by_line() {
  std::string line;
  for (const auto& [name, value] : plat::output_current_by()) {
    if (!line.empty()) line += ' ';
    line += name + "=" + value;
  }
  return line;
}

}  // namespace

static std::string graphs_dir() {
  const std::string& d = config().graphs_dir;
  return d.empty() ? "." : d;
}

// The file as the listing and the log name it: in the graphs folder, or by itself
// when that is the current folder.
static std::string shown_path(const std::string& file) {
  const std::string& d = config().graphs_dir;
  return d.empty() ? file : (std::filesystem::path(d) / file).string();
}

bool write_graph_document(const std::string& path, const std::string& document, std::string* why) {
  if (const char* own = run_file_at(path)) {
    *why = std::string("it is the run's ") + own + " file";
    return false;
  }
  return replace_file(path, document, why);
}

std::string write_graph_file(const std::string& name, const std::string& document, const std::string& catalog) {
  const std::string file = catalog.empty() ? unique_graph_file(name) : catalog + "/" + unique_graph_file(name);
  const std::filesystem::path path = std::filesystem::path(graphs_dir()) / file;
  std::error_code made;
  if (!catalog.empty()) std::filesystem::create_directories(path.parent_path(), made);
  std::string why;
  if (!write_graph_document(path.string(), document, &why)) {
    if (std::string folder = folder_problem(graphs_dir()); !folder.empty()) why = "the folder " + folder;
    plat::log_message(kGraphSet, kGraphFileError, shown_path(file).c_str(), why.c_str());
    // A graph the step made but no file holds: the step has failed.
    plat::raise_step_code(KES_RC_STEP_FAILED);
    return {};
  }
  return shown_path(file);
}

void announce_graph(const std::string& label, const std::string& description, const std::string& file) {
  plat::log_message(kGraphSet, kGraphWritten, label.c_str(), file.c_str());
  plat::output_graph(label, description, file);
}

}  // namespace plat::graph

using namespace plat::graph;

extern "C" {

int plat_ggadcat(int, const char* library8, int lengths, const char* entry, void** catalog, int, int) {
  const int len = lengths & 0xFFFF;
  if (entry == nullptr || len <= 0 || len > 32 || catalog == nullptr) return 1;
  step_state& s = state();
  std::string name = trimmed(library8, 8) + "." + std::string(entry, static_cast<std::size_t>(len));
  s.catalogs.push_back(name);
  *catalog = &s.catalogs.back();
  return 0;
}

int plat_ggoseg(int, int descr_size, void* catalog, int* number, host_gsegid* seg, const char* name8,
                const host_glongname* longname, const char* descr, int, int, int, const char* byline, int bylen) {
  step_state& s = state();
  if (!s.started || catalog == nullptr) return 1;
  auto g = std::make_unique<segment>();
  g->number = ++s.segments;
  g->name = longname != nullptr && longname->length > 0 && longname->text != nullptr
                ? trimmed(longname->text, static_cast<std::size_t>(longname->length))
                : trimmed(name8, 8);
  if (g->name.empty()) g->name = "graph";
  g->descr = descr_size > 0 ? trimmed(descr, static_cast<std::size_t>(descr_size)) : std::string();
  g->byline = bylen > 0 && byline != nullptr ? trimmed(byline, static_cast<std::size_t>(bylen)) : std::string();
  // A catalog in a library (GOUT=) is a folder of the graphs folder, named by the
  // catalog; the default catalog, in no library, is the graphs folder itself.
  const std::string& cat = *static_cast<const std::string*>(catalog);
  if (!cat.empty() && cat[0] != '.') g->catalog = cat.substr(cat.find('.') + 1);
  g->writer = std::make_unique<svg_writer>(page_width(), page_height());
  g->writer->set_title(g->descr.empty() ? g->name : g->descr);
  // The desc says what the graph shows, as a template graph's does, and names the graph.
  std::string desc = g->descr.empty() ? "Graph " + g->name : g->descr + " (graph " + g->name + ")";
  if (!g->byline.empty()) desc += ", " + g->byline;
  g->writer->set_desc(desc + ".");
  if (number != nullptr) *number = g->number;
  if (seg != nullptr) {
    seg->words[0] = g.get();
    seg->words[1] = catalog;
  }
  s.open = std::move(g);
  s.device.line_width = 1;
  return 0;
}

int plat_ggsel(int, int number) {
  step_state& s = state();
  return s.open && s.open->number == number ? 0 : 1;
}

int plat_ggphdrl(int, double* area, int bylen, const char* byline) {
  std::string& byline_text = state().heading_byline;
  byline_text = bylen > 0 && byline != nullptr ? trimmed(byline, static_cast<std::size_t>(bylen)) : std::string();
  double used = 0;
  for (const heading_line& l : heading(byline_text)) used += l.px + kGapPx;
  if (used > 0) used += kGapPx;
  if (area != nullptr) {
    area[0] = 0;
    area[1] = 0;
    area[2] = 100;
    area[3] = 100.0 - used * 100.0 / page_height();
  }
  return 0;
}

int plat_ggphdr(int, const char* byline, int bylen) {
  svg_writer* w = writer();
  if (w == nullptr) {
    plat::log_message(kGraphSet, kNoSegment, "ggphdr");
    return 1;
  }
  const std::string by =
      bylen > 0 && byline != nullptr ? trimmed(byline, static_cast<std::size_t>(bylen)) : state().heading_byline;
  double y = kGapPx;
  for (const heading_line& l : heading(by)) {
    y += l.px;
    svg_text_style st = svg_text(l.px, svg_anchor::middle, 0, l.bold ? weight::bold : weight::regular);
    st.fill = colour_hex(1);
    // A heading wider than the page is set smaller so that it fits, but not below the
    // least text size: there what still does not fit is cut with an ellipsis.
    const double width = text_width(l.text, l.px, st.w), room = page_width() - 2 * kGapPx;
    std::string text = l.text;
    if (width > room) {
      st.size = std::max(kLeastHeadingPx, l.px * room / width);
      text_style t;
      t.size = st.size;
      t.bold = l.bold;
      text = fit_text(l.text, t, room);
    }
    if (!text.empty()) w->text(page_width() / 2, y, text, st);
    y += kGapPx;
  }
  return 0;
}

int plat_ggcseg(int, void** closed, int) {
  step_state& s = state();
  if (closed != nullptr) *closed = nullptr;
  if (!s.open) return 1;
  std::unique_ptr<segment> g = std::move(s.open);
  const std::string file = write_graph_file(g->name, g->writer->finish(), g->catalog);
  if (file.empty()) return 1;
  auto c = std::make_unique<closed_segment>();
  c->name = g->name;
  c->file = file;
  c->descr = g->descr;
  s.closed.push_back(std::move(c));
  if (closed != nullptr) *closed = s.closed.back().get();
  return 0;
}

int plat_ggplvem(void* segment, void* label) {
  step_state& s = state();
  closed_segment* c = nullptr;
  for (auto& e : s.closed)
    if (e.get() == segment) c = e.get();
  if (c == nullptr) return 1;
  const std::string* l = label != nullptr ? plat::out::text_of(label) : nullptr;
  const std::string text = l != nullptr && !l->empty() ? *l : c->descr;
  announce_graph(text.empty() ? c->name : text, c->descr, c->file);
  return 0;
}

int plat_xbyline(void*, const char** text) {
  // The step holds the text handed back, until the next call or the step's end.
  std::string& line = state().byline;
  line = current_by_line();
  if (text != nullptr) *text = line.c_str();
  return static_cast<int>(line.size());
}

int plat_xbytitl(void*, char* buffer, int size) {
  // Copied out: the text xbyline handed back stays as it was.
  const std::string line = current_by_line();
  if (buffer == nullptr || size <= 0) return 0;
  std::memset(buffer, ' ', static_cast<std::size_t>(size));
  const int k = std::min(static_cast<int>(line.size()), size);
  if (k > 0) std::memcpy(buffer, line.data(), static_cast<std::size_t>(k));
  return k;
}

}  // extern "C"
