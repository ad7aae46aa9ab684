// edfgen: command line. Simulation runs in parts (a range of a set's grid per call,
// each written to a part file); "fit" merges the parts of a family and writes its
// table file; the check commands test tables against fresh simulations.
//
//   edfgen sim --family F --set K [--from I --to J] --reps R --seed S --threads T --out PART [--raw RAW]
//   edfgen calibrate --family F --set K --tables FILE --rounds N [--weighted 0|1] [--focus 0|1] --threads T --out FILE RAW...
//   edfgen fit --family F [--base FILE] --out FILE PART...
//   edfgen check-tables --family F --tables FILE
//   edfgen check-fixed --reps R --seed S --threads T
//   edfgen coverage --family F --set K --tables FILE --reps R --seed S --threads T
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "edfgen.h"
#include "fitreport/kes_edfcoef.h"

namespace {
struct args {
  std::map<std::string, std::string> opt;
  std::vector<std::string> files;
  std::string line;  // the command line as given
  std::string get(const std::string& k, const std::string& dflt = "") const {
    auto it = opt.find(k);
    return it == opt.end() ? dflt : it->second;
  }
  long num(const std::string& k, long dflt) const {
    const std::string v = get(k);
    return v.empty() ? dflt : std::strtol(v.c_str(), nullptr, 10);
  }
};

const char* const kStatNames[3] = {"dcoef", "w2coef", "a2coef"};

[[noreturn]] void die(const std::string& why) {
  std::fprintf(stderr, "edfgen: %s\n", why.c_str());
  std::exit(2);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path);
  if (!in) die("cannot read " + path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_file(const std::string& path, const std::string& text) {
  std::ofstream out(path);
  if (!(out << text)) die("cannot write " + path);
}

int need_family(const args& a) {
  const int f = edfgen_family(a.get("family"));
  if (f < 0) die("--family must be gamma, lognormal or weibull");
  return f;
}

int need_set(const args& a, int family) {
  const int set = static_cast<int>(a.num("set", 0));
  const bool ok = family == KES_COEF_GAMMA ? set >= 1 && set <= 7 : (set >= 4 && set <= 7) || (family == 1 && set == 61);
  if (!ok) die("--set " + a.get("set") + " has no table for the " + edfgen_family_name(family) + " family");
  return set;
}

void load_tables(const args& a, int family) {
  const char* bad = nullptr;
  if (!a.get("tables").empty() && kes_edf_coef_read(family, read_file(a.get("tables")).c_str(), &bad) != 0)
    die("bad table file " + a.get("tables") + ": " + (bad ? bad : "?"));
}

int sim(const args& a) {
  const int family = need_family(a), set = need_set(a, family);
  const std::vector<grid_point> grid = edfgen_grid(family, set);
  const long from = a.num("from", 0), to = std::min<long>(a.num("to", static_cast<long>(grid.size())), grid.size());
  const long reps = a.num("reps", 10000);
  if (from < 0 || from >= to || reps < 1000) die("need 0 <= --from < --to and --reps >= 1000");
  std::string out = "# edfgen " + std::string(kEdfgenVersion) + ": " + a.line + "\n";
  for (long i = from; i < to; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    std::vector<replicate> r;
    edfgen_simulate(family, edfgen_case(set), &grid[i], 1, reps, a.num("seed", 1), static_cast<int>(a.num("threads", 1)), &r);
    point_quant q{};
    q.set = set;
    q.shape = grid[i].shape;
    q.n = grid[i].n;
    q.reps = reps;
    for (const replicate& x : r) q.fails += x.ok ? 0 : 1;
    char buf[160];
    out += "point " + std::to_string(set);
    std::snprintf(buf, sizeof buf, " %.17g %.17g %ld %ld", q.shape, q.n, reps, q.fails);
    out += buf;
    for (int s = 0; s < 3; ++s) {
      q.valid[s] = edfgen_quantiles(r, s, q.q[s], &q.se001[s], &q.used[s]);
      std::snprintf(buf, sizeof buf, " %d %ld %.6g", q.valid[s] ? 1 : 0, q.used[s], q.se001[s]);
      out += buf;
      for (int j = 0; j < 11; ++j) {
        std::snprintf(buf, sizeof buf, " %.17g", q.valid[s] ? q.q[s][j] : 0.0);
        out += buf;
      }
    }
    out += "\n";
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("%s set %d shape %g n %g: %ld replicates, %ld fits failed, se(log .001 point) D %.4f W %.4f A %.4f, %.1fs\n",
                edfgen_family_name(family), set, q.shape, q.n, reps, q.fails, q.se001[0], q.se001[1], q.se001[2], secs);
    std::fflush(stdout);
    write_file(a.get("out"), out);  // after each point: a stopped run keeps what it did
    if (!a.get("raw").empty()) edfgen_raw_append(a.get("raw"), q, r, a.line);
  }
  return 0;
}

std::vector<point_quant> read_parts(const std::vector<std::string>& files, std::set<std::string>* heads) {
  std::vector<point_quant> pts;
  std::set<std::string> seen;  // a point simulated twice (overlapping parts) counts once
  for (const std::string& f : files) {
    std::istringstream in(read_file(f));
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind("# ", 0) == 0) heads->insert(line.substr(2));
      if (line.rfind("point ", 0) != 0) continue;
      std::istringstream l(line.substr(6));
      point_quant q{};
      l >> q.set >> q.shape >> q.n >> q.reps >> q.fails;
      for (int s = 0; s < 3; ++s) {
        int v;
        l >> v >> q.used[s] >> q.se001[s];
        q.valid[s] = v != 0;
        for (double& x : q.q[s]) l >> x;
      }
      if (!l) die("bad point line in " + f);
      if (seen.insert(line.substr(0, line.find(' ', line.find(' ', line.find(' ', 6) + 1) + 1))).second)
        pts.push_back(q);
    }
  }
  return pts;
}

