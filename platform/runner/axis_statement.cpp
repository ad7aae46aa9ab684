// AXIS statements: their options written as a catalog member of a header record and
// the streams and values that follow it (the layout the procedure's reader expects).
#include "runner/axis_statement.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "core/colour_names.h"
#include "core/host_messages.h"
#include "core/runtime.h"
#include "core/utf8_text.h"
#include "graph/graph_catalog.h"
#include "host/kes_checked.h"
#include "runner/global_statements.h"

namespace plat {
namespace {

constexpr int kHeaderSize = 136;
constexpr int kMaxAxis = 99;
constexpr int kMaxOrder = 1000;

struct tok {
  enum kind_t { word, number, text, equals, open, close, comma } kind;
  std::string s;    // a word in upper case
  double v = 0;
  std::string raw;  // a word as written
  tok(kind_t k, std::string text, double value = 0, std::string written = {})
      : kind(k), s(std::move(text)), v(value), raw(std::move(written)) {}
};

// A quoted text is made UTF-8 text on its own (*mended counts what was replaced): the
// blanks and line ends between the words of the statement are not part of any text.
bool tokenize(const std::string& in, std::vector<tok>* out, std::string* err, std::size_t* mended) {
  size_t i = 0;
  while (i < in.size()) {
    const char c = in[i];
    if (std::isspace(static_cast<unsigned char>(c))) { ++i; continue; }
    if (c == '=') { out->push_back({tok::equals, "="}); ++i; continue; }
    if (c == '(') { out->push_back({tok::open, "("}); ++i; continue; }
    if (c == ')') { out->push_back({tok::close, ")"}); ++i; continue; }
    if (c == ',') { out->push_back({tok::comma, ","}); ++i; continue; }
    if (c == '\'' || c == '"') {
      std::string t;
      for (++i;; ++i) {
        if (i >= in.size()) { *err = "a quoted text is not closed"; return false; }
        if (in[i] == c) {
          if (i + 1 < in.size() && in[i + 1] == c) { t += c; ++i; continue; }
          ++i;
          break;
        }
        t += in[i];
      }
      std::size_t replaced = 0;
      out->push_back({tok::text, text_as_utf8(t, &replaced)});
      *mended += replaced;
      continue;
    }
    std::string t;
    while (i < in.size() && !std::isspace(static_cast<unsigned char>(in[i])) && std::strchr("=(),'\"", in[i]) == nullptr)
      t += in[i++];
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str() && *end == '\0' && std::isfinite(v)) out->push_back({tok::number, t, v});
    else {
      std::string up = t;
      for (char& ch : up) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      out->push_back({tok::word, up, 0, t});
    }
  }
  return true;
}

void put_double(std::string* s, double v) { s->append(reinterpret_cast<const char*>(&v), 8); }
void put_i16(std::string* s, int v) {
  const std::int16_t x = static_cast<std::int16_t>(v);
  s->append(reinterpret_cast<const char*>(&x), 2);
}
struct parser {
  std::vector<tok> t;
  size_t i = 0;
  std::string err;
  std::vector<std::string> unknown_colours;  // as written

  // The colour word at i as its 8-character field (core/colour_names.h); a word that
  // names no colour leaves the field blank, the axis' default, and is noted.
  std::string colour() {
    std::string field;
    if (!colour_field(t[i].s, &field)) unknown_colours.push_back(t[i].raw), field.clear();
    ++i;
    field.resize(8, ' ');
    return field;
  }

  bool at(tok::kind_t k) const { return i < t.size() && t[i].kind == k; }
  bool word(const char* w) const { return at(tok::word) && t[i].s == w; }
  bool fail(const std::string& e) {
    if (err.empty()) err = e;
    return false;
  }
  bool expect(tok::kind_t k, const char* what) { return at(k) ? (++i, true) : fail(std::string("expected ") + what); }
  bool number(double* v, const char* what) {
    if (!at(tok::number)) return fail(std::string(what) + " needs a number");
    *v = t[i++].v;
    return true;
  }
  // An optional unit after a number: its letter of " PCILDTA".
  char unit() {
    static const char* const names[4] = {"PCT", "CELLS", "IN", "CM"};
    static const char letters[4] = {'P', 'C', 'I', 'L'};
    for (int k = 0; k < 4; ++k)
      if (word(names[k])) return ++i, letters[k];
    return ' ';
  }
  static int unit_code(char letter) { return letter == ' ' ? 0 : static_cast<int>(std::strchr(" PCILDTA", letter) - " PCILDTA"); }

