// Listing layout of tables and factoids.
#include "output/listing_render.h"

#include <algorithm>
#include <cmath>

#include "output/apart_texts.h"
#include "output/number_format.h"

namespace plat::out {
namespace {

constexpr int kDefaultWidth = 8;  // numeric columns that give no width
constexpr int kGap = 2;           // blanks between columns
constexpr int kPairGap = 4;       // blanks between the pairs of a factoid line

void rtrim(std::string& s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
}

std::string pad_right(const std::string& s, std::size_t w) {
  return s.size() >= w ? s : s + std::string(w - s.size(), ' ');
}
std::string pad_left(const std::string& s, std::size_t w) {
  return s.size() >= w ? s : std::string(w - s.size(), ' ') + s;
}

// Splits a header into lines no wider than width (a longer word keeps its line).
std::vector<std::string> wrap(const std::string& text, std::size_t width) {
  std::vector<std::string> lines;
  std::string cur;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    std::size_t j = text.find(' ', i);
    if (j == std::string::npos) j = text.size();
    if (j == i) break;
    std::string word = text.substr(i, j - i);
    if (cur.empty()) {
      cur = word;
    } else if (cur.size() + 1 + word.size() <= width) {
      cur += ' ' + word;
    } else {
      lines.push_back(cur);
      cur = word;
    }
    i = j;
  }
  if (!cur.empty()) lines.push_back(cur);
  return lines;
}

std::size_t longest_word(const std::string& text) {
  std::size_t best = 0, run = 0;
  for (char c : text) {
    run = c == ' ' ? 0 : run + 1;
    best = std::max(best, run);
  }
  return best;
}

// The form a width and decimals ask for: fixed decimals, or the best form.
num_form form_of(int width, int decimals) {
  return {width > 0 ? width : kDefaultWidth, decimals >= 0 && decimals != kBestDecimals ? decimals : -1};
}

// The texts of a factoid's pairs: numbers in their forms, widened where the template
// asks a pair to read apart from itself moved by another's value.
std::vector<std::string> pair_texts(const report& r, const template_look& look) {
  apart_values a;
  std::vector<long> at(r.pairs.size(), -1);
  for (std::size_t i = 0; i < r.pairs.size(); ++i) {
    const factoid_pair& p = r.pairs[i];
    if (p.is_text || missing_kind(p.num)) continue;
    at[i] = static_cast<long>(a.add(p.num, a.add_form(form_of(p.width, p.decimals))));
  }
  for (const auto& [v, s] : look.pair_steps) {
    const auto in = [&](int k) { return k >= 0 && static_cast<std::size_t>(k) < at.size() && at[k] >= 0; };
    if (in(v) && in(s)) a.steps.emplace_back(at[v], r.pairs[s].num);
  }
  tell_apart(a);
  std::vector<std::string> out;
  for (std::size_t i = 0; i < r.pairs.size(); ++i) {
    const factoid_pair& p = r.pairs[i];
    if (p.is_text) out.push_back(p.text);
    else if (at[i] < 0) out.push_back(missing_text(missing_kind(p.num)));
    else out.push_back(value_text(a, static_cast<std::size_t>(at[i])));
  }
  return out;
}

const std::string& title_of(const report& r, const template_look& look) {
  if (look.title_dynamic != nullptr) {
    const dyn_value* d = r.dynamic(look.title_dynamic);
    if (d != nullptr && d->is_text && !d->text.empty()) return d->text;
  }
  return r.label.empty() ? r.name : r.label;
}

void write_block(const std::vector<std::string>& lines, int linesize, bool centre, const line_sink& sink) {
  std::size_t width = 0;
  for (const auto& l : lines) width = std::max(width, l.size());
  std::size_t indent = centre && static_cast<int>(width) < linesize ? (linesize - width) / 2 : 0;
  for (auto l : lines) {
    l = std::string(indent, ' ') + l;
    rtrim(l);
    sink(l);
  }
}

void render_factoid(const report& r, const template_look& look, int linesize, bool centre, const line_sink& sink) {
  // Place the pairs: an explicit position puts a pair on the current line; without
  // one the template's pairs per line decide.
  const int per_row = std::max(1, look.pairs_per_row);
  const std::vector<std::string> texts = pair_texts(r, look);
  std::vector<std::vector<const factoid_pair*>> rows;
  int last = 0;  // position of the previous pair on its line
  for (const auto& p : r.pairs) {
    int pos = p.position > 0 ? p.position : (last >= per_row ? 1 : last + 1);
    if (rows.empty() || pos <= last) rows.emplace_back();
    auto& row = rows.back();
    if (row.size() < static_cast<std::size_t>(pos)) row.resize(pos, nullptr);
    row[pos - 1] = &p;
    last = pos;
  }
  std::size_t ncol = 0;
  for (const auto& row : rows) ncol = std::max(ncol, row.size());
  std::vector<std::size_t> lw(ncol, 0), vw(ncol, 0);
  std::vector<std::vector<std::string>> values(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    values[i].resize(rows[i].size());
    for (std::size_t k = 0; k < rows[i].size(); ++k) {
      if (!rows[i][k]) continue;
      values[i][k] = texts[static_cast<std::size_t>(rows[i][k] - r.pairs.data())];
      lw[k] = std::max(lw[k], rows[i][k]->label.size());
      vw[k] = std::max(vw[k], values[i][k].size());
    }
  }
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::string line;
    for (std::size_t k = 0; k < ncol; ++k) {
      if (k > 0) line += std::string(kPairGap, ' ');
      const factoid_pair* p = k < rows[i].size() ? rows[i][k] : nullptr;
      line += pad_right(p ? p->label : std::string(), lw[k]);
      line += std::string(kGap, ' ');
      line += p && p->is_text ? pad_right(values[i][k], vw[k]) : pad_left(p ? values[i][k] : "", vw[k]);
    }
    lines.push_back(line);
  }
  sink("");
  sink(centred(title_of(r, look), linesize, centre));
  sink("");
  write_block(lines, linesize, centre, sink);
}

