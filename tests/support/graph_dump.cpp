// The graph dump read back (see graph_dump.h).
#include "support/graph_dump.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

namespace kes_test {

std::string dump_block::dynamic(const std::string& name) const {
  const std::string key = "  " + name + " = ";
  for (const std::string& l : lines)
    if (l.rfind(key, 0) == 0) return l.substr(key.size());
  return "";
}

bool dump_block::has_text(const std::string& name) const {
  const std::string v = dynamic(name);
  return v.size() >= 9 && v.front() == '"' && v.compare(v.size() - 7, 7, " (text)") == 0;
}

std::string dump_block::text(const std::string& name) const {
  const std::string v = dynamic(name);
  return has_text(name) ? v.substr(1, v.size() - 9) : "";
}

int dump_block::count_prefix(const std::string& prefix) const {
  int n = 0;
  for (const std::string& l : lines) n += l.rfind(prefix, 0) == 0 ? 1 : 0;
  return n;
}

std::string dump_block::template_name() const {
  for (const std::string& l : lines)
    if (l.rfind("  template ", 0) == 0) return l.substr(11);
  return "";
}

std::string dump_block::file() const {
  for (const std::string& l : lines)
    if (l.rfind("  file ", 0) == 0) return l.substr(7);
  return "";
}

std::vector<std::map<std::string, std::string>> dump_block::rows() const {
  std::vector<std::map<std::string, std::string>> out;
  for (const std::string& l : lines) {
    if (l.rfind("  row ", 0) != 0) continue;
    std::map<std::string, std::string> row;
    std::size_t i = l.find(':') + 1;
    while (i < l.size()) {
      while (i < l.size() && l[i] == ' ') ++i;
      const std::size_t eq = l.find('=', i);
      if (eq == std::string::npos) break;
      const std::string name = l.substr(i, eq - i);
      std::size_t j = eq + 1;
      std::string value;
      if (j < l.size() && l[j] == '"') {
        ++j;
        while (j < l.size() && l[j] != '"') {
          if (l[j] == '\\') ++j;
          value += l[j++];
        }
        ++j;
      } else {
        while (j < l.size() && l[j] != ' ') value += l[j++];
      }
      row[name] = value;
      i = j;
    }
    out.push_back(std::move(row));
  }
  return out;
}

std::vector<dump_block> read_dump(const std::string& text) {
  std::vector<dump_block> blocks;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("  ", 0) != 0)
      blocks.push_back(dump_block{line, {}});
    else if (!blocks.empty())
      blocks.back().lines.push_back(line);
  }
  return blocks;
}

std::string first_text(const std::vector<dump_block>& blocks, const std::string& name) {
  for (const dump_block& b : blocks)
    if (b.is_panel() && b.has_text(name)) return b.text(name);
  return "";
}

double dump_number(const std::string& text) {
  if (text.empty() || text[0] == '.') return NAN;
  return std::strtod(text.c_str(), nullptr);
}

