// Data objects and panels of template graphs, and their dump.
#include "output/graph_objects.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/number_text.h"

namespace plat::out {
namespace {

std::string quoted(const std::string& s) {
  std::string o = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') o += '\\';
    o += c;
  }
  return o + "\"";
}

std::string number_text(double v) { return missing_kind(v) ? missing_text(v) : shortest_text(v); }

std::string value_text(const dyn_value& d) {
  if (d.is_text) return quoted(d.text) + " (text)";
  if (d.is_bool) return number_text(d.num) + " (boolean)";
  if (d.is_int) return number_text(d.num) + " (int)";
  return number_text(d.num) + " (double)";
}

}  // namespace

namespace {

const std::string& no_text() {
  static const std::string empty;
  return empty;
}

}  // namespace

void graph_column::new_block() { blocks_.push_back(std::make_unique_for_overwrite<double[]>(kBlock)); }

void graph_column::make_dense() {
  for (std::size_t r = 0; r < runs_.size(); ++r) {
    const std::size_t end = r + 1 < runs_.size() ? runs_[r + 1].first : size_;
    for (std::size_t row = runs_[r].first; row < end; ++row) push_dense(runs_[r].second);
  }
  std::vector<std::pair<std::size_t, double>>().swap(runs_);
  dense_ = true;
}

void graph_column::push_run(double v) {
  runs_.emplace_back(size_ - 1, v);
  // A run costs two doubles' room: past a quarter of the rows, one double a row is
  // less. A few hundred distinct values first (a fitted curve) do not decide it.
  if (size_ >= 4096 && runs_.size() * 4 > size_) make_dense();
}

void graph_column::push_text(std::string_view s) {
  if (numeric_) {
    push_num(NAN);
    return;
  }
  ++size_;
  if (!text_runs_.empty() && levels_[text_runs_.back().second] == s) return;
  text_runs_.emplace_back(size_ - 1, level_code(s));
}

std::uint32_t graph_column::level_code(std::string_view s) {
  const auto hash = [](std::string_view t) { return std::hash<std::string_view>{}(t); };
  if ((levels_.size() + 1) * 4 > level_slots_.size() * 3) {
    std::vector<std::uint32_t> slots(level_slots_.empty() ? 16 : 2 * level_slots_.size(), 0u);
    const std::size_t mask = slots.size() - 1;
    for (std::size_t c = 0; c < levels_.size(); ++c) {
      std::size_t i = hash(levels_[c]) & mask;
      while (slots[i] != 0) i = (i + 1) & mask;
      slots[i] = static_cast<std::uint32_t>(c + 1);
    }
    level_slots_.swap(slots);
  }
  const std::size_t mask = level_slots_.size() - 1;
  for (std::size_t i = hash(s) & mask;; i = (i + 1) & mask) {
    const std::uint32_t c = level_slots_[i];
    if (c != 0 && levels_[c - 1] == s) return c - 1;
    if (c != 0) continue;
    levels_.emplace_back(s);
    level_slots_[i] = static_cast<std::uint32_t>(levels_.size());
    return static_cast<std::uint32_t>(levels_.size() - 1);
  }
}

std::size_t graph_column::run_of(std::size_t row) const {
  // The last run that starts at or before the row: the one read last, or the next,
  // when the rows come in order.
  const auto& runs = runs_;
  const std::size_t n = numeric_ ? runs.size() : text_runs_.size();
  const auto first_of = [&](std::size_t i) { return numeric_ ? runs[i].first : text_runs_[i].first; };
  for (std::size_t i = cursor_; i < n && i <= cursor_ + 1; ++i)
    if (first_of(i) <= row && (i + 1 == n || first_of(i + 1) > row)) return cursor_ = i;
  std::size_t lo = 0, hi = n;
  while (hi - lo > 1) {
    const std::size_t mid = (lo + hi) / 2;
    const std::size_t first = numeric_ ? runs[mid].first : text_runs_[mid].first;
    if (first <= row) lo = mid;
    else hi = mid;
  }
  return cursor_ = lo;
}

void graph_column::read(std::size_t first, std::size_t count, double* out) const {
  std::size_t n = numeric_ && first < size_ ? std::min(count, size_ - first) : 0;
  std::fill(out + n, out + count, NAN);
  std::size_t row = first;
  if (dense_) {
    // A block's rows at a time.
    while (n > 0) {
      const std::size_t at = row & (kBlock - 1), take = std::min(n, kBlock - at);
      std::copy_n(&blocks_[row >> kBlockBits][at], take, out);
      out += take, row += take, n -= take;
    }
    return;
  }
  // A run's rows at a time.
  for (std::size_t r = n > 0 ? run_of(row) : 0; n > 0; ++r) {
    const std::size_t end = r + 1 < runs_.size() ? runs_[r + 1].first : size_;
    const std::size_t take = std::min(n, end - row);
    std::fill_n(out, take, runs_[r].second);
    out += take, row += take, n -= take;
    cursor_ = r;
  }
}