// A character value wider than the whole line (an ID value of thousands of characters)
// would wrap the table over many lines. Such columns share what the other columns
// leave of the line, each at least its header's longest word and kMinCut wide; their
// longer values are cut, and a note under the table says so. Only the listing is cut:
// the JSON output and the data sets keep every value whole. Tables without such a
// value are left as they are, however wide.
constexpr std::size_t kMinCut = 8;

std::vector<std::string> cut_to_line(const report& r, const std::vector<std::size_t>& shown,
                                     const std::vector<std::string>& headers, int linesize,
                                     std::vector<std::size_t>& width, std::vector<std::vector<std::string>>& texts) {
  const std::size_t line = linesize > 0 ? static_cast<std::size_t>(linesize) : 1;
  std::vector<std::size_t> wide;
  std::size_t others = 0;  // the other columns and every gap
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (!r.columns[shown[i]].numeric && width[i] > line) wide.push_back(i);
    else others += width[i];
    others += i > 0 ? kGap : 0;
  }
  if (wide.empty()) return {};
  const std::size_t share = others < line ? (line - others) / wide.size() : 0;
  std::vector<std::string> notes;
  for (std::size_t i : wide) {
    const std::size_t to = std::max({share, kMinCut, longest_word(headers[i])});
    width[i] = to;
    for (std::string& t : texts[i])
      if (t.size() > to) t.resize(to);
    std::string note = "Values of " + headers[i] + " longer than " + std::to_string(to) +
                       " characters are cut here to fit the line; the JSON output and data sets hold them whole.";
    if (std::find(notes.begin(), notes.end(), note) == notes.end()) notes.push_back(std::move(note));
  }
  std::vector<std::string> lines;
  for (const std::string& note : notes)
    for (std::string& l : wrap(note, line)) lines.push_back(std::move(l));
  return lines;
}

}  // namespace