  // LABEL= and VALUE= text items; T= only in VALUE=.
  bool text_stream(std::string* s, bool values, const char* option) {
    if (word("NONE")) return ++i, true;
    const bool paren = at(tok::open);
    if (paren) ++i;
    while (i < t.size() && !at(tok::close)) {
      if (at(tok::text)) {
        if (t[i].s.size() > 255) return fail(std::string(option) + " text longer than 255 characters");
        *s += 'Q';
        *s += static_cast<char>(t[i].s.size());
        *s += t[i++].s;
        if (!paren) break;
        continue;
      }
      if (!at(tok::word)) return fail(std::string(option) + " item expected");
      const std::string item = t[i++].s;
      if (!expect(tok::equals, "'=' after an item")) return false;
      double v = 0;
      if (item == "J") {
        if (!at(tok::word) || (t[i].s != "L" && t[i].s != "R" && t[i].s != "C")) return fail("J= takes L, R or C");
        *s += 'J';
        *s += t[i++].s[0];
      } else if (item == "H") {
        if (!number(&v, "H=")) return false;
        const char u = unit();
        *s += 'H';
        *s += u;
        put_double(s, v);
      } else if (item == "F") {
        if (!at(tok::word) && !at(tok::text)) return fail("F= takes a font name");
        const std::string f = t[i++].s.substr(0, 255);
        *s += 'F';
        *s += static_cast<char>(f.size());
        *s += f;
      } else if (item == "C") {
        if (!at(tok::word)) return fail("C= takes a colour name");
        *s += 'C';
        *s += colour();
      } else if (item == "A" || item == "R") {
        if (!number(&v, item == "A" ? "A=" : "R=")) return false;
        *s += item[0];
        put_double(s, v);
      } else if (item == "T" && values) {
        if (!number(&v, "T=")) return false;
        if (v < 1 || v > 32767 || v != std::floor(v)) return fail("T= takes a tick number from 1");
        *s += 'T';
        put_i16(s, static_cast<int>(v));
      } else {
        return fail(std::string(option) + " has no item " + item + "=");
      }
      if (!paren) break;
    }
    return !paren || expect(tok::close, "')'");
  }

  bool tick_stream(std::string* s, const char* option) {
    if (word("NONE")) return ++i, true;
    if (!expect(tok::open, "'('")) return false;
    while (i < t.size() && !at(tok::close)) {
      if (!at(tok::word)) return fail(std::string(option) + " item expected");
      const std::string item = t[i++].s;
      if (!expect(tok::equals, "'=' after an item")) return false;
      double v = 0;
      if (item == "C") {
        if (!at(tok::word)) return fail("C= takes a colour name");
        *s += 'C';
        *s += colour();
        continue;
      }
      if (!number(&v, item.c_str())) return false;
      if (item == "N") {
        if (v < 0 || v > 32767) return fail("N= takes a count from 0");
        *s += 'N';
        put_i16(s, static_cast<int>(v));
      } else if (item == "W") {
        *s += 'W';
        put_double(s, v);
      } else if (item == "H") {
        const char u = unit();
        *s += 'H';
        *s += u;
        put_double(s, v);
      } else {
        return fail(std::string(option) + " has no item " + item + "=");
      }
    }
    return expect(tok::close, "')'");
  }