// The text of one table: its name with a note, its rows and its scalars.
std::string table_text(int family, int set, int stat, const std::vector<double>& t, const std::string& note) {
  double v[16];
  int nrows, size;
  const int nv = kes_edf_coef_terms(family, set, stat, 1.0, 2.0, v, &nrows, &size);
  std::string body = std::string(kStatNames[stat]) + std::to_string(set) + "  # " + note + "\n";
  char buf[32];
  for (int r = 0; r < nrows; ++r) {
    for (int j = 0; j < 11; ++j) {
      std::snprintf(buf, sizeof buf, "%s%.9g", j ? " " : "", t[r * 11 + j]);
      body += buf;
    }
    body += "  # r" + std::to_string(r) + "\n";
  }
  for (int k = nrows * 11; k < size; ++k) {
    std::snprintf(buf, sizeof buf, "%s%.9g", k > nrows * 11 ? " " : "", t[k]);
    body += buf;
  }
  body += "  # scalars";
  body += nv - nrows < size - nrows * 11 ? ", then zeros\n" : "\n";
  return body;
}

// A family's table text with the named table blocks replaced (the others as they
// were); its header lines to *head, the blocks returned.
std::string replace_blocks(const std::string& text, std::map<std::string, std::string>& fresh, std::string* head) {
  std::istringstream in(text);
  std::string line, body, name;
  bool in_head = true;
  while (std::getline(in, line)) {
    if (in_head && line.rfind("#", 0) == 0) {
      *head += line + "\n";
      continue;
    }
    in_head = false;
    if (!line.empty() && std::isalpha(static_cast<unsigned char>(line[0]))) {
      name = line.substr(0, line.find_first_of(" #"));
      if (fresh.count(name)) body += fresh[name];
    }
    if (!fresh.count(name)) body += line + "\n";
  }
  return body;
}