namespace {

// The words of a text dynamic ("\"1 2 3\" (text)" -> 1 2 3).
std::vector<std::string> listed(const std::string& dynamic) {
  std::vector<std::string> out;
  if (dynamic.empty() || dynamic[0] != '"') return out;
  std::istringstream words(dynamic.substr(1, dynamic.find('"', 1) - 1));
  for (std::string w; words >> w;) out.push_back(w);
  return out;
}

// The pairs of CLASS levels (Class1, Class2) of the cells a panel draws, in the order
// it draws them: each pair of levels of its block of rows and columns (NROWS=, NCOLS=,
// the panel's number), the levels in the order the rows bring them.
std::vector<std::pair<std::string, std::string>> drawn_levels(const dump_block& panel,
                                                                const std::vector<std::string>& levels1,
                                                                const std::vector<std::string>& levels2, bool any1,
                                                                bool any2) {
  const long rows = static_cast<long>(levels1.size()), cols = static_cast<long>(levels2.size());
  const auto count = [&](const char* name, long fallback) {
    const std::string v = panel.dynamic(name);
    return v.empty() ? fallback : std::max(1L, std::strtol(v.c_str(), nullptr, 10));
  };
  const long nrows = any1 ? count("_NROWS", rows) : 1, ncols = any2 ? count("_NCOLS", cols) : 1;
  // Without CLASS levels the one cell is every panel's.
  const long panel_no = any1 || any2 ? count("_PANEL", 1) - 1 : 0;
  const long col_blocks = std::max(1L, (cols + ncols - 1) / ncols);
  const long row0 = panel_no / col_blocks * nrows, col0 = panel_no % col_blocks * ncols;
  std::vector<std::pair<std::string, std::string>> out;
  for (long r = row0; r < std::min(rows, row0 + nrows); ++r)
    for (long k = col0; k < std::min(cols, col0 + ncols); ++k)
      out.push_back({levels1[static_cast<std::size_t>(r)], levels2[static_cast<std::size_t>(k)]});
  return out;
}

// A histogram's bins and its fitted curves, each curve by its label with the height of
// unit density: the bin width times the scale of the bars (100 for percents, 1 for
// proportions, the values counted for counts). CLASS cells are left out: their curves'
// labels give no parameters.
void add_histogram(const dump_block& data, svg_facts& facts) {
  std::string bars_label;
  for (const std::string& l : data.lines)
    if (l.rfind("  column BinCount ", 0) == 0) bars_label = l.substr(l.find("label \"") + 7);
  std::vector<double> mids;
  double counted = 0;
  std::map<std::string, std::size_t> by_label;
  std::vector<svg_facts::curve> curves;
  for (const auto& row : data.rows()) {
    if (row.count("Class1") != 0 || row.count("Class2") != 0) return;
    const auto get = [&](const char* column) {
      const auto it = row.find(column);
      return it == row.end() ? NAN : dump_number(it->second);
    };
    if (const double m = get("BinX"); std::isfinite(m)) {
      mids.push_back(m);
      counted += std::max(0.0, get("BinCount"));
      facts.bins.push_back({m, get("BinCount")});
    }
    const auto label = row.find("CurveLabel");
    const double x = get("CurveX"), y = get("CurveY");
    if (label == row.end() || label->second.empty() || !std::isfinite(x) || !std::isfinite(y)) continue;
    const auto [it, fresh] = by_label.insert({label->second, curves.size()});
    if (fresh) {
      curves.emplace_back();
      curves.back().label = label->second;
    }
    curves[it->second].points.push_back({x, y});
  }
  if (mids.size() < 2 || curves.empty()) return;
  // The width from the outermost midpoints, which carry the rounding of their doubles.
  const double span = mids.back() - mids.front();
  const auto ulp = [](double v) { return std::nextafter(std::fabs(v), INFINITY) - std::fabs(v); };
  const double width = span / static_cast<double>(mids.size() - 1);
  const double scale = bars_label.rfind("Percent", 0) == 0 ? 100 : bars_label.rfind("Proportion", 0) == 0 ? 1 : counted;
  for (svg_facts::curve& c : curves) {
    c.width = width;
    c.scale = scale;
    c.width_reach = (ulp(mids.front()) + ulp(mids.back())) / span;
    facts.curves.push_back(std::move(c));
  }
}

// The fitted curves of a comparative histogram's cells, in the order the panel draws
// its cells: each cell's curves by their labels, a cell without rows none.
void add_cell_curves(const dump_block& panel, const dump_block& data, svg_facts& facts) {
  std::map<std::pair<std::string, std::string>, std::vector<svg_facts::curve>> by_levels;
  std::vector<std::string> levels1, levels2;
  bool any1 = false, any2 = false;
  for (const auto& row : data.rows()) {
    if (row.count("Class1") == 0 && row.count("Class2") == 0) return;
    const auto level = [&](const char* column, std::vector<std::string>& seen, bool& any) {
      const auto it = row.find(column);
      const std::string v = it == row.end() ? std::string() : it->second;
      if (std::find(seen.begin(), seen.end(), v) == seen.end()) seen.push_back(v);
      any = any || !v.empty();
      return v;
    };
    const std::string l1 = level("Class1", levels1, any1), l2 = level("Class2", levels2, any2);
    std::vector<svg_facts::curve>& curves = by_levels[{l1, l2}];
    const auto label = row.find("CurveLabel"), x = row.find("CurveX"), y = row.find("CurveY");
    if (label == row.end() || label->second.empty() || x == row.end() || y == row.end()) continue;
    const double cx = dump_number(x->second), cy = dump_number(y->second);
    if (!std::isfinite(cx) || !std::isfinite(cy)) continue;
    if (curves.empty() || curves.back().label != label->second) {
      curves.emplace_back();
      curves.back().label = label->second;
    }
    curves.back().points.push_back({cx, cy});
  }
  for (const auto& levels : drawn_levels(panel, levels1, levels2, any1, any2)) {
    const auto it = by_levels.find(levels);
    facts.cell_curves.push_back(it == by_levels.end() ? std::vector<svg_facts::curve>{} : it->second);
  }
}

}  // namespace