  // ORDER=: numbers, a TO b BY c ranges, in parentheses or not, commas optional.
  bool order(std::vector<double>* out) {
    const bool paren = at(tok::open);
    if (paren) ++i;
    while (at(tok::number)) {
      const double a = t[i++].v;
      if (word("TO")) {
        ++i;
        double b = 0, by = 1;
        if (!number(&b, "TO")) return false;
        if (word("BY")) {
          ++i;
          if (!number(&by, "BY")) return false;
        }
        // Counted and placed as the renderers step an axis, so that a range wider than
        // the doubles (-1e308 TO 1e308 BY 1e308) gives its 3 values.
        const double steps = kes_steps_between(a, b, by);
        if (by == 0 || !(steps >= 0)) return fail("ORDER= range does not reach its end");
        const double n = std::floor(steps + 1e-9);
        if (n > kMaxOrder) return fail("ORDER= gives too many values");
        for (long k = 0; k <= static_cast<long>(n); ++k) out->push_back(kes_tick_at(a, by, k));
      } else {
        out->push_back(a);
      }
      if (out->size() > kMaxOrder) return fail("ORDER= gives too many values");
      if (at(tok::comma)) ++i;
    }
    if (out->empty()) return fail("ORDER= needs values");
    return !paren || expect(tok::close, "')'");
  }

  // A pair of lengths with units: (a [unit] [,] b [unit]), or one value for both.
  bool pair(double v[2], char u[2], const char* option) {
    const bool paren = at(tok::open);
    if (paren) ++i;
    if (!number(&v[0], option)) return false;
    u[0] = unit();
    if (at(tok::comma)) ++i;
    if (at(tok::number)) {
      v[1] = t[i++].v;
      u[1] = unit();
    } else {
      v[1] = v[0], u[1] = u[0];
    }
    return !paren || expect(tok::close, "')'");
  }
};

}  // namespace

int axis_number(const std::string& kw) {
  if (kw.size() < 5 || kw.size() > 6 || kw.compare(0, 4, "AXIS") != 0) return 0;
  for (size_t k = 4; k < kw.size(); ++k)
    if (!std::isdigit(static_cast<unsigned char>(kw[k]))) return 0;
  const int n = std::atoi(kw.c_str() + 4);
  return n >= 1 && n <= kMaxAxis && kw[4] != '0' ? n : 0;
}

bool axis_keyword(const std::string& kw) {
  if (kw.size() < 5 || kw.compare(0, 4, "AXIS") != 0) return false;
  for (size_t k = 4; k < kw.size(); ++k)
    if (!std::isdigit(static_cast<unsigned char>(kw[k]))) return false;
  return true;
}

