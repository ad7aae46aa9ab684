#include "accuracy_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <sstream>

namespace {

std::vector<std::string> split_fields(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string f; in >> f;) out.push_back(f);
  return out;
}

std::string format_number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

std::string format_args(const std::vector<double>& v) {
  std::string s = "(";
  for (std::size_t i = 0; i < v.size(); ++i) s += (i ? ", " : "") + format_number(v[i]);
  return s + ")";
}

}  // namespace

double RefRow::operator[](std::string_view name) const {
  const std::optional<std::size_t> c = table_->column(name);
  if (!c) {
    ADD_FAILURE() << table_->path() << ": no column " << name;
    return std::numeric_limits<double>::quiet_NaN();
  }
  return table_->value(index_, *c);
}

std::string RefRow::describe() const {
  std::string s = table_->path() + " line " + std::to_string(table_->line(index_)) + ":";
  for (std::size_t c = 0; c < table_->columns().size(); ++c)
    s += " " + table_->columns()[c] + "=" + format_number(table_->value(index_, c));
  return s;
}

std::optional<std::size_t> RefTable::column(std::string_view name) const {
  for (std::size_t c = 0; c < columns_.size(); ++c)
    if (columns_[c] == name) return c;
  return std::nullopt;
}

RefTable RefTable::load(const std::string& path) {
  RefTable t;
  t.path_ = path;
  std::ifstream in(path);
  if (!in) {
    ADD_FAILURE() << "cannot open reference table " << path;
    return t;
  }
  bool stamped = false;
  int lineno = 0;
  for (std::string line; std::getline(in, line);) {
    ++lineno;
    if (line.rfind("# DO NOT EDIT", 0) == 0) stamped = true;
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields = split_fields(line);
    if (fields.empty()) continue;
    if (t.columns_.empty()) {
      t.columns_ = std::move(fields);
      continue;
    }
    if (fields.size() != t.columns_.size()) {
      ADD_FAILURE() << path << " line " << lineno << ": " << fields.size() << " fields, header has "
                    << t.columns_.size();
      return RefTable{};
    }
    std::vector<double> row;
    for (const std::string& f : fields) {
      char* end = nullptr;
      const double v = std::strtod(f.c_str(), &end);
      if (end == f.c_str() || *end != '\0') {
        ADD_FAILURE() << path << " line " << lineno << ": not a number: " << f;
        return RefTable{};
      }
      row.push_back(v);
    }
    t.rows_.push_back(std::move(row));
    t.lines_.push_back(lineno);
  }
  if (!stamped) ADD_FAILURE() << path << ": no '# DO NOT EDIT' line naming the generating script";
  if (t.rows_.empty()) ADD_FAILURE() << path << ": no rows";
  return t;
}

const RefTable& ref_table(const std::string& name) {
  static std::map<std::string, std::unique_ptr<RefTable>> cache;
  std::unique_ptr<RefTable>& slot = cache[name];
  if (!slot) slot = std::make_unique<RefTable>(RefTable::load(KES_SOURCE_DIR "/tests/numeric/ref/" + name));
  return *slot;
}

double error_of(const Cmp& c) {
  if (c.got == c.want) return 0.0;
  if (std::isnan(c.got) && std::isnan(c.want)) return 0.0;
  if (std::isnan(c.got) || std::isnan(c.want)) return std::numeric_limits<double>::infinity();
  const double diff = std::fabs(c.got - c.want);
  if (c.kind == Err::absolute) return diff / c.scale;
  if (c.want == 0.0) return diff;
  return diff / std::fabs(c.want);
}

namespace {
// Error over tolerance (0 for an exact value, also when the tolerance is 0).
double over(const Cmp& c) {
  const double e = error_of(c);
  return e == 0.0 ? 0.0 : e / c.tol;
}
}  // namespace

Cmp evaluated_of(const Cmp& a, const Cmp& b) { return over(b) < over(a) ? b : a; }

Cmp worst_of(const std::vector<Cmp>& cmps) {
  Cmp worst = cmps.front();
  for (const Cmp& c : cmps)
    if (over(c) > over(worst)) worst = c;
  return worst;
}

AccuracySummary check_accuracy(const std::string& label, const RefTable& table, const RowCheck& fn) {
  AccuracySummary s;
  double sum_sq = 0.0;
  double worst_ratio = -1.0;
  std::string max_row, worst_row;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const RefRow row = table.row(i);
    SCOPED_TRACE(row.describe());
    const std::optional<Cmp> c = fn(row);
    if (!c) continue;
    const double e = error_of(*c);
    ++s.rows;
    sum_sq += e * e;
    const std::string what = row.describe() + " got " + format_number(c->got) + " want " +
                             format_number(c->want) + " error " + format_number(e) + " tolerance " +
                             format_number(c->tol);
    if (e > s.max || (std::isnan(e) && !std::isnan(s.max)) || max_row.empty()) {
      s.max = e;
      max_row = what;
    }
    if (!(e <= c->tol)) {
      ++s.failures;
      const double ratio = over(*c);
      if (!(ratio <= worst_ratio)) {
        worst_ratio = ratio;
        worst_row = what;
      }
    }
  }
  s.rms = s.rows ? std::sqrt(sum_sq / static_cast<double>(s.rows)) : 0.0;
  std::printf("[ accuracy ] %-44s %4zu rows  max %.3e  rms %.3e\n", label.c_str(), s.rows, s.max, s.rms);
  if (s.failures)
    ADD_FAILURE() << label << ": " << s.failures << " of " << s.rows << " rows over tolerance; max error "
                  << s.max << ", rms " << s.rms << "\n  worst: " << worst_row;
  EXPECT_GT(s.rows, 0u) << label << ": no rows compared";
  return s;
}

bool same_value(double a, double b) {
  if (a == b) return true;
  std::uint64_t x, y;
  std::memcpy(&x, &a, sizeof x);
  std::memcpy(&y, &b, sizeof y);
  return x == y;
}

void check_refusals(const std::string& label, const std::vector<Refusal>& table, const RefusalCall& fn) {
  for (const Refusal& r : table) {
    std::vector<double> out;
    const int st = fn(r.args, out);
    EXPECT_EQ(st, r.status) << label << format_args(r.args);
    EXPECT_EQ(out.size(), r.outputs.size()) << label << format_args(r.args);
    for (std::size_t i = 0; i < out.size() && i < r.outputs.size(); ++i)
      EXPECT_TRUE(same_value(out[i], r.outputs[i]))
          << label << format_args(r.args) << " output " << i << ": got " << format_number(out[i]) << " want "
          << format_number(r.outputs[i]);
  }
}

void check_exact(const std::vector<Exact>& table) {
  for (const Exact& e : table) {
    if (std::isnan(e.want))
      EXPECT_TRUE(std::isnan(e.got)) << e.what << ": got " << format_number(e.got) << ", want NaN";
    else
      EXPECT_EQ(e.got, e.want) << e.what;
  }
}
