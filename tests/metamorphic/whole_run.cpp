#include "metamorphic/whole_run.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace kes_meta {
namespace {

__int128 ten_to(int n) {
  __int128 p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

// Both numbers written with the smaller exponent; false where that passes 10^36.
bool aligned(decimal& a, decimal& b) {
  const int e = std::min(a.e, b.e);
  if (std::max(a.e, b.e) - e > 30) return false;
  a.m *= ten_to(a.e - e), a.e = e;
  b.m *= ten_to(b.e - e), b.e = e;
  return true;
}

decimal plus(decimal a, decimal b) {
  aligned(a, b);
  return {a.m + b.m, a.e};
}

long double approx(decimal d) { return static_cast<long double>(d.m) * std::pow(10.0L, d.e); }

// The number's text at [at, ...) of s: its length, or 0 where none starts there. A
// number starts a word (no letter, digit, '_' or '.' before it) and ends one.
std::size_t number_at(const std::string& s, std::size_t at) {
  if (at > 0) {
    const unsigned char p = static_cast<unsigned char>(s[at - 1]);
    if (std::isalnum(p) || p == '_' || p == '.') return 0;
  }
  std::size_t i = at;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '-' || s[j] == '+')) ++j;
    std::size_t exp_digits = 0;
    while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j, ++exp_digits;
    if (exp_digits > 0) i = j;
  }
  if (i < s.size()) {
    const unsigned char n = static_cast<unsigned char>(s[i]);
    if (std::isalnum(n) || n == '_') return 0;
  }
  return i - at;
}

struct pieces {
  std::vector<std::string> words;  // the text between numbers, blanks collapsed (one more than numbers)
  std::vector<std::string> numbers;
};

// Runs of blanks as one, and runs of dashes (a spanning header's, which widens with its
// columns) as two.
std::string collapsed(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '-' && out.size() >= 2 && out.back() == '-' && out[out.size() - 2] == '-') continue;
    const bool blank = c == ' ' || c == '\t';
    if (blank && (out.empty() || out.back() == ' ')) continue;
    out += blank ? ' ' : c;
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

pieces split(const std::string& s) {
  pieces p;
  std::string word;
  for (std::size_t i = 0; i < s.size();) {
    if (const std::size_t n = number_at(s, i)) {
      p.words.push_back(collapsed(word));
      p.numbers.push_back(s.substr(i, n));
      word.clear();
      i += n;
    } else {
      word += s[i++];
    }
  }
  p.words.push_back(collapsed(word));
  return p;
}

// Whether number text a1 of the form's run reads a0 (as read) moved or scaled, with at
// least the digits a0 shows: the value each shows is the true one rounded at its last
// digit, so the two differ by at most half a unit of each (the base's scaled).
std::optional<std::string> moved_number_fault(decimal a0, decimal a1, const data_form& f) {
  const decimal want = f.apply(a0);
  // The value itself (a tick, a round reference value) is read whatever its digits.
  {
    decimal x = want, y = a1;
    if (aligned(x, y) && x.m == y.m) return std::nullopt;
  }
  bool digits = true;
  if (f.two_power != 0)
    digits = significant_digits(a1) >= significant_digits(a0) || a1.m == 0;
  else
    digits = a1.e <= a0.e + f.ten_power;
  if (!digits) return "shows fewer digits than " + decimal_text(a0) + " as read";
  // 2 |a1 - want| <= 10^e1 + factor 10^e0, in exact decimals.
  decimal unit1{1, a1.e}, unit0 = f.apply(decimal{1, a0.e});
  if (f.moves()) unit0 = decimal{1, a0.e};
  decimal diff = plus(a1, decimal{-want.m, want.e});
  if (diff.m < 0) diff.m = -diff.m;
  diff.m *= 2;
  const decimal allowed = plus(unit1, unit0);
  decimal d = diff, a = allowed;
  const bool close = aligned(d, a) ? d.m <= a.m : std::fabs(approx(diff)) <= approx(allowed);
  if (!close) return "reads " + decimal_text(a1) + " for " + decimal_text(want);
  return std::nullopt;
}