std::string encode_axis(const std::string& options, std::vector<std::string>* records,
                        std::vector<std::string>* unknown_colours, std::size_t* mended) {
  parser p;
  std::size_t replaced = 0;
  const bool read = tokenize(options, &p.t, &p.err, &replaced);
  if (mended != nullptr) *mended = replaced;
  if (!read) return p.err;
  std::string hdr(kHeaderSize, '\0');
  auto set_double = [&](int off, double v) { std::memcpy(&hdr[static_cast<size_t>(off)], &v, 8); };
  auto set_i16 = [&](int off, int v) {
    const std::int16_t x = static_cast<std::int16_t>(v);
    std::memcpy(&hdr[static_cast<size_t>(off)], &x, 2);
  };
  std::memset(&hdr[4], ' ', 8);
  for (int off : {28, 36, 44, 52, 60}) set_double(off, -1.0);
  for (int off = 106; off <= 120; off += 2) set_i16(off, -1);
  std::string values, label, major, minor;
  bool has_values = false, has_label = false, has_major = false, has_minor = false;
  std::vector<double> order;
  while (p.i < p.t.size() && p.err.empty()) {
    if (!p.at(tok::word)) return "an option name is expected";
    const std::string opt = p.t[p.i++].s;
    // The name of a statement: the semicolon before it is most often what is missing.
    if (!p.at(tok::equals)) return "expected '=' after " + opt + semicolon_hint(opt);
    ++p.i;
    double v[2] = {0, 0};
    char u[2] = {' ', ' '};
    if (opt == "ORDER") {
      p.order(&order);
    } else if (opt == "LABEL") {
      has_label = p.text_stream(&label, false, "LABEL=");
    } else if (opt == "VALUE") {
      has_values = p.text_stream(&values, true, "VALUE=");
    } else if (opt == "MAJOR") {
      has_major = p.tick_stream(&major, "MAJOR=");
    } else if (opt == "MINOR") {
      has_minor = p.tick_stream(&minor, "MINOR=");
    } else if (opt == "LENGTH") {
      if (p.number(&v[0], "LENGTH=")) {
        set_double(60, v[0]);
        set_i16(104, parser::unit_code(p.unit()));
      }
    } else if (opt == "WIDTH") {
      if (p.number(&v[0], "WIDTH=")) set_i16(92, static_cast<int>(v[0]));
    } else if (opt == "COLOR") {
      if (!p.at(tok::word)) return "COLOR= takes a colour name";
      std::memcpy(&hdr[4], p.colour().data(), 8);
    } else if (opt == "OFFSET" || opt == "ORIGIN") {
      if (p.pair(v, u, (opt + "=").c_str())) {
        const int base = opt == "OFFSET" ? 44 : 28, ubase = opt == "OFFSET" ? 100 : 96;
        set_double(base, v[0]), set_double(base + 8, v[1]);
        set_i16(ubase, parser::unit_code(u[0])), set_i16(ubase + 2, parser::unit_code(u[1]));
      }
    } else {
      return "there is no option " + opt + "=" + semicolon_hint(opt);
    }
  }
  if (!p.err.empty()) return p.err;
  if (unknown_colours != nullptr) *unknown_colours = p.unknown_colours;
  records->clear();
  records->push_back(hdr);
  std::string order_rec;
  for (double x : order) put_double(&order_rec, x);
  // Parts in the order the reader takes them, each with its length in the header.
  struct part {
    bool given;
    const std::string* data;
    int off;
  };
  const std::string none;
  const part parts[] = {{has_values, &values, 108}, {has_label, &label, 110}, {false, &none, 112},
                        {has_major, &major, 116},   {has_minor, &minor, 118}, {!order.empty(), &order_rec, 114}};
  for (const part& pt : parts) {
    if (!pt.given) continue;
    if (pt.data->size() > 32767) return "an option's text is too long";
    const std::int16_t len = static_cast<std::int16_t>(pt.data->size());
    std::memcpy(&(*records)[0][static_cast<size_t>(pt.off)], &len, 2);
    if (!pt.data->empty()) records->push_back(*pt.data);
  }
  return {};
}

bool run_axis_statement(const statement& st, const std::string& text) {
  std::string_view s(text.data() + st.begin, st.end - st.begin - 1);
  size_t k = 0;
  while (k < s.size() && (std::isalnum(static_cast<unsigned char>(s[k])) || s[k] == '_')) ++k;
  std::vector<std::string> records;
  if (axis_number(st.keyword) == 0) {
    const std::string why = "AXIS statements are numbered from 1 to 99 (AXIS1 to AXIS99)";
    log_message(hostmsg::set, hostmsg::axis_error, st.keyword.c_str(), st.line, why.c_str());
    return false;
  }
  // Outside its quotes the splitter has blanked every byte that is not program text.
  std::vector<std::string> unknown;
  std::size_t mended = 0;
  const std::string err = encode_axis(std::string(s.substr(k)), &records, &unknown, &mended);
  if (mended > 0) log_message(hostmsg::set, hostmsg::text_not_utf8, st.keyword.c_str(), st.line);
  const std::string member = "AXI" + std::to_string(axis_number(st.keyword));
  if (!err.empty()) {
    log_message(hostmsg::set, hostmsg::axis_error, st.keyword.c_str(), st.line, err.c_str());
    // A plot statement naming it then says that it was refused, not that none was given.
    catalog_refuse(member);
    return false;
  }
  for (const std::string& c : unknown)
    log_message(hostmsg::set, hostmsg::axis_unknown_colour, st.keyword.c_str(), st.line, c.c_str());
  catalog_put(member, std::move(records));
  return true;
}

}  // namespace plat
