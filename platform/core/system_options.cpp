// System options: the few the host knows, their kinds, ranges and defaults.
#include <cctype>
#include <charconv>
#include <string>
#include <vector>

#include "core/runtime.h"
#include "host/kes_parallel.h"
#include "core/name_case.h"

namespace plat {
namespace {

enum class opt_kind { integer, yesno, text };

struct opt_def {
  const char* name;
  opt_kind kind;
  long lo, hi;           // range of an integer option
  const char* fallback;  // value when the run sets none
};

constexpr opt_def defs[] = {
    {"LINESIZE", opt_kind::integer, 64, 256, "132"},
    {"PAGESIZE", opt_kind::integer, 15, 32767, "60"},
    {"GSTYLE", opt_kind::yesno, 0, 0, "YES"},
    {"CENTER", opt_kind::yesno, 0, 0, "YES"},
    {"THREADS", opt_kind::integer, 0, 64, "0"},
    {"DEBUG", opt_kind::text, 0, 0, ""},
};

constexpr std::size_t max_text = 1024;

std::string trimmed_upper(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  return upper(s);
}

const opt_def* find(const std::string& name) {
  for (const opt_def& d : defs)
    if (name == d.name) return &d;
  return nullptr;
}

// 1 yes, 0 no, -1 neither.
int yes_no(const std::string& v) {
  if (v == "YES" || v == "Y" || v == "1" || v == "TRUE") return 1;
  if (v == "NO" || v == "N" || v == "0" || v == "FALSE") return 0;
  return -1;
}

}  // namespace

bool set_system_option(std::string_view name_in, std::string_view value, std::string* error) {
  std::string name = trimmed_upper(name_in);
  const opt_def* d = find(name);
  bool negated = false;
  if (!d && name.size() > 2 && name.compare(0, 2, "NO") == 0) {
    d = find(name.substr(2));
    negated = d && d->kind == opt_kind::yesno;
    if (!negated) d = nullptr;
  }
  if (!d) {
    *error = "unknown system option " + (name.empty() ? std::string("(empty name)") : name) +
             "; the options are LINESIZE=, PAGESIZE=, GSTYLE (or NOGSTYLE), CENTER (or NOCENTER), THREADS= and DEBUG=";
    return false;
  }
  std::string shown = std::string(d->name) + "=" + std::string(value);
  switch (d->kind) {
    case opt_kind::integer: {
      std::string v = trimmed_upper(value);
      long n = 0;
      auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
      if (v.empty() || ec != std::errc() || end != v.data() + v.size()) {
        *error = "system option " + shown + ": the value must be a whole number";
        return false;
      }
      if (n < d->lo || n > d->hi) {
        *error = "system option " + shown + ": the value must be from " + std::to_string(d->lo) +
                 " to " + std::to_string(d->hi);
        return false;
      }
      if (name == "LINESIZE") config().linesize = static_cast<int>(n);
      else if (name == "PAGESIZE") config().pagesize = static_cast<int>(n);
      config().sysopts[d->name] = std::to_string(n);
      return true;
    }
    case opt_kind::yesno: {
      std::string v = trimmed_upper(value);
      int b = v.empty() ? 1 : yes_no(v);
      if (negated && !v.empty()) {
        *error = "system option NO" + std::string(d->name) + " takes no value";
        return false;
      }
      if (b < 0) {
        *error = "system option " + shown + ": the value must be YES or NO";
        return false;
      }
      if (negated) b = 0;
      config().sysopts[d->name] = b ? "YES" : "NO";
      return true;
    }
    case opt_kind::text:
      if (value.size() > max_text) {
        *error = "system option " + std::string(d->name) + ": the value is longer than " +
                 std::to_string(max_text) + " characters";
        return false;
      }
      config().sysopts[d->name] = std::string(value);
      return true;
  }
  return false;
}

int system_option_bool(std::string_view name_in) {
  const opt_def* d = find(trimmed_upper(name_in));
  if (!d || d->kind != opt_kind::yesno) return -1;
  auto it = config().sysopts.find(d->name);
  int b = yes_no(it == config().sysopts.end() ? std::string(d->fallback) : upper(it->second));
  return b < 0 ? yes_no(d->fallback) : b;
}

const std::string* system_option_text(std::string_view name_in) {
  const opt_def* d = find(trimmed_upper(name_in));
  if (!d || d->kind == opt_kind::yesno) return nullptr;
  static const std::vector<std::string> fallbacks = [] {
    std::vector<std::string> v;
    for (const opt_def& o : defs) v.emplace_back(o.fallback);
    return v;
  }();
  auto it = config().sysopts.find(d->name);
  return it == config().sysopts.end() ? &fallbacks[static_cast<std::size_t>(d - defs)] : &it->second;
}

int run_threads() {
  const std::string* v = system_option_text("THREADS");
  int n = 0;
  if (v != nullptr) std::from_chars(v->data(), v->data() + v->size(), n);
  return kes::usable_threads(n);
}

}  // namespace plat