double ulp(double v) {
  v = std::fabs(v);
  if (!std::isfinite(v)) return 0;
  return std::nextafter(v, INFINITY) - v;
}

}  // namespace

std::optional<decimal> read_decimal(const std::string& text) {
  if (text.empty() || number_at(text, 0) != text.size()) return std::nullopt;
  decimal d;
  std::size_t i = 0;
  bool negative = false;
  if (text[i] == '-' || text[i] == '+') negative = text[i++] == '-';
  int digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.') {
      point = true;
      continue;
    }
    if (c == 'E' || c == 'e') break;
    if (digits < 36) {
      d.m = d.m * 10 + (c - '0');
      if (point) --d.e;
      digits += d.m != 0 ? 1 : 0;
    } else if (!point) {
      ++d.e;
    }
  }
  if (i < text.size()) d.e += std::atoi(text.c_str() + i + 1);
  if (negative) d.m = -d.m;
  return d;
}

std::string decimal_text(decimal d) {
  const bool negative = d.m < 0;
  __int128 m = negative ? -d.m : d.m;
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(m % 10)));
    m /= 10;
  } while (m != 0);
  if (d.e > 0 && d.e < 40) digits.append(static_cast<std::size_t>(d.e), '0');
  else if (d.e < 0) {
    const std::size_t after = static_cast<std::size_t>(-d.e);
    if (digits.size() <= after) digits.insert(0, after - digits.size() + 1, '0');
    digits.insert(digits.size() - after, ".");
  }
  if (d.e >= 40) digits += "E" + std::to_string(d.e);
  return (negative ? "-" : "") + digits;
}

int significant_digits(decimal d) {
  __int128 m = d.m < 0 ? -d.m : d.m;
  int n = 1;
  while (m >= 10) m /= 10, ++n;
  return n;
}

decimal data_form::apply(decimal d) const {
  if (shift != 0) return plus(d, decimal{shift, 0});
  d.e += ten_power;
  d.m *= static_cast<__int128>(1) << two_power;
  return d;
}

double data_form::factor() const { return shift != 0 ? 1 : std::ldexp(std::pow(10.0, ten_power), two_power); }

double data_form::apply(double v) const {
  return shift != 0 ? v + static_cast<double>(shift) : ten_power < 0 ? v / std::pow(10.0, -ten_power) : v * factor();
}

bool data_form::keeps_grids(double range) const {
  if (two_power != 0) return false;
  if (shift == 0) return true;
  // Steps of {1, 2, 5} 10^p for a range of up to 10^p: c a multiple of ten times that.
  long long step = 10;
  for (double r = 1; r < range; r *= 10) step *= 10;
  return step > 0 && shift % step == 0;
}

const std::vector<data_form>& data_forms() {
  static const std::vector<data_form> forms = {
      {"as read", 0, 0, 0},
      {"values plus 1.7e9", 1700000000, 0, 0},
      {"values plus 1e6", 1000000, 0, 0},
      {"values times 1e-6", 0, -6, 0},
      {"values times 1e6", 0, 6, 0},
      {"values times 2^20", 0, 0, 20},
  };
  return forms;
}

