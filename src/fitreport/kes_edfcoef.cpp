// The coefficient tables of the shape-dependent EDF tests (kes_edfcoef.h).
#include "fitreport/kes_edfcoef.h"

#include <cctype>
#include <cmath>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {
constexpr int kSets = 8;  // 1..7 and the second set of 6
constexpr const char* kStatNames[3] = {"dcoef", "w2coef", "a2coef"};

// Terms of a form: rows before '|', scalars after. Each term is the product of its
// factors: a 1/shape, b 1/shape^2, c 1/shape^3, s shape, q shape^2, k shape^3, h
// sqrt(shape), H 1/sqrt(shape), g ln(1 + shape), r 1/sqrt(n), n 1/n, m 1/n^2, t 1/n^3,
// L 1/ln(n), 1 one.
struct form {
  const char* terms;
  int size;
};
// [family][set index][statistic]; null terms: no such table.
const form kForms[3][kSets][3] = {
    {
        {{"1 a b r n | na nb", 57}, {"1 a n m | na", 45}, {"1 a n m |", 44}},
        {{"1 a r n | na", 45}, {"1 a n m |", 44}, {"1 a n m | na", 45}},
        {{"1 a r n | na", 45}, {"1 a n m | na", 45}, {"1 a n m | na", 45}},
        {{"1 a b c r n | ra rb rc", 69}, {"1 a b n | ra rb rc", 47}, {"1 a b r n | ra", 56}},
        {{"1 a r n | ra na", 46}, {"1 a L r | La ra LH", 47}, {"1 a r n | ra na rb nb", 48}},
        {{"1 a b r n | ra rc na", 58}, {"1 a r n | ra na rc", 47}, {"1 a n | ra nb", 35}},
        {{"1 a r n m | ra ta nb", 58}, {"1 a n m t | rc nc mc", 58}, {"1 a n m t | ra rc na nb mc", 60}},
        {},
    },
    {
        {},
        {},
        {},
        {{"1 a b c q r | ra rb rc na", 70}, {"1 s h a c q n | rc qn", 79}, {"1 s g h q n | qn kn sn", 69}},
        {{"1 q k n | qn kn", 58}, {"1 s h q n | qn hn", 57}, {"1 s h q n | qn kn sn", 58}},
        {{"1 s q k n m | qn kn", 68}, {"1 s q k n | kn", 56}, {"1 s q k m | kn", 56}},
        {{"1 q k n m | Ls kn", 57}, {"1 q k n | Lq kn", 46}, {"1 q k n | Lq kn", 46}},
        {{"1 s q k n | sn", 56}, {"1 s q k n | sr qr kr", 58}, {"1 s q k n | sr qr kr", 58}},
    },
    {
        {},
        {},
        {},
        {{"1 a b c n m | nb mb", 68}, {"1 a b c m | na nb nc mc", 59}, {"1 a c n | nb mb", 46}},
        {{"1 a n m | na", 45}, {"1 b c n | na nb nc ma", 48}, {"1 b c n | nb ma", 46}},
        {{"1 a b c n m | na nb mb", 69}, {"1 b c n | nb nc mc", 47}, {"1 c n | nb nc mc", 36}},
        {{"1 b n m | ma", 45}, {"1 b m | na", 47}, {"1 b n m | na", 45}},
        {},
    },
};

struct family_tables {
  bool looked = false;
  std::vector<double> t[kSets][3];
  bool noted[kSets] = {};
};
family_tables g_tables[3];

int set_index(int set) { return set == 61 ? 7 : set >= 1 && set <= 7 ? set - 1 : -1; }

double factor(char f, double shape, double n) {
  switch (f) {
    case 'a': return 1.0 / shape;
    case 'b': return 1.0 / (shape * shape);
    case 'c': return 1.0 / (shape * shape * shape);
    case 's': return shape;
    case 'q': return shape * shape;
    case 'k': return shape * shape * shape;
    case 'h': return std::sqrt(shape);
    case 'H': return 1.0 / std::sqrt(shape);
    case 'g': return std::log1p(shape);
    case 'r': return 1.0 / std::sqrt(n);
    case 'n': return 1.0 / n;
    case 'm': return 1.0 / (n * n);
    case 't': return 1.0 / (n * n * n);
    case 'L': return 1.0 / std::log(n);
    default: return 1.0;
  }
}

// The terms' values, rows first; *nrows gets the number of rows.
std::vector<double> terms(const char* f, double shape, double n, int* nrows) {
  std::vector<double> v;
  *nrows = -1;
  double p = 1.0;
  bool open = false;
  for (const char* c = f;; ++c) {
    if (*c == ' ' || *c == '\0' || *c == '|') {
      if (open) v.push_back(p);
      open = false;
      p = 1.0;
      if (*c == '|') *nrows = static_cast<int>(v.size());
      if (*c == '\0') break;
      continue;
    }
    open = true;
    p *= factor(*c, shape, n);
  }
  if (*nrows < 0) *nrows = static_cast<int>(v.size());
  return v;
}