int fit(const args& a) {
  const int family = need_family(a);
  std::set<std::string> heads;
  const std::vector<point_quant> pts = read_parts(a.files, &heads);
  std::string body;
  long reps_lo = -1, reps_hi = 0, fails = 0, total = 0;
  double se_hi = 0.0;
  for (const point_quant& q : pts) {
    reps_lo = reps_lo < 0 ? q.reps : std::min(reps_lo, q.reps);
    reps_hi = std::max(reps_hi, q.reps);
    fails += q.fails;
    total += q.reps;
    for (int s = 0; s < 3; ++s) se_hi = std::max(se_hi, q.valid[s] ? q.se001[s] : 0.0);
  }
  std::map<std::string, std::string> fresh;
  for (int set : {1, 2, 3, 4, 5, 6, 7, 61}) {
    int npts = 0;
    for (const point_quant& q : pts) npts += q.set == set;
    if (npts == 0) continue;
    for (int s = 0; s < 3; ++s) {
      double rms = 0.0;
      const std::vector<double> t = edfgen_fit_table(family, set, s, pts, &rms);
      if (t.empty()) die("the points of set " + std::to_string(set) + " do not determine its tables");
      char note[96];
      std::snprintf(note, sizeof note, "%d grid points, residual rms of the log critical values %.4f", npts, rms);
      const std::string block = table_text(family, set, s, t, note);
      body += block;
      fresh[kStatNames[s] + std::to_string(set)] = block;
    }
  }
  std::string out = "# EDF coefficient tables of the " + std::string(edfgen_family_name(family)) +
                    " fits. Made by edfgen " + kEdfgenVersion + "; do not edit.\n# " + a.line + "\n";
  // With --base the sets fitted replace theirs in the base tables, the other sets kept
  // (the base's header lines too, marked, after this run's).
  std::string base_head, line_of_base;
  if (!a.get("base").empty()) body = replace_blocks(read_file(a.get("base")), fresh, &base_head);
  for (const std::string& h : heads) out += "# from " + h + "\n";
  char buf[200];
  std::snprintf(buf, sizeof buf,
                "# %zu grid points, %ld to %ld replicates each (%ld fits failed of %ld); largest standard error of "
                "the log .001 point %.4f\n",
                pts.size(), reps_lo, reps_hi, fails, total, se_hi);
  out += buf;
  for (std::istringstream in(base_head); std::getline(in, line_of_base);)
    if (line_of_base.rfind("# EDF coefficient tables", 0) != 0) out += "# kept from the base: " + line_of_base.substr(2) + "\n";
  write_file(a.get("out"), out + body);
  const char* bad = nullptr;
  if (kes_edf_coef_read(family, (out + body).c_str(), &bad) != 0) die(std::string("written table unreadable: ") + bad);
  std::fputs(buf + 2, stdout);
  return 0;
}

