// Raw replicate files: per point a record of its place in the grid, the command line
// that made it and, per replicate, the fitted shape and the three statistics.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "edfgen.h"

namespace {
constexpr char kMagic[8] = {'E', 'D', 'F', 'R', 'A', 'W', '1', '\n'};

struct file_closer {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using file_ptr = std::unique_ptr<std::FILE, file_closer>;

template <class T>
bool get(std::FILE* f, T* v) {
  return std::fread(v, sizeof(T), 1, f) == 1;
}
}  // namespace

void edfgen_raw_append(const std::string& path, const point_quant& q, const std::vector<replicate>& r,
                       const std::string& line) {
  file_ptr f(std::fopen(path.c_str(), "ab"));
  if (!f) {
    std::fprintf(stderr, "edfgen: cannot write %s\n", path.c_str());
    std::exit(2);
  }
  const std::int32_t set = q.set, len = static_cast<std::int32_t>(line.size());
  const std::int64_t reps = static_cast<std::int64_t>(r.size());
  std::vector<double> v;
  v.reserve(r.size() * 4);
  for (const replicate& x : r) {
    v.push_back(x.ok ? x.shape : NAN);
    v.insert(v.end(), {x.stat[0], x.stat[1], x.stat[2]});
  }
  bool ok = std::fwrite(kMagic, 1, 8, f.get()) == 8 && std::fwrite(&set, 4, 1, f.get()) == 1 &&
            std::fwrite(&q.shape, 8, 1, f.get()) == 1 && std::fwrite(&q.n, 8, 1, f.get()) == 1 &&
            std::fwrite(&reps, 8, 1, f.get()) == 1 && std::fwrite(&len, 4, 1, f.get()) == 1 &&
            std::fwrite(line.data(), 1, line.size(), f.get()) == line.size() &&
            std::fwrite(v.data(), sizeof(double), v.size(), f.get()) == v.size();
  ok = std::fflush(f.get()) == 0 && ok;
  if (!ok) {
    std::fprintf(stderr, "edfgen: cannot write %s\n", path.c_str());
    std::exit(2);
  }
}

bool edfgen_raw_read(const std::string& path, std::vector<raw_point>* out) {
  file_ptr f(std::fopen(path.c_str(), "rb"));
  if (!f) return false;
  for (;;) {
    char magic[8];
    const size_t got = std::fread(magic, 1, 8, f.get());
    if (got == 0) return true;
    if (got != 8 || std::memcmp(magic, kMagic, 8) != 0) return false;
    raw_point p;
    std::int32_t set = 0, len = 0;
    std::int64_t reps = 0;
    if (!get(f.get(), &set) || !get(f.get(), &p.shape) || !get(f.get(), &p.n) || !get(f.get(), &reps) ||
        !get(f.get(), &len))
      return true;
    if (reps < 0 || reps > (std::int64_t(1) << 32) || len < 0 || len > 65536) return false;
    p.set = set;
    p.line.resize(static_cast<size_t>(len));
    if (std::fread(p.line.data(), 1, p.line.size(), f.get()) != p.line.size()) return true;
    std::vector<double> v(static_cast<size_t>(reps) * 4);
    if (std::fread(v.data(), sizeof(double), v.size(), f.get()) != v.size()) return true;  // cut short
    p.r.resize(static_cast<size_t>(reps));
    for (size_t i = 0; i < p.r.size(); ++i) {
      replicate& x = p.r[i];
      x.ok = !std::isnan(v[4 * i]);
      x.shape = v[4 * i];
      x.stat[0] = v[4 * i + 1];
      x.stat[1] = v[4 * i + 2];
      x.stat[2] = v[4 * i + 3];
      x.d = NAN;
    }
    out->push_back(std::move(p));
  }
}