std::string missing_text(char kind) {
  if (kind == '_') return std::string();
  if (kind >= 'A' && kind <= 'Z') return std::string(".") + kind;
  return ".";
}

std::string centred(const std::string& text, int width, bool centre) {
  std::string s;
  centred_into(s, text, width, centre);
  return s;
}

void centred_into(std::string& out, std::string_view text, int width, bool centre) {
  if (!centre || static_cast<int>(text.size()) >= width) {
    out.assign(text);
    return;
  }
  out.assign((width - text.size()) / 2, ' ');
  out += text;
  rtrim(out);
}

namespace {

// The numeric columns of a table and the form of their values: the column's
// decimals (an upper bound shared by the column, so that its points line up without
// padding every value with zeros) or the best form in the column's width; a column
// widens as a whole.
struct column_forms {
  const column_look* look = nullptr;
  bool pvalue = false;
  bool fixed = false;
  std::size_t form = 0;           // the column's form
  std::vector<long> at;           // per row: the value's index, -1 where it has no form
};

column_forms add_column(apart_values& a, const std::vector<double>& values, const column_info& col,
                        const column_look* look) {
  int width = look && look->width > 0 ? look->width : col.width;
  int decimals = look && look->decimals >= 0 ? look->decimals : col.decimals;
  if (width <= 0) width = kDefaultWidth;
  column_forms c{look, look && look->style == num_style::pvalue, false, 0, {}};
  c.fixed = !c.pvalue && decimals >= 0 && decimals != kBestDecimals;
  if (c.fixed) {
    int shared = 0;
    for (double v : values)
      if (!std::isnan(v)) shared = std::max(shared, decimals_needed(v, decimals));
    // A column far from zero (timestamps, 1e9 Hz) widens to show its decimals where
    // they are digits a double holds; larger values keep the best form in the width.
    for (double v : values)
      if (std::isfinite(v) && significant_digits(v, shared) <= kDoubleDigits)
        width = std::max(width, fixed_width(v, shared));
    c.form = a.add_form({width, shared});
  } else if (!c.pvalue) {
    c.form = a.add_form({width, -1});
  }
  std::vector<std::size_t> mine;
  for (double v : values) {
    const bool zero_text = look && look->zero_text && !missing_kind(v) && v == 0.0;
    if (c.pvalue || zero_text || missing_kind(v)) {
      c.at.push_back(-1);
      continue;
    }
    c.at.push_back(static_cast<long>(a.add(v, c.form)));
    mine.push_back(a.value.size() - 1);
  }
  a.add_neighbours(mine);
  if (look && look->resolved) {
    double step = HUGE_VAL;
    for (std::size_t i : mine)
      if (a.value[i] != 0.0 && std::isfinite(a.value[i])) step = std::fmin(step, std::fabs(a.value[i]));
    if (std::isfinite(step))
      for (std::size_t i : mine) a.steps.emplace_back(i, step);
  }
  return c;
}

std::vector<std::string> column_texts(const apart_values& a, const column_forms& c, const std::vector<double>& values) {
  std::vector<std::string> out;
  out.reserve(values.size());
  for (std::size_t r = 0; r < values.size(); ++r) {
    const double v = values[r];
    const char k = missing_kind(v);
    if (c.look && c.look->zero_text && !k && v == 0.0)
      out.push_back(c.look->zero_text);
    else if (k)
      out.push_back(missing_text(k));
    else if (c.pvalue)
      out.push_back(format_pvalue(v));
    else
      out.push_back(value_text(a, static_cast<std::size_t>(c.at[r])));
  }
  return out;
}

}  // namespace

std::vector<std::string> numeric_column_texts(const std::vector<double>& values, const column_info& col,
                                              const column_look* look) {
  apart_values a;
  const column_forms c = add_column(a, values, col, look);
  tell_apart(a);
  return column_texts(a, c, values);
}

