// The SVG reader of the golden comparisons.
#include "support/svg_reader.h"

#include "support/golden_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace kes_test {
namespace {

// Every number in a text rounded to two decimals ("12.345" -> "12.35", "-0.001" ->
// "0"); the rest kept, colours such as "#009E73" whole.
std::string numbers_rounded(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    if (s[i] == '#') {
      do out += s[i++];
      while (i < s.size() && std::isxdigit(static_cast<unsigned char>(s[i])));
      continue;
    }
    const bool sign = s[i] == '-' && i + 1 < s.size() && (std::isdigit(static_cast<unsigned char>(s[i + 1])) || s[i + 1] == '.');
    const bool prev_word = i > 0 && (std::isalpha(static_cast<unsigned char>(s[i - 1])) || s[i - 1] == '_');
    if (!prev_word && (sign || std::isdigit(static_cast<unsigned char>(s[i])))) {
      std::size_t j = i + (sign ? 1 : 0);
      while (j < s.size() && (std::isdigit(static_cast<unsigned char>(s[j])) || s[j] == '.')) ++j;
      const std::string num(s.substr(i, j - i));
      double v = std::strtod(num.c_str(), nullptr);
      v = std::round(v * 100) / 100;
      if (v == 0) v = 0;
      char buf[48];
      std::snprintf(buf, sizeof buf, "%.2f", v);
      std::string t = buf;
      while (t.back() == '0') t.pop_back();
      if (t.back() == '.') t.pop_back();
      out += t;
      i = j;
    } else {
      out += s[i++];
    }
  }
  return out;
}

struct parser {
  std::string_view s;
  std::size_t i = 0;
  std::string out, error;
  int depth = 0;

  bool fail(const std::string& why) {
    if (error.empty()) error = why + " at byte " + std::to_string(i);
    return false;
  }
  void skip_space() {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  }
  bool skip_past(std::string_view end) {
    const std::size_t k = s.find(end, i);
    if (k == std::string_view::npos) return fail("unclosed construct");
    i = k + end.size();
    return true;
  }
  std::string name() {
    const std::size_t b = i;
    while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == ':' || s[i] == '-' || s[i] == '_'))
      ++i;
    return std::string(s.substr(b, i - b));
  }
  bool element() {
    ++i;  // '<'
    const std::string tag = name();
    if (tag.empty()) return fail("element without a name");
    std::vector<std::pair<std::string, std::string>> attrs;
    for (;;) {
      skip_space();
      if (i >= s.size()) return fail("unclosed tag <" + tag);
      if (s[i] == '/' || s[i] == '>') break;
      std::string an = name();
      if (an.empty()) return fail("bad attribute in <" + tag);
      skip_space();
      if (i >= s.size() || s[i] != '=') return fail("attribute " + an + " without a value");
      ++i;
      skip_space();
      if (i >= s.size() || (s[i] != '"' && s[i] != '\'')) return fail("unquoted attribute " + an);
      const char q = s[i++];
      const std::size_t e = s.find(q, i);
      if (e == std::string_view::npos) return fail("unclosed attribute " + an);
      attrs.emplace_back(an, numbers_rounded(s.substr(i, e - i)));
      i = e + 1;
    }
    std::sort(attrs.begin(), attrs.end());
    std::string line(static_cast<std::size_t>(2 * depth), ' ');
    line += tag;
    for (const auto& [n, v] : attrs) line += " " + n + "=\"" + v + "\"";
    if (s[i] == '/') {
      if (i + 1 >= s.size() || s[i + 1] != '>') return fail("bad end of <" + tag);
      i += 2;
      out += line + "\n";
      return true;
    }
    ++i;  // '>'
    // Content: text and child elements.
    std::string text;
    std::string children;
    std::swap(children, out);
    ++depth;
    for (;;) {
      if (i >= s.size()) return fail("element <" + tag + "> not closed");
      if (s.compare(i, 2, "</") == 0) {
        i += 2;
        if (name() != tag) return fail("mismatched end of <" + tag + ">");
        skip_space();
        if (i >= s.size() || s[i] != '>') return fail("bad end tag of <" + tag + ">");
        ++i;
        break;
      }
      if (s.compare(i, 4, "<!--") == 0) {
        if (!skip_past("-->")) return false;
      } else if (s[i] == '<') {
        if (!element()) return false;
      } else {
        text += s[i++];
      }
    }
    --depth;
    std::swap(children, out);
    // Text trimmed, runs of blanks made one.
    std::string t;
    for (char c : text) {
      const bool sp = std::isspace(static_cast<unsigned char>(c));
      if (sp && (t.empty() || t.back() == ' ')) continue;
      t += sp ? ' ' : c;
    }
    while (!t.empty() && t.back() == ' ') t.pop_back();
    if (!t.empty()) line += " | " + numbers_rounded(t);
    out += line + "\n" + children;
    return true;
  }
  bool document() {
    for (;;) {
      skip_space();
      if (i >= s.size()) break;
      if (s.compare(i, 2, "<?") == 0) {
        if (!skip_past("?>")) return false;
      } else if (s.compare(i, 4, "<!--") == 0) {
        if (!skip_past("-->")) return false;
      } else if (s.compare(i, 2, "<!") == 0) {
        if (!skip_past(">")) return false;
      } else if (s[i] == '<') {
        if (!element()) return false;
      } else {
        return fail("text outside the root element");
      }
    }
    if (out.empty()) return fail("no root element");
    return true;
  }
};

}  // namespace