long graph_column::code(std::size_t row) const {
  if (numeric_ || row >= size_) return -1;
  return text_runs_[run_of(row)].second;
}

const std::string& graph_column::text(std::size_t row) const {
  const long c = code(row);
  return c < 0 ? no_text() : levels_[static_cast<std::size_t>(c)];
}

graph_column& graph_table::add_columns(std::size_t k) {
  while (data_.size() < columns.size()) data_.emplace_back(columns[data_.size()].numeric);
  return data_[k];
}

void graph_table::add_row(const std::vector<cell>& row) {
  for (std::size_t k = 0; k < columns.size(); ++k) {
    graph_column& c = data(k);
    if (k >= row.size()) columns[k].numeric ? c.push_num(NAN) : c.push_text("");
    else if (row[k].is_text) c.push_text(row[k].text);
    else c.push_num(row[k].num);
  }
  end_row();
}

double graph_table::num(std::size_t row, int k) const {
  const graph_column* c = data_of(k);
  return c == nullptr ? NAN : c->num(row);
}

const std::string& graph_table::text(std::size_t row, int k) const {
  const graph_column* c = data_of(k);
  return c == nullptr ? no_text() : c->text(row);
}

int graph_table::column(const std::string& n) const {
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (columns[i].name == n) return static_cast<int>(i);
  return -1;
}

const dyn_value* graph_panel::dynamic(std::string_view n) const {
  const dyn_value* found = nullptr;
  for (const auto& d : dynamics)
    if (d.name == n) found = &d;
  return found;
}

std::string graph_panel::text(std::string_view n, std::string_view otherwise) const {
  const dyn_value* d = dynamic(n);
  if (d == nullptr) return std::string(otherwise);
  return d->is_text ? d->text : shortest_text(d->num);
}

double graph_panel::number(std::string_view n, double otherwise) const {
  const dyn_value* d = dynamic(n);
  if (d == nullptr) return otherwise;
  if (!d->is_text) return d->num;
  char* end = nullptr;
  const double v = std::strtod(d->text.c_str(), &end);
  return end != d->text.c_str() ? v : otherwise;
}

bool graph_panel::flag(std::string_view n) const {
  const dyn_value* d = dynamic(n);
  if (d == nullptr) return false;
  return d->is_text ? d->text == "ON" || d->text == "TRUE" : d->num != 0;
}

bool is_graph_data(const std::string& t) {
  static const char* const kData[] = {"HistogramData", "CDFData", "QQPlotData", "ProbPlotData", "PPPlotData", "InsetData"};
  const std::string root = "orbo.kestravine.";
  if (t.compare(0, root.size(), root) != 0) return false;
  for (const char* d : kData)
    if (t.compare(root.size(), std::string::npos, d) == 0) return true;
  return false;
}

void dump_graph_table(const graph_table& t, const std::function<void(std::string_view)>& out) {
  std::string o = "data " + t.name + " template " + t.template_name + "\n";
  for (const auto& c : t.columns) {
    o += "  column " + c.name + (c.numeric ? " numeric" : " character " + std::to_string(c.char_width)) +
         " label " + quoted(c.label) + "\n";
  }
  for (std::size_t r = 0; r < t.rows(); ++r) {
    o += "  row " + std::to_string(r + 1) + ":";
    for (std::size_t k = 0; k < t.columns.size(); ++k) {
      const int i = static_cast<int>(k);
      o += " " + t.columns[k].name + "=" + (t.columns[k].numeric ? number_text(t.num(r, i)) : quoted(t.text(r, i)));
    }
    o += "\n";
    // Written as it goes: the dump of a graph of millions of rows is never one text.
    if (o.size() >= (1u << 16)) {
      out(o);
      o.clear();
    }
  }
  out(o);
}

std::string dump_graph_table(const graph_table& t) {
  std::string o;
  dump_graph_table(t, [&o](std::string_view piece) { o += piece; });
  return o;
}

std::string dump_graph_panel(const graph_panel& p) {
  std::string o = "panel " + p.name + "\n";
  for (const auto& [name, value] : p.context.by) o += "  by " + name + " = " + quoted(value) + "\n";
  o += "  label " + quoted(p.label) + "\n";
  o += "  description " + quoted(p.description) + "\n";
  o += "  template " + p.template_name + "\n";
  o += "  tables";
  for (const auto& t : p.tables) o += " " + t->name;
  o += "\n";
  for (const auto& d : p.dynamics) o += "  " + d.name + " = " + value_text(d) + "\n";
  if (!p.file.empty()) o += "  file " + p.file + "\n";
  return o;
}

}  // namespace plat::out