void add_dump_facts(const std::vector<dump_block>& blocks, const std::string& file, svg_facts& facts) {
  for (std::size_t k = 0; k < blocks.size(); ++k) {
    const dump_block& panel = blocks[k];
    if (!panel.is_panel() || panel.file() != file) continue;
    facts.listed_across = listed(panel.dynamic("_XTICKS"));
    facts.listed_up = listed(panel.dynamic("_YTICKS"));
    facts.placed_percents = listed(panel.dynamic("_PCTLLABELS"));
    if (facts.listed_percents.empty()) facts.listed_percents = facts.placed_percents;
    // The values of the panel's boxes: its own (_I1_VALUE2) and its cells' (the
    // InsetRow columns of the data blocks since the panel before).
    for (const std::string& l : panel.lines)
      if (l.rfind("  _I", 0) == 0 && (l.find("_VALUE") != std::string::npos || l.find("_LABEL") != std::string::npos)) {
        const std::size_t eq = l.find(" = \"");
        if (eq != std::string::npos) facts.inset_texts.push_back(l.substr(eq + 4, l.rfind('"') - eq - 4));
      }
    for (std::size_t d = k; d-- > 0 && !blocks[d].is_panel();)
      for (const auto& row : blocks[d].rows())
        for (const auto& [column, text] : row)
          if (column.rfind("InsetRow", 0) == 0) facts.inset_texts.push_back(text);
    // The panel's data: the data block before it, whose rows run cell by cell; a cell
    // without nonmissing values has none.
    const dump_block* data = nullptr;
    for (std::size_t d = k; d-- > 0;)
      if (!blocks[d].is_panel()) {
        data = &blocks[d];
        break;
      }
    if (data == nullptr) return;
    add_histogram(*data, facts);
    add_cell_curves(panel, *data, facts);
    // Bars stand over their midpoints; ticks at the bins' ends (ENDPOINTS) are no
    // midpoints of theirs.
    if (panel.dynamic("_XVALUES").rfind("\"MIDPOINTS\"", 0) != 0) facts.bins.clear();
    std::vector<double> key_places;
    for (const std::string& w : listed(panel.dynamic("_PCTLVALUES"))) key_places.push_back(dump_number(w));
    // The rows' cells by their levels, and the levels in the order they come, as the
    // grid's rows (Class1) and columns (Class2) are laid.
    std::map<std::pair<std::string, std::string>, svg_facts::quantile_cell> by_levels;
    std::vector<std::string> levels1, levels2;
    bool any1 = false, any2 = false;
    const bool overlay = panel.dynamic("_OVERLAY").rfind("1", 0) == 0;
    // Turned by ROTATE, the reference lines across the quantile scale are VREF='s.
    const std::string template_name = panel.template_name();
    const bool rotated = template_name.size() >= 7 && template_name.compare(template_name.size() - 7, 7, "Rotated") == 0;
    const char* const ref_column = rotated ? "VRefValue" : "HRefValue";
    facts.quantile_up = rotated;
    // Overlaid, each cell's groups (the Group column's, else the one CLASS variable's
    // levels) in the order they come, with their own percent places.
    std::map<std::pair<std::string, std::string>, std::vector<std::pair<std::string, std::vector<double>>>> groups;
    for (const auto& row : data->rows()) {
      const auto get = [&](const char* column) {
        const auto it = row.find(column);
        return it == row.end() ? std::string(".") : it->second;
      };
      // Only plots of points on a quantile scale place percents and lines by quantile.
      if (row.find("Quantile") == row.end() || row.find("Data") == row.end()) return;
      // Overlaid without a Group column, the one CLASS variable's levels share a cell.
      const bool shared = overlay && row.find("Group") == row.end();
      const auto level = [&](const char* column, std::vector<std::string>& seen, bool& any) {
        const auto it = row.find(column);
        const std::string v = it == row.end() || shared ? std::string() : it->second;
        if (std::find(seen.begin(), seen.end(), v) == seen.end()) seen.push_back(v);
        any = any || !v.empty();
        return v;
      };
      const std::string l1 = level("Class1", levels1, any1), l2 = level("Class2", levels2, any2);
      svg_facts::quantile_cell& c = by_levels[{l1, l2}];
      const double q = dump_number(get("Quantile")), v = dump_number(get("Data"));
      if (std::isfinite(q) && std::isfinite(v)) c.points.push_back({q, v});
      if (const double p = dump_number(get("PctlPosition")); std::isfinite(p)) c.percent_places.push_back(p);
      if (const double h = dump_number(get(ref_column)); std::isfinite(h)) c.href_places.push_back(h);
      if (overlay && (row.count("Group") != 0 || shared)) {
        const std::string g = row.count("Group") != 0 ? get("Group") : get("Class1");
        auto& list = groups[{l1, l2}];
        if (list.empty() || list.back().first != g) list.push_back({g, {}});
        if (const double p = dump_number(get("PctlPosition")); std::isfinite(p)) list.back().second.push_back(p);
      }
    }
    // Overlaid groups whose shapes differ draw a row of percents each, or none.
    const std::string rows_of = panel.dynamic("_PCTLGROUPS");
    facts.no_group_percents = overlay && !rows_of.empty() && rows_of.rfind("\"ROWS\"", 0) != 0;
    if (by_levels.empty()) return;
    // The cells the panel draws, in order; a pair of levels without rows is drawn empty.
    for (const auto& levels : drawn_levels(panel, levels1, levels2, any1, any2)) {
      const auto it = by_levels.find(levels);
      facts.quantile_cells.push_back(it == by_levels.end() ? svg_facts::quantile_cell{} : it->second);
      const auto g = groups.find(levels);
      if (g != groups.end() && rows_of.rfind("\"ROWS\"", 0) == 0)
        for (const auto& [name, places] : g->second) facts.quantile_cells.back().group_percent_places.push_back(places);
    }
    // Cells without places of their own take the key cell's (the first row's).
    for (svg_facts::quantile_cell& c : facts.quantile_cells)
      if (c.percent_places.empty()) c.percent_places = key_places;
    svg_facts::quantile_cell key = by_levels.at({levels1.front(), levels2.front()});
    if (key.percent_places.empty()) key.percent_places = key_places;
    // A reference line at a listed percent (HREF=90) stands at each cell's own place of
    // that percent, whatever place the module passes for the cell.
    for (std::size_t j = 0; j < key.href_places.size(); ++j)
      for (std::size_t i = 0; i < key.percent_places.size(); ++i) {
        const double h = key.href_places[j], p = key.percent_places[i];
        // The same quantile, computed alike: a few units in the last place apart at most
        // (percents of a tiny spread are a billionth apart).
        if (std::fabs(h - p) > 4 * (std::nextafter(std::fabs(h), INFINITY) - std::fabs(h))) continue;
        for (svg_facts::quantile_cell& c : facts.quantile_cells)
          if (j < c.href_places.size() && i < c.percent_places.size()) c.href_places[j] = c.percent_places[i];
        break;
      }
    return;
  }
}

}  // namespace kes_test
