// The graph dump read back (see graph_dump.h).
#include "support/graph_dump.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace kes_test {

std::string dump_block::dynamic(const std::string& name) const {
  const std::string key = "  " + name + " = ";
  for (const std::string& l : lines)
    if (l.rfind(key, 0) == 0) return l.substr(key.size());
  return "";
}

int dump_block::count_prefix(const std::string& prefix) const {
  int n = 0;
  for (const std::string& l : lines) n += l.rfind(prefix, 0) == 0 ? 1 : 0;
  return n;
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

}  // namespace

void add_dump_facts(const std::vector<dump_block>& blocks, const std::string& file, svg_facts& facts) {
  for (std::size_t k = 0; k < blocks.size(); ++k) {
    const dump_block& panel = blocks[k];
    if (!panel.is_panel() || panel.file() != file) continue;
    facts.listed_across = listed(panel.dynamic("_XTICKS"));
    facts.listed_up = listed(panel.dynamic("_YTICKS"));
    facts.placed_percents = listed(panel.dynamic("_PCTLLABELS"));
    if (facts.listed_percents.empty()) facts.listed_percents = facts.placed_percents;
    // The panel's data: the data block before it. Its rows run cell by cell (Class1,
    // Class2 ... in the order the cells are drawn).
    const dump_block* data = nullptr;
    for (std::size_t d = k; d-- > 0;)
      if (!blocks[d].is_panel()) {
        data = &blocks[d];
        break;
      }
    if (data == nullptr) return;
    std::vector<double> key_places;
    for (const std::string& w : listed(panel.dynamic("_PCTLVALUES"))) key_places.push_back(dump_number(w));
    std::string last_cell = "\x01";
    for (const auto& row : data->rows()) {
      const auto get = [&](const char* column) {
        const auto it = row.find(column);
        return it == row.end() ? std::string(".") : it->second;
      };
      // Only plots of points on a quantile scale place percents and lines by quantile.
      if (row.find("Quantile") == row.end() || row.find("Data") == row.end()) return;
      std::string cell;
      for (const auto& [column, value] : row)
        if (column.rfind("Class", 0) == 0) cell += column + "=" + value + ";";
      if (cell != last_cell) {
        facts.quantile_cells.push_back({});
        last_cell = cell;
      }
      svg_facts::quantile_cell& c = facts.quantile_cells.back();
      const double q = dump_number(get("Quantile")), v = dump_number(get("Data"));
      if (std::isfinite(q) && std::isfinite(v)) c.points.push_back({q, v});
      if (const double p = dump_number(get("PctlPosition")); std::isfinite(p)) c.percent_places.push_back(p);
      if (const double h = dump_number(get("HRefValue")); std::isfinite(h)) c.href_places.push_back(h);
    }
    // Cells without places of their own take the key cell's.
    for (svg_facts::quantile_cell& c : facts.quantile_cells)
      if (c.percent_places.empty()) c.percent_places = key_places;
    // A reference line at a listed percent (HREF=90) stands at each cell's own place of
    // that percent, whatever place the module passes for the cell.
    if (facts.quantile_cells.empty()) return;
    const svg_facts::quantile_cell key = facts.quantile_cells.front();
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