int used_count(const form& f) {
  int r;
  const std::vector<double> v = terms(f.terms, 1.0, 2.0, &r);
  return r * 11 + static_cast<int>(v.size()) - r;
}

// The table a name stands for: set index and statistic, or false.
bool parse_name(const std::string& name, int* set, int* stat) {
  for (int s = 0; s < 3; ++s) {
    const size_t l = std::strlen(kStatNames[s]);
    if (name.compare(0, l, kStatNames[s]) != 0) continue;
    const std::string num = name.substr(l);
    const int k = num == "61" ? 61 : num.size() == 1 && num[0] >= '1' && num[0] <= '7' ? num[0] - '0' : -1;
    if (set_index(k) < 0) return false;
    *set = set_index(k);
    *stat = s;
    return true;
  }
  return false;
}
}  // namespace

int kes_edf_coef_read(int family, const char* text, const char** bad) {
  static std::string fault;
  auto fail = [&](const std::string& why) {
    fault = why;
    if (bad != nullptr) *bad = fault.c_str();
    return 1;
  };
  if (family < 0 || family > 2) return fail("family");
  std::vector<double> read[kSets][3];
  bool seen[kSets][3] = {};
  std::string tok;
  int set = -1, stat = 0;
  const size_t len = std::strlen(text);
  size_t i = 0;
  while (i < len) {
    const char ch = text[i];
    if (ch == '#') {
      while (i < len && text[i] != '\n') ++i;
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(ch))) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < len && !std::isspace(static_cast<unsigned char>(text[j])) && text[j] != '#') ++j;
    tok.assign(text + i, j - i);
    i = j;
    char* end = nullptr;
    const double v = std::strtod(tok.c_str(), &end);
    if (end != nullptr && *end == '\0' && !tok.empty()) {
      if (set < 0) return fail(tok);
      read[set][stat].push_back(v);
      continue;
    }
    if (!parse_name(tok, &set, &stat) || kForms[family][set][stat].terms == nullptr || seen[set][stat])
      return fail(tok);
    seen[set][stat] = true;
  }
  for (int s = 0; s < kSets; ++s)
    for (int t = 0; t < 3; ++t) {
      if (!seen[s][t]) continue;
      const form& f = kForms[family][s][t];
      if (static_cast<int>(read[s][t].size()) != f.size || used_count(f) > f.size)
        return fail(std::string(kStatNames[t]) + (s == 7 ? "61" : std::to_string(s + 1)));
    }
  family_tables& ft = g_tables[family];
  ft.looked = true;
  for (int s = 0; s < kSets; ++s)
    for (int t = 0; t < 3; ++t)
      if (seen[s][t]) ft.t[s][t] = std::move(read[s][t]);
  return 0;
}

void kes_edf_coef_clear() {
  for (family_tables& f : g_tables) f = family_tables{};
}

bool kes_edf_coef_crit(int family, int set, int stat, double shape, double n, double* crit) {
  const int s = set_index(set);
  if (family < 0 || family > 2 || s < 0 || stat < 0 || stat > 2) return false;
  family_tables& ft = g_tables[family];
  if (!ft.looked) {
    ft.looked = true;
    kes_edf_coef_read(family, kes_edf_coef_builtin(family), nullptr);
  }
  const std::vector<double>& tab = ft.t[s][stat];
  const form& f = kForms[family][s][stat];
  if (tab.empty() || f.terms == nullptr) return false;
  double v[16];
  int nrows, size;
  const int nv = kes_edf_coef_terms(family, set, stat, shape, n, v, &nrows, &size);
  for (int j = 0; j < 11; ++j) {
    double e = 0.0;
    for (int r = 0; r < nrows; ++r) e += tab[r * 11 + j] * v[r];
    for (int k = nrows; k < nv; ++k) e += tab[nrows * 11 + (k - nrows)] * v[k];
    crit[j] = std::exp(e);
  }
  return true;
}

bool kes_edf_coef_first_miss(int family, int set) {
  const int s = set_index(set);
  if (family < 0 || family > 2 || s < 0 || g_tables[family].noted[s]) return false;
  g_tables[family].noted[s] = true;
  return true;
}

int kes_edf_coef_terms(int family, int set, int stat, double shape, double n, double* v, int* nrows, int* size) {
  const int s = set_index(set);
  if (family < 0 || family > 2 || s < 0 || stat < 0 || stat > 2) return 0;
  const form& f = kForms[family][s][stat];
  if (f.terms == nullptr) return 0;
  const std::vector<double> t = terms(f.terms, shape, n, nrows);
  std::copy(t.begin(), t.end(), v);
  *size = f.size;
  return static_cast<int>(t.size());
}