std::string svg_reduce(std::string_view document) {
  parser p;
  p.s = document;
  if (!p.document()) return "unreadable SVG: " + p.error;
  return p.out;
}

::testing::AssertionResult svg_matches_golden(const std::string& document, const std::filesystem::path& golden) {
  return text_matches_golden(document, golden, [](const std::string& d) { return svg_reduce(d); });
}

namespace {
std::string decoded(std::string_view s) {
  static const std::pair<const char*, const char*> kEntities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    bool done = false;
    for (const auto& [e, c] : kEntities)
      if (s.compare(i, std::char_traits<char>::length(e), e) == 0) {
        out += c;
        i += std::char_traits<char>::length(e);
        done = true;
        break;
      }
    if (!done) out += s[i++];
  }
  return out;
}
}  // namespace

double svg_element::num(const std::string& attr) const {
  const auto it = attrs.find(attr);
  return it == attrs.end() ? NAN : std::strtod(it->second.c_str(), nullptr);
}

std::string svg_element::get(const std::string& attr) const {
  const auto it = attrs.find(attr);
  return it == attrs.end() ? std::string() : it->second;
}

std::vector<svg_element> svg_elements(std::string_view s) {
  std::vector<svg_element> out;
  std::vector<std::size_t> open;  // elements whose text is still being read
  for (std::size_t i = 0; i < s.size();) {
    if (s[i] != '<') {
      const std::size_t e = std::min(s.find('<', i), s.size());
      if (!open.empty()) out[open.back()].text += decoded(s.substr(i, e - i));
      i = e;
      continue;
    }
    const std::size_t e = s.find('>', i);
    if (e == std::string_view::npos) break;
    const std::string_view tag = s.substr(i + 1, e - i - 1);
    i = e + 1;
    if (tag.empty() || tag[0] == '?' || tag[0] == '!') continue;
    if (tag[0] == '/') {
      if (!open.empty()) open.pop_back();
      continue;
    }
    svg_element el;
    el.parent = open.empty() ? -1 : static_cast<long>(open.back());
    std::size_t k = 0;
    while (k < tag.size() && !std::isspace(static_cast<unsigned char>(tag[k])) && tag[k] != '/') el.name += tag[k++];
    while (k < tag.size()) {
      while (k < tag.size() && (std::isspace(static_cast<unsigned char>(tag[k])) || tag[k] == '/')) ++k;
      const std::size_t eq = tag.find('=', k);
      if (eq == std::string_view::npos || eq + 1 >= tag.size()) break;
      const char q = tag[eq + 1];
      const std::size_t end = tag.find(q, eq + 2);
      if (end == std::string_view::npos) break;
      el.attrs[std::string(tag.substr(k, eq - k))] = decoded(tag.substr(eq + 2, end - eq - 2));
      k = end + 1;
    }
    out.push_back(std::move(el));
    if (tag.back() != '/') open.push_back(out.size() - 1);
  }
  return out;
}

std::vector<double> svg_numbers(const std::string& text) {
  std::vector<double> out;
  for (const char* c = text.c_str(); *c != 0;) {
    char* end = nullptr;
    const double d = std::strtod(c, &end);
    if (end == c) {
      ++c;
      continue;
    }
    out.push_back(d);
    c = end;
  }
  return out;
}

double svg_farthest(const std::vector<svg_element>& els) {
  static const char* const kPlaces[] = {"x", "y", "x1", "y1", "x2", "y2", "cx", "cy", "width", "height", "points"};
  double far = 0;
  for (const svg_element& e : els)
    for (const char* name : kPlaces)
      for (double d : svg_numbers(e.get(name))) far = std::max(far, std::fabs(d));
  return far;
}

}  // namespace kes_test