// Calibrates the three tables of a set at the fitted shape from raw replicates and
// writes the family's table text with them replaced (the other tables as they were).
int calibrate(const args& a) {
  const int family = need_family(a), set = need_set(a, family);
  const std::string text = read_file(a.get("tables"));
  std::vector<raw_point> all, pts;
  for (const std::string& f : a.files)
    if (!edfgen_raw_read(f, &all)) die("bad raw file " + f);
  std::set<std::pair<double, double>> seen;  // a point simulated twice counts once
  std::set<std::string> lines;
  long reps_lo = -1, reps_hi = 0;
  double se_hi = 0.0;
  for (raw_point& p : all) {
    if (p.set != set || !seen.insert({p.shape, p.n}).second) continue;
    lines.insert(p.line);
    for (int s = 0; s < 3; ++s) {
      double q[11], se = 0.0;
      long used = 0;
      if (edfgen_quantiles(p.r, s, q, &se, &used)) se_hi = std::max(se_hi, se);
    }
    reps_lo = reps_lo < 0 ? static_cast<long>(p.r.size()) : std::min<long>(reps_lo, p.r.size());
    reps_hi = std::max<long>(reps_hi, p.r.size());
    pts.push_back(std::move(p));
  }
  if (pts.empty()) die("no raw points of set " + std::to_string(set));
  const int rounds = static_cast<int>(a.num("rounds", 10)), threads = static_cast<int>(a.num("threads", 1));
  std::map<std::string, std::string> fresh;
  for (int s = 0; s < 3; ++s) {
    const std::string name = kStatNames[s] + std::to_string(set);
    std::vector<double> start = edfgen_table_values(text.c_str(), name);
    if (start.empty()) die("no table " + name + " in " + a.get("tables"));
    std::string log;
    const calib_result r = edfgen_calibrate(family, set, s, pts, start, rounds, a.num("weighted", 0) != 0,
                                            a.num("focus", 0) != 0, threads, &log);
    std::printf("%s %s:\n%s  kept round %d\n", edfgen_family_name(family), name.c_str(), log.c_str(), r.round);
    std::fflush(stdout);
    fresh[name] = table_text(family, set, s, r.t,
                             std::to_string(r.points) + " grid points, calibrated at the fitted shape (round " +
                                 std::to_string(r.round) + "); in sample: " + r.score.text());
  }
  // Header lines kept, then this run and its sources; each table block replaced or kept.
  std::string head;
  const std::string body = replace_blocks(text, fresh, &head);
  head += "# edfgen " + std::string(kEdfgenVersion) + ": " + a.line + "\n";
  for (const std::string& l : lines) head += "# from edfgen " + std::string(kEdfgenVersion) + ": " + l + "\n";
  char buf[200];
  std::snprintf(buf, sizeof buf,
                "# set %d calibrated from %zu grid points, %ld to %ld replicates each; largest standard error of "
                "the log .001 point %.4f\n",
                set, pts.size(), reps_lo, reps_hi, se_hi);
  head += buf;
  const char* bad = nullptr;
  kes_edf_coef_clear();
  if (kes_edf_coef_read(family, (head + body).c_str(), &bad) != 0) die(std::string("written table unreadable: ") + bad);
  write_file(a.get("out"), head + body);
  return 0;
}

int check(const args& a, const std::string& cmd) {
  std::string out;
  int bad = 0;
  if (cmd == "check-tables") {
    const int family = need_family(a);
    bad = edfgen_check_tables(family, read_file(a.get("tables")).c_str(), &out);
  } else if (cmd == "check-fixed") {
    bad = edfgen_check_fixed(a.num("reps", 10000), a.num("seed", 7), static_cast<int>(a.num("threads", 1)), &out);
  } else {
    const int family = need_family(a), set = need_set(a, family);
    load_tables(a, family);
    bad = edfgen_check_coverage(family, set, a.num("reps", 4000), a.num("seed", 99), static_cast<int>(a.num("threads", 1)), &out);
  }
  std::printf("# %s\n%s", a.line.c_str(), out.c_str());
  return bad == 0 ? 0 : 1;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) die("usage: edfgen sim|fit|check-tables|check-fixed|coverage [options]");
  args a;
  a.line = "edfgen";
  for (int i = 1; i < argc; ++i) a.line += std::string(" ") + argv[i];
  for (int i = 2; i < argc; ++i) {
    const std::string s = argv[i];
    if (s.rfind("--", 0) == 0) {
      if (i + 1 >= argc) die("option " + s + " needs a value");
      a.opt[s.substr(2)] = argv[++i];
    } else {
      a.files.push_back(s);
    }
  }
  edfgen_host_start();
  const std::string cmd = argv[1];
  if (cmd == "sim") return sim(a);
  if (cmd == "fit") return fit(a);
  if (cmd == "calibrate") return calibrate(a);
  if (cmd == "check-tables" || cmd == "check-fixed" || cmd == "coverage") return check(a, cmd);
  die("unknown command " + cmd);
}