std::optional<std::string> number_fault(double v0, double v1, const data_form& f, const run_scale& s) {
  if (std::isnan(v0) || std::isnan(v1) || std::isinf(v0) || std::isinf(v1)) {
    if ((std::isnan(v0) && std::isnan(v1)) || v0 == v1) return std::nullopt;
    char b[120];
    std::snprintf(b, sizeof b, "%.17g where as read %.17g", v1, v0);
    return std::string(b);
  }
  // The rounding a value of the data carries at each form, in the form's unit: half an
  // ulp of the largest magnitude each. A number formed from the data carries it through
  // its sums: a place (a mean, a quantile, a curve's x) within a few of those units; a
  // number without unit (a height, a shape, a p-value) through the standardized
  // values, which carry the data's rounding over their range.
  constexpr double kSteps = 64;  // sums of up to some hundred terms, and the step's own roundings
  const double factor = f.factor();
  const double noise = ulp(s.form_magnitude) + factor * ulp(s.base_magnitude);
  const double range = std::max(s.base_range, ulp(s.base_magnitude)) * factor;
  const double t = f.apply(v0);
  if (std::fabs(v1 - t) <= kSteps * noise + ulp(t)) return std::nullopt;
  const double unitless = kSteps * noise / range;
  if (std::fabs(v1 - v0) <= unitless * std::max(1.0, std::fabs(v0)) + ulp(v0)) return std::nullopt;
  // A logarithm of a scale (a lognormal's zeta) moves by log k.
  if (!f.moves() && std::fabs(v1 - (v0 + std::log(factor))) <= unitless * std::max(1.0, std::fabs(v1)) + ulp(v1))
    return std::nullopt;
  // A number of the data's unit that does not move (a spread) under a scaling is the
  // scaled one; under a shift it stays and is judged as a number without unit.
  char b[180];
  std::snprintf(b, sizeof b, "%.17g where as read %.17g (%s %.17g)%s", v1, v0, f.moves() ? "moved" : "scaled", t,
                v1 == 0 && v0 != 0 ? "; vanished" : "");
  return std::string(b);
}

std::optional<std::string> text_fault(const std::string& t0, const std::string& t1, const data_form& f,
                                      const run_scale* s) {
  const pieces p0 = split(t0), p1 = split(t1);
  const auto whole = [&](const std::string& what) { return what + ": \"" + t1 + "\" where as read \"" + t0 + "\""; };
  if (p0.words != p1.words) return whole("other words");
  for (std::size_t i = 0; i < p0.numbers.size(); ++i) {
    const decimal a0 = *read_decimal(p0.numbers[i]), a1 = *read_decimal(p1.numbers[i]);
    if (s != nullptr && significant_digits(a0) >= 15) {
      const double v0 = std::strtod(p0.numbers[i].c_str(), nullptr), v1 = std::strtod(p1.numbers[i].c_str(), nullptr);
      if (const auto fault = number_fault(v0, v1, f, *s)) return whole("\"" + p1.numbers[i] + "\" " + *fault);
      continue;
    }
    // The same number (a count, a percent, a shape): equal, or one unit of its last
    // digit apart where the value lies on a rounding boundary.
    decimal x = a0, y = a1;
    if (aligned(x, y) && (x.m == y.m || (a0.e == a1.e && (x.m - y.m == 1 || y.m - x.m == 1)))) continue;
    if (!moved_number_fault(a0, a1, data_forms().front())) continue;
    // A logarithm of a scale (a lognormal's zeta) moves by log k.
    if (!f.moves() && f.factor() != 1 && a1.e <= a0.e &&
        std::fabs(approx(a1) - approx(a0) - std::log(static_cast<long double>(f.factor()))) <=
            (std::pow(10.0L, a1.e) + std::pow(10.0L, a0.e)) / 2)
      continue;
    if (const auto fault = moved_number_fault(a0, a1, f))
      return whole("\"" + p1.numbers[i] + "\" " + *fault);
  }
  return std::nullopt;
}

namespace {

std::string first_column_in_form(const std::string& csv, const data_form* f) {
  std::istringstream in(csv);
  std::string line, out;
  bool head = true;
  while (std::getline(in, line)) {
    if (head) {
      out += line + "\n";
      head = false;
      continue;
    }
    const std::size_t comma = line.find(',');
    const std::string cell = line.substr(0, comma), rest = comma == std::string::npos ? "" : line.substr(comma);
    const std::optional<decimal> d = read_decimal(cell);
    if (!d) {
      out += line + "\n";
      continue;
    }
    decimal v = *d;
    // At most three decimals, rounded half away from zero.
    if (v.e < -3) {
      const __int128 unit = ten_to(-3 - v.e), half = unit / 2;
      v.m = (v.m < 0 ? -((-v.m + half) / unit) : (v.m + half) / unit);
      v.e = -3;
    }
    if (f != nullptr) v = f->apply(v);
    out += decimal_text(v) + rest + "\n";
  }
  return out;
}

}  // namespace