void render_listing(const report& r, const template_look& look, int linesize, const line_sink& sink, bool centre) {
  if (r.factoid) {
    render_factoid(r, look, linesize, centre, sink);
    return;
  }
  // Shown columns, in definition order.
  std::vector<std::size_t> shown;
  for (std::size_t c = 0; c < r.columns.size(); ++c) {
    bool hide = false;
    for (const char* h : look.hidden) hide = hide || r.columns[c].name == h;
    for (const auto& cond : look.conditional) {
      if (r.columns[c].name != cond.column) continue;
      const dyn_value* d = r.dynamic(cond.dynamic);
      hide = hide || d == nullptr || d->is_text || d->num == 0;
    }
    if (!hide) shown.push_back(c);
  }
  const std::size_t n = shown.size();
  std::vector<std::vector<std::string>> texts(n);  // per shown column, per row
  std::vector<bool> left(n);
  std::vector<std::string> headers(n);
  std::vector<std::size_t> width(n, 1);
  // The numeric values read apart from their neighbours and from the values of their
  // row that they are compared with.
  apart_values a;
  std::vector<std::vector<double>> vals(n);
  std::vector<column_forms> forms(n);
  for (std::size_t i = 0; i < n; ++i) {
    const column_info& col = r.columns[shown[i]];
    if (!col.numeric) continue;
    for (const auto& row : r.rows) vals[i].push_back(row[shown[i]].num);
    forms[i] = add_column(a, vals[i], col, find_column_look(look, col.name));
  }
  for (const auto& group : look.compared) {
    std::vector<std::size_t> cols;
    for (const char* name : group)
      for (std::size_t i = 0; i < n; ++i)
        if (r.columns[shown[i]].numeric && r.columns[shown[i]].name == name) cols.push_back(i);
    std::vector<std::size_t> group_forms;
    for (std::size_t i : cols)
      if (!forms[i].pvalue) group_forms.push_back(forms[i].form);
    a.shared.push_back(group_forms);
    for (std::size_t row = 0; row < r.rows.size(); ++row)
      for (std::size_t x = 0; x < cols.size(); ++x)
        for (std::size_t y = x + 1; y < cols.size(); ++y) {
          const long p = forms[cols[x]].at[row], q = forms[cols[y]].at[row];
          if (p >= 0 && q >= 0) a.pairs.emplace_back(p, q);
        }
  }
  tell_apart(a);
  for (std::size_t i = 0; i < n; ++i) {
    const column_info& col = r.columns[shown[i]];
    const column_look* cl = find_column_look(look, col.name);
    if (col.numeric) {
      texts[i] = column_texts(a, forms[i], vals[i]);
    } else {
      for (const auto& row : r.rows) texts[i].push_back(row[shown[i]].text);
    }
    align a = cl ? cl->alignment : align::automatic;
    left[i] = a == align::left || (a == align::automatic && !col.numeric);
    headers[i] = cl && cl->header ? cl->header : (col.label.empty() ? col.name : col.label);
    for (const auto& t : texts[i]) width[i] = std::max(width[i], t.size());
    width[i] = std::max(width[i], longest_word(headers[i]));
  }
  std::vector<std::string> notes = cut_to_line(r, shown, headers, linesize, width, texts);

  // Spanning headers over shown columns, each on the first line where it fits.
  struct span_at {
    std::size_t first, last;
    std::string label;
  };
  std::vector<std::vector<span_at>> span_rows;
  auto shown_index = [&](const std::string& name) -> long {
    for (std::size_t i = 0; i < n; ++i)
      if (r.columns[shown[i]].name == name) return static_cast<long>(i);
    return -1;
  };
  for (const auto& s : look.spans) {
    // A fixed name or text, else the text of the dynamic; empty when neither is there.
    auto span_text = [&](const char* dyn, const char* fixed) -> std::string {
      if (fixed != nullptr) return fixed;
      const dyn_value* d = dyn != nullptr ? r.dynamic(dyn) : nullptr;
      return d != nullptr && d->is_text ? d->text : std::string();
    };
    const std::string a = span_text(s.start_dynamic, s.start_column);
    const std::string b = span_text(s.end_dynamic, s.end_column);
    const std::string l = span_text(s.label_dynamic, s.label);
    if (a.empty() || b.empty() || l.empty()) continue;
    long fi = shown_index(a), la = shown_index(b);
    if (fi < 0 || la < 0 || fi > la) continue;
    span_at sp{static_cast<std::size_t>(fi), static_cast<std::size_t>(la), l};
    // Widen the span's last column until the label fits between a blank and a dash
    // on each side.
    std::size_t have = 0;
    for (std::size_t i = sp.first; i <= sp.last; ++i) have += width[i] + (i > sp.first ? kGap : 0);
    if (have < sp.label.size() + 4) width[sp.last] += sp.label.size() + 4 - have;
    bool placed = false;
    for (auto& row : span_rows) {
      bool clash = false;
      for (const auto& o : row) clash = clash || !(sp.last < o.first || sp.first > o.last);
      if (!clash) {
        row.push_back(sp);
        placed = true;
        break;
      }
    }
    if (!placed) span_rows.push_back({sp});
  }

  std::vector<std::size_t> start(n, 0);
  std::size_t total = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const column_look* cl = find_column_look(look, r.columns[shown[i]].name);
    const bool joined = cl != nullptr && cl->joined;
    start[i] = total + (i > 0 && !joined ? kGap : 0);
    total = start[i] + width[i];
  }
  std::vector<std::string> lines;
  for (const auto& row : span_rows) {
    std::string line(total, ' ');
    for (const auto& sp : row) {
      std::size_t from = start[sp.first], to = start[sp.last] + width[sp.last];
      std::size_t w = to - from;
      std::string lab = " " + sp.label + " ";
      std::size_t lpad = (w - lab.size()) / 2;
      std::string seg = std::string(lpad, '-') + lab + std::string(w - lpad - lab.size(), '-');
      line.replace(from, w, seg);
    }
    lines.push_back(line);
  }
  std::vector<std::vector<std::string>> hdr(n);
  std::size_t hdr_lines = 0;
  for (std::size_t i = 0; i < n; ++i) {
    hdr[i] = wrap(headers[i], width[i]);
    hdr_lines = std::max(hdr_lines, hdr[i].size());
  }
  for (std::size_t k = 0; k < hdr_lines; ++k) {
    std::string line(total, ' ');
    for (std::size_t i = 0; i < n; ++i) {
      std::size_t off = hdr_lines - hdr[i].size();  // headers sit on their last line
      if (k < off) continue;
      const std::string& h = hdr[i][k - off];
      std::string cellt = left[i] ? pad_right(h, width[i]) : pad_left(h, width[i]);
      line.replace(start[i], width[i], cellt);
    }
    lines.push_back(line);
  }
  if (hdr_lines > 0) lines.emplace_back();
  for (std::size_t rr = 0; rr < r.rows.size(); ++rr) {
    std::string line(total, ' ');
    for (std::size_t i = 0; i < n; ++i) {
      const std::string& t = texts[i][rr];
      line.replace(start[i], width[i], left[i] ? pad_right(t, width[i]) : pad_left(t, width[i]));
    }
    lines.push_back(line);
  }

  sink("");
  sink(centred(title_of(r, look), linesize, centre));
  sink("");
  notes.insert(notes.begin(), r.footnotes.begin(), r.footnotes.end());
  if (!notes.empty()) {
    lines.emplace_back();
    for (const auto& f : notes) lines.push_back(f);
  }
  write_block(lines, linesize, centre, sink);
}

}  // namespace plat::out