std::string data_to_three_decimals(const std::string& csv) { return first_column_in_form(csv, nullptr); }

std::string data_in_form(const std::string& csv, const data_form& f) { return first_column_in_form(csv, &f); }

namespace {

// The lognormal curves of the program with their threshold given and moved with the
// values: a threshold of 0 (given, or the default) becomes c.
std::string thresholds_moved(const std::string& program, const data_form& f) {
  const std::string c = std::to_string(f.shift);
  std::string out;
  std::size_t from = 0;
  for (std::size_t at = program.find("lognormal"); at != std::string::npos; at = program.find("lognormal", at + 1)) {
    const std::size_t after = at + 9;
    out += program.substr(from, after - from);
    from = after;
    if (after < program.size() && program[after] == '(') {
      const std::size_t close = program.find(')', after), theta = program.find("theta=0", after);
      if (f.moves() && theta != std::string::npos && theta < close && number_at(program, theta + 6) == 1) {
        out += program.substr(after, theta + 6 - after) + c;
        from = theta + 7;
      }
    } else {
      out += "(theta=" + c + ")";
    }
  }
  return out + program.substr(from);
}

}  // namespace

namespace {

// The numbers of program from i on (blanks between them), each rounded to three
// decimals and in the form, added to out: where they end.
std::size_t values_in_form(const std::string& program, std::size_t i, const data_form& f, std::string& out) {
  for (;;) {
    std::size_t j = i;
    while (j < program.size() && program[j] == ' ') ++j;
    const std::size_t n = j < program.size() ? number_at(program, j) : 0;
    if (n == 0) return i;
    const std::string cell = data_in_form("x\n" + program.substr(j, n) + "\n", f);
    out += program.substr(i, j - i) + cell.substr(2, cell.size() - 3);
    i = j + n;
  }
}

}  // namespace

std::string program_in_form(const std::string& given, const data_form& f) {
  const std::string program = thresholds_moved(given, f);
  std::string out;
  std::size_t from = 0;
  for (std::size_t at = 0;; ++at) {
    const std::size_t h = program.find("href=", at), v = program.find("vref=", at);
    at = std::min(h, v);
    if (at == std::string::npos) break;
    // The plot statement the option belongs to: the last one begun before it.
    std::string statement;
    std::size_t begun = 0;
    for (const char* name : {"histogram", "cdfplot", "qqplot", "probplot", "ppplot"}) {
      const std::size_t s = program.rfind(name, at);
      if (s != std::string::npos && s >= begun) begun = s, statement = name;
    }
    const bool on_values = at == h ? (statement == "histogram" || statement == "cdfplot") : statement == "qqplot";
    if (!on_values) continue;
    std::size_t i = at + 5;
    out += program.substr(from, i - from);
    from = i = values_in_form(program, i, f, out);
    at = i - 1;
  }
  out += program.substr(from);
  // MIDPOINTS=A TO B BY W: A and B are values, W a width (scaled, not moved).
  std::string with_bins;
  from = 0;
  for (std::size_t at = out.find("midpoints="); at != std::string::npos; at = out.find("midpoints=", at + 1)) {
    if (at > 0 && out[at - 1] == 'n') continue;  // NMIDPOINTS=
    std::size_t i = at + 10;
    with_bins += out.substr(from, i - from);
    i = values_in_form(out, i, f, with_bins);
    if (out.compare(i, 4, " to ") == 0) {
      with_bins += " to ";
      i = values_in_form(out, i + 4, f, with_bins);
    }
    const std::size_t by = out.find(" by ", i);
    if (by == std::string::npos) {
      from = i;
      continue;
    }
    with_bins += out.substr(i, by + 4 - i);
    data_form width = f;
    width.shift = 0;
    from = values_in_form(out, by + 4, width, with_bins);
  }
  return with_bins + out.substr(from);
}

std::string with_threshold_fits(const std::string& program) {
  std::string out = program;
  const std::string fits = "\n    gamma(theta=est) weibull(theta=est)";
  for (std::size_t at = out.find("histogram x /"); at != std::string::npos; at = out.find("histogram x /", at + 1))
    out.insert(at + 13, fits);
  return out;
}

std::string with_midpoints(const std::string& program, const std::vector<std::string>& lists) {
  std::string out;
  std::size_t from = 0, k = 0;
  for (std::size_t at = program.find("histogram"); at != std::string::npos && k < lists.size();
       at = program.find("histogram", at + 1), ++k) {
    const std::size_t end = program.find(';', at);
    if (end == std::string::npos) break;
    std::string statement = program.substr(at, end - at);
    const std::size_t n = statement.find("nmidpoints=");
    if (n != std::string::npos) {
      std::size_t e = n + 11;
      while (e < statement.size() && std::isdigit(static_cast<unsigned char>(statement[e]))) ++e;
      statement.erase(n, e - n);
    }
    if (statement.find('/') == std::string::npos) statement += " /";
    out += program.substr(from, at - from) + statement + " midpoints=" + lists[k];
    from = end;
  }
  return out + program.substr(from);
}

std::vector<std::string> midpoint_lists(const std::vector<std::vector<double>>& bins) {
  std::vector<std::string> lists;
  char b[120];
  for (const std::vector<double>& mids : bins) {
    if (mids.size() < 2) return {};
    // The step as the shortest decimal the midpoints' doubles tell from others: at 1e9
    // a step of 0.01 reads 0.00999999046 from their difference.
    const double span = mids.back() - mids.front(), n = static_cast<double>(mids.size() - 1), step = span / n;
    const double slack = 4 * (ulp(mids.front()) + ulp(mids.back()));
    char text[40];
    for (int digits = 1; digits <= 17; ++digits) {
      std::snprintf(text, sizeof text, "%.*g", digits, step);
      if (std::fabs(std::strtod(text, nullptr) * n - span) <= slack) break;
    }
    std::snprintf(b, sizeof b, "%.15g to %.15g by %s", mids.front(), mids.back(), text);
    lists.push_back(b);
  }
  return lists;
}

void json_faults(const kes_test::json& a, const kes_test::json& b, const std::string& path, const data_form& f,
                 const run_scale& s, std::vector<std::string>& out) {
  using kes_test::json;
  if (a.kind != b.kind && !(a.kind == json::num_v && b.kind == json::obj_v && b.has("missing")) &&
      !(b.kind == json::num_v && a.kind == json::obj_v && a.has("missing"))) {
    out.push_back(path + ": another kind of value");
    return;
  }
  switch (a.kind) {
    case json::num_v:
      if (const auto fault = number_fault(a.cell(), b.cell(), f, s)) out.push_back(path + ": " + *fault);
      return;
    case json::str_v:
      if (const auto fault = text_fault(a.str, b.str, f, &s)) out.push_back(path + ": " + *fault);
      return;
    case json::arr_v:
      if (a.arr.size() != b.arr.size()) {
        out.push_back(path + ": " + std::to_string(b.arr.size()) + " entries where as read " +
                      std::to_string(a.arr.size()));
        return;
      }
      for (std::size_t i = 0; i < a.arr.size(); ++i) {
        const std::string name = a.arr[i]["name"].str;
        json_faults(a.arr[i], b.arr[i], path + "[" + (name.empty() ? std::to_string(i) : name) + "]", f, s, out);
      }
      return;
    case json::obj_v:
      if (a.has("missing") || b.has("missing")) {
        if (const auto fault = number_fault(a.cell(), b.cell(), f, s)) out.push_back(path + ": " + *fault);
        return;
      }
      for (const auto& [k, v] : a.obj) {
        // A column's format follows its values (a widened column); the listing's texts
        // are judged instead.
        if (k == "format") continue;
        if (!b.has(k)) {
          out.push_back(path + "." + k + ": absent");
          continue;
        }
        json_faults(v, b[k], path + "." + k, f, s, out);
      }
      for (const auto& [k, v] : b.obj)
        if (!a.has(k)) out.push_back(path + "." + k + ": not there as read");
      return;
    default:
      if (a.kind == json::bool_v && a.b != b.b) out.push_back(path + ": another truth value");
  }
}

}  // namespace kes_meta
