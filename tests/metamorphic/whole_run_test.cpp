// Everyday programs (fuzz/everyday_programs.h) run over their data as read and over the
// same data moved by 1.7e9 and 1e6 and scaled by 1e-6, 1e6 and 2^20, in both renderers,
// and compared whole: the exit status; each line of the log and the listing; each value
// of the JSON output; each row and panel value of the graph dump; each text of the
// device's graphs (see whole_run.h for what "the same, moved or scaled" is). Each
// histogram is given the bins it drew as read, and every third program fits threshold
// families too. Other grids anchored to round numbers (ticks, a CDF curve's axis) are
// compared where the form keeps them (c a multiple of their step); elsewhere they are
// left out. KES_WHOLE_RUN_SEED and
// KES_WHOLE_RUN_COUNT choose other programs and any number of them; failures that
// whole_run_known_failures.txt names are expected (KES_WHOLE_RUN_VERBOSE=1 shows them),
// and its entries must still fail.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <future>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>

#include "fuzz/everyday_programs.h"
#include "metamorphic/known_failures.h"
#include "metamorphic/whole_run.h"
#include "support/csv_rows.h"
#include "support/graph_dump.h"
#include "support/json_reader.h"
#include "support/runner_process.h"
#include "support/scratch_files.h"
#include "support/svg_reader.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;
using kes_meta::data_form;

// A plain run compares this many programs in six forms and two renderers (some 20
// seconds of CPU); under the sanitizers every twentieth (four programs, one of them
// with threshold fits: the sanitizers look for faults of memory, which a few find).
constexpr long kSeed = 20261209;
constexpr long kCount = 80;
constexpr std::size_t kSanitizedStride = 20;
constexpr unsigned kRunsAtOnce = 4;

struct run_outputs {
  int status = -1;
  std::vector<std::string> log, listing, device_log;
  kes_test::json out;
  std::vector<kes_test::dump_block> dump;
  std::map<std::string, std::vector<std::string>> svg_texts;  // the device's graphs' texts, by file
  double magnitude = 0, low = INFINITY, high = -INFINITY;
};

std::vector<std::string> lines_of(const std::string& text, bool log) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);)
    if (!log || l.find("seconds of real time") == std::string::npos) lines.push_back(l);
  return lines;
}

run_outputs run_form(const kes_test::scratch_dir& dir, const std::string& program, const std::string& data) {
  run_outputs r;
  dir.write("d.csv", data);
  for (const std::string& x : kes_test::csv_column(data, "x")) {
    const double v = std::strtod(x.c_str(), nullptr);
    r.magnitude = std::max(r.magnitude, std::fabs(v));
    r.low = std::min(r.low, v), r.high = std::max(r.high, v);
  }
  for (const char* renderer : {"template", "device"}) {
    const bool templ = std::string(renderer) == "template";
    fs::remove_all(dir / "g");
    fs::create_directories(dir / "g");
    std::vector<std::string> args = {"--work", ".", "--log", "log", "--listing", "lst", "--graphs", "g",
                                     "--graphics", renderer};
    if (templ) args.insert(args.end(), {"--json", "out.json", "--graph-dump", "dump", "prog.kes"});
    else args.push_back("prog.kes");
    dir.write("prog.kes", program);
    // Waited for here, not by runner_process::wait: the graphs' own rules are the
    // everyday test's, with its list of known faults; this test compares runs.
    kes_test::runner_process p;
    p.start(dir.path().string(), args, [] { ::alarm(120); });
    int raw = 0;
    ::waitpid(p.pid, &raw, 0);
    const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 1000 + WTERMSIG(raw);
    if (templ) {
      r.status = status;
      r.log = lines_of(kes_test::slurp(dir / "log"), true);
      r.listing = lines_of(kes_test::slurp(dir / "lst"), false);
      kes_test::parse_json(kes_test::slurp(dir / "out.json"), r.out);
      r.dump = kes_test::read_dump(kes_test::slurp(dir / "dump"));
    } else {
      r.device_log = lines_of(kes_test::slurp(dir / "log"), true);
      for (const std::string& f : kes_test::svg_files(dir / "g"))
        for (const kes_test::svg_element& e : kes_test::svg_elements(kes_test::slurp(dir / "g" / f)))
          if (e.name == "text") r.svg_texts[f].push_back(e.text);
    }
  }
  fs::remove_all(dir / "g");
  return r;
}

// Whether numbers v[from, to) are equally spaced, as far as their doubles tell.
bool evenly_spaced(const std::vector<double>& v, std::size_t from, std::size_t to) {
  for (std::size_t i = from + 2; i < to; ++i) {
    const double slack = 1e-6 * std::fabs(v[from + 1] - v[from]) + 1e-12 * std::max(std::fabs(v[i]), std::fabs(v[from]));
    if (std::fabs((v[i] - v[i - 1]) - (v[from + 1] - v[from])) > slack) return false;
  }
  return true;
}

// The texts of a graph with each run of bare numbers (an axis's tick or percent values,
// bar values, an inset's value) as one entry of its numbers.
struct graph_text {
  std::string text;              // a text with words
  std::vector<std::string> run;  // or a run of bare numbers
};
std::vector<graph_text> graph_texts(const std::vector<std::string>& texts) {
  std::vector<graph_text> out;
  for (const std::string& t : texts) {
    const bool bare = kes_meta::read_decimal(t).has_value();
    if (bare && !out.empty() && !out.back().run.empty()) out.back().run.push_back(t);
    else out.push_back(bare ? graph_text{"", {t}} : graph_text{t, {}});
  }
  return out;
}

// The run without its axes' ticks (three or more equally spaced numbers).
std::vector<std::string> without_ticks(const std::vector<std::string>& run) {
  std::vector<double> v;
  for (const std::string& t : run) v.push_back(std::strtod(t.c_str(), nullptr));
  std::vector<std::string> out;
  for (std::size_t j = 0; j < v.size();) {
    std::size_t k = std::min(v.size(), j + 3);
    if (k - j == 3 && v[j + 1] != v[j] && evenly_spaced(v, j, k)) {
      while (k < v.size() && evenly_spaced(v, j, k + 1)) ++k;
      j = k;
    } else {
      out.push_back(run[j++]);
    }
  }
  return out;
}

// The fault where the numbers of run y (the form's) are not those of run x (as read):
// where an axis shows fewer labels in one (wider texts take more room), those it shows
// are among the other's, in order.
std::optional<std::string> run_fault(std::vector<std::string> x, std::vector<std::string> y, const data_form& f,
                                     bool grids) {
  // Where the form moves the grid, its ticks are other numbers.
  if (!grids) x = without_ticks(x), y = without_ticks(y);
  if (x.size() == y.size()) {
    for (std::size_t i = 0; i < x.size(); ++i)
      if (auto fault = kes_meta::text_fault(x[i], y[i], f)) return fault;
    return std::nullopt;
  }
  const bool fewer = y.size() < x.size();
  const std::vector<std::string>&shown = fewer ? y : x, &all = fewer ? x : y;
  std::size_t at = 0;
  for (const std::string& t : shown) {
    while (at < all.size() && (fewer ? kes_meta::text_fault(all[at], t, f) : kes_meta::text_fault(t, all[at], f))) ++at;
    if (at == all.size()) {
      std::string both;
      for (const std::string& v : y) both += v + " ";
      both += "where as read";
      for (const std::string& v : x) both += " " + v;
      return "the values " + both + " are not those as read with some left out";
    }
    ++at;
  }
  return std::nullopt;
}

// The type a dump block gives each column ("numeric", "character").
std::map<std::string, std::string> column_types(const kes_test::dump_block& b) {
  std::map<std::string, std::string> types;
  for (const std::string& l : b.lines)
    if (l.rfind("  column ", 0) == 0) {
      std::istringstream in(l.substr(9));
      std::string name, type;
      in >> name >> type;
      types[name] = type;
    }
  return types;
}

// The midpoints of each histogram of the dump, those of its first cell.
std::vector<std::vector<double>> histogram_bins(const std::vector<kes_test::dump_block>& dump) {
  std::vector<std::vector<double>> bins;
  for (const kes_test::dump_block& b : dump) {
    if (!column_types(b).count("BinX")) continue;
    std::vector<double> mids;
    for (const auto& row : b.rows()) {
      const double x = kes_test::dump_number(row.at("BinX"));
      if (std::isnan(x)) continue;
      if (!mids.empty() && x <= mids.back()) break;
      mids.push_back(x);
    }
    bins.push_back(mids);
  }
  return bins;
}

// A panel line "  NAME = VALUE (KIND)": its name, value and kind.
bool panel_value(const std::string& l, std::string& name, std::string& value, std::string& kind) {
  const std::size_t eq = l.find(" = "), open = l.rfind(" (");
  if (l.rfind("  _", 0) != 0 || eq == std::string::npos || open == std::string::npos || open < eq) return false;
  name = l.substr(2, eq - 2);
  value = l.substr(eq + 3, open - eq - 3);
  kind = l.substr(open + 2, l.size() - open - 3);
  if (kind == "text" && value.size() >= 2) value = value.substr(1, value.size() - 2);
  return true;
}

bool grid_anchored(const std::string& dynamic) {
  return dynamic.find("TICK") != std::string::npos || dynamic == "_XMIN" || dynamic == "_XMAX" ||
         dynamic == "_YMIN" || dynamic == "_YMAX";
}

// Every fault of the form's run against the run as read, each a line whose first word
// names the output: status, log, device_log, listing, json, dump_row, dump_panel, dump,
// svg_text.
std::vector<std::string> whole_run_faults(const run_outputs& a, const run_outputs& b, const data_form& f) {
  std::vector<std::string> out;
  const kes_meta::run_scale s{a.magnitude, b.magnitude, a.high - a.low};
  // A run that ends otherwise (a step refused) has other outputs throughout: its first
  // ERROR says why.
  if (a.status != b.status) {
    const auto error = [](const run_outputs& r) {
      for (const std::string& l : r.log)
        if (l.rfind("ERROR", 0) == 0) return " (" + l + ")";
      return std::string();
    };
    out.push_back("status: " + std::to_string(b.status) + error(b) + " where as read " + std::to_string(a.status) +
                  error(a));
    return out;
  }
  const auto compare_lines = [&](const char* what, const std::vector<std::string>& x, const std::vector<std::string>& y) {
    if (x.size() != y.size()) {
      std::size_t i = 0;
      while (i < x.size() && i < y.size() && !kes_meta::text_fault(x[i], y[i], f)) ++i;
      out.push_back(std::string(what) + ": " + std::to_string(y.size()) + " lines where as read " +
                    std::to_string(x.size()) + "; first unlike: \"" + (i < y.size() ? y[i] : "") +
                    "\" where as read \"" + (i < x.size() ? x[i] : "") + "\"");
      return;
    }
    for (std::size_t i = 0; i < x.size(); ++i)
      if (const auto fault = kes_meta::text_fault(x[i], y[i], f)) out.push_back(std::string(what) + " line " + std::to_string(i + 1) + ": " + *fault);
  };
  compare_lines("log", a.log, b.log);
  compare_lines("device_log", a.device_log, b.device_log);
  compare_lines("listing", a.listing, b.listing);
  kes_meta::json_faults(a.out, b.out, "json", f, s, out);

  const bool grids = f.keeps_grids(a.high - a.low);
  if (a.dump.size() != b.dump.size()) out.push_back("dump: other blocks");
  for (std::size_t i = 0; i < a.dump.size() && i < b.dump.size(); ++i) {
    const kes_test::dump_block &x = a.dump[i], &y = b.dump[i];
    const std::string name = x.head.substr(0, x.head.find(" template"));
    if (x.head != y.head) {
      out.push_back("dump: block \"" + y.head + "\" where as read \"" + x.head + "\"");
      continue;
    }
    if (x.is_panel()) {
      for (std::size_t l = 0; l < x.lines.size() && l < y.lines.size(); ++l) {
        std::string n0, v0, k0, n1, v1, k1;
        if (!panel_value(x.lines[l], n0, v0, k0) || !panel_value(y.lines[l], n1, v1, k1)) {
          if (x.lines[l] != y.lines[l]) out.push_back("dump_panel " + name + ": \"" + y.lines[l] + "\" where as read \"" + x.lines[l] + "\"");
          continue;
        }
        if (grid_anchored(n0) && !grids) continue;
        const auto fault = k0 == "text" ? kes_meta::text_fault(v0, v1, f, &s)
                                        : kes_meta::number_fault(kes_test::dump_number(v0), kes_test::dump_number(v1), f, s);
        // An inset's values (_I1_VALUE2, _M4_VALUE3, ...) are named as such too.
        const std::string what = n0.find("_VALUE") != std::string::npos ? " inset_value" : "";
        if (fault) out.push_back("dump_panel " + name + " " + n0 + what + ": " + *fault);
      }
      continue;
    }
    const auto types = column_types(x);
    const auto r0 = x.rows(), r1 = y.rows();
    // A CDF curve's rows follow its axis: where the form does not keep it, they are
    // another graph's. (Histograms are given their bins.)
    if (!grids && types.count("CDFX")) continue;
    if (r0.size() != r1.size()) {
      out.push_back("dump_row " + name + ": " + std::to_string(r1.size()) + " rows where as read " + std::to_string(r0.size()));
      continue;
    }
    for (std::size_t r = 0; r < r0.size(); ++r)
      for (const auto& [col, v0] : r0[r]) {
        const auto it = r1[r].find(col);
        const std::string v1 = it == r1[r].end() ? "" : it->second;
        const auto type = types.find(col);
        const auto fault = type != types.end() && type->second == "numeric"
                               ? kes_meta::number_fault(kes_test::dump_number(v0), kes_test::dump_number(v1), f, s)
                               : kes_meta::text_fault(v0, v1, f, &s);
        const std::string what = x.head.rfind("data InsetData", 0) == 0 ? " inset_value" : "";
        if (fault) out.push_back("dump_row " + name + " " + col + what + " row " + std::to_string(r + 1) + ": " + *fault);
      }
  }

  for (const auto& [file, texts] : a.svg_texts) {
    const auto it = b.svg_texts.find(file);
    if (it == b.svg_texts.end()) {
      out.push_back("svg_text " + file + ": not drawn");
      continue;
    }
    const std::vector<graph_text> x = graph_texts(texts), y = graph_texts(it->second);
    if (x.size() != y.size()) {
      out.push_back("svg_text " + file + ": " + std::to_string(y.size()) + " texts where as read " + std::to_string(x.size()));
      continue;
    }
    // Named by what the text is: a legend or label (with words), or a value or a run of
    // them (an inset's value, bar values, ticks).
    for (std::size_t i = 0; i < x.size(); ++i) {
      if (x[i].run.empty() != y[i].run.empty())
        out.push_back("svg_text " + file + ": \"" + y[i].text + "\" where as read \"" + x[i].text + "\"");
      else if (x[i].run.empty()) {
        if (const auto fault = kes_meta::text_fault(x[i].text, y[i].text, f))
          out.push_back("svg_text " + file + " legend: " + *fault);
      } else if (const auto fault = run_fault(x[i].run, y[i].run, f, grids)) {
        out.push_back("svg_text " + file + " value: " + *fault);
      }
    }
  }
  if (a.svg_texts.size() != b.svg_texts.size()) out.push_back("svg_text: other graph files");
  return out;
}

// One program's runs: the program and data as read (its bins given) and the faults of
// each form (by its index in data_forms()).
struct program_outcome {
  std::string program, data;
  std::vector<std::pair<std::size_t, std::vector<std::string>>> faults;
};

program_outcome run_program_forms(const kes_test::scratch_dir& dir, long i, const kes_fuzz::everyday_case& c) {
  program_outcome o;
  o.data = kes_meta::data_to_three_decimals(c.data);
  // Every third program fits threshold families too, whose curves and fits follow the
  // data's offset through the threshold.
  o.program = kes_meta::program_in_form(i % 3 == 2 ? kes_meta::with_threshold_fits(c.program) : c.program,
                                        kes_meta::data_forms()[0]);
  run_outputs as_read = run_form(dir, o.program, o.data);
  const std::vector<std::string> bins = kes_meta::midpoint_lists(histogram_bins(as_read.dump));
  if (!bins.empty()) {
    o.program = kes_meta::with_midpoints(o.program, bins);
    as_read = run_form(dir, o.program, o.data);
  }
  // A reference line beyond the axis as read may lie within the axis of a form whose
  // axis is anchored to other round numbers.
  const auto off_axis = [](const std::string& l) {
    return l.find("outside the horizontal axis") != std::string::npos ||
           l.find("outside the vertical axis") != std::string::npos;
  };
  const bool ref_off_axis = std::any_of(as_read.log.begin(), as_read.log.end(), off_axis) ||
                            std::any_of(as_read.device_log.begin(), as_read.device_log.end(), off_axis);
  for (std::size_t fi = 1; fi < kes_meta::data_forms().size(); ++fi) {
    const data_form& f = kes_meta::data_forms()[fi];
    if (ref_off_axis && !f.keeps_grids(as_read.high - as_read.low)) continue;
    const run_outputs moved = run_form(dir, kes_meta::program_in_form(o.program, f), kes_meta::data_in_form(o.data, f));
    o.faults.emplace_back(fi, whole_run_faults(as_read, moved, f));
  }
  return o;
}

TEST(WholeRun, EveryOutputOfMovedAndScaledDataIsTheOutputAsRead) {
  const long seed = kes_test::env_setting("KES_WHOLE_RUN_SEED", kSeed);
  const long count = kes_test::env_setting("KES_WHOLE_RUN_COUNT", kCount);
  const bool default_draw = seed == kSeed && count >= kCount && !kes_test::under_sanitizers();
  const bool verbose = kes_test::env_setting("KES_WHOLE_RUN_VERBOSE", 0) != 0;
  std::vector<std::string> errors;
  std::vector<kes_meta::known_failure> known = kes_meta::read_known_failures(
      kes_test::slurp(fs::path(KES_SOURCE_DIR) / "tests" / "metamorphic" / "whole_run_known_failures.txt"), &errors);
  for (const std::string& e : errors) ADD_FAILURE() << "whole_run_known_failures.txt " << e;

  std::mt19937_64 rng(static_cast<std::uint64_t>(seed));
  std::vector<std::pair<long, kes_fuzz::everyday_case>> cases;
  for (long i = 0; i < count; ++i) {
    kes_fuzz::everyday_case c = kes_fuzz::everyday_program(rng);
    if (kes_test::sanitized_share(static_cast<std::size_t>(i), kSanitizedStride)) cases.emplace_back(i, std::move(c));
  }
  // The programs run a few at a time, each worker in its own folder; their faults are
  // judged in order afterwards.
  std::vector<program_outcome> outcomes(cases.size());
  {
    std::vector<std::unique_ptr<kes_test::scratch_dir>> dirs;  // made here: their names count up
    for (unsigned t = 0; t < kRunsAtOnce; ++t) dirs.push_back(std::make_unique<kes_test::scratch_dir>("whole-run"));
    std::atomic<std::size_t> next{0};
    std::vector<std::future<void>> workers;
    for (unsigned t = 0; t < kRunsAtOnce; ++t)
      workers.push_back(std::async(std::launch::async, [&, t] {
        for (std::size_t k; (k = next++) < cases.size();)
          outcomes[k] = run_program_forms(*dirs[t], cases[k].first, cases[k].second);
      }));
    for (auto& w : workers) w.get();
  }
  for (std::size_t k = 0; k < cases.size(); ++k) {
    const long i = cases[k].first;
    const program_outcome& o = outcomes[k];
    for (const auto& [fi, faults] : o.faults) {
      const data_form& f = kes_meta::data_forms()[fi];
      std::vector<std::string> unexpected;
      for (const std::string& fault : faults) {
        // Faults of the graph dump and the JSON come of the template run; of the SVG
        // texts, of the device's.
        const bool device = fault.rfind("svg_text", 0) == 0 || fault.rfind("device_log", 0) == 0;
        const std::string kind = std::string("renderer=") + (device ? "device" : "template");
        if (kes_meta::known_failure* kf =
                kes_meta::explaining(known, f.name, kind, {static_cast<std::uint64_t>(seed), i}, {fault})) {
          ++kf->met;
          if (verbose) std::printf("expected (line %d): program %ld, %s: %s\n", kf->line, i, f.name.c_str(), fault.c_str());
          continue;
        }
        unexpected.push_back(fault);
      }
      if (unexpected.empty()) continue;
      const fs::path kept = fs::path(kes_test::binary_dir()) / "whole_run_failures" /
                            ("seed" + std::to_string(seed) + "_" + std::to_string(i));
      fs::create_directories(kept);
      std::ofstream(kept / "prog.kes", std::ios::binary) << o.program;
      std::ofstream(kept / "d.csv", std::ios::binary) << o.data;
      const std::string tag = "_" + std::to_string(fi);
      std::ofstream(kept / ("prog" + tag + ".kes"), std::ios::binary) << kes_meta::program_in_form(o.program, f);
      std::ofstream(kept / ("d" + tag + ".csv"), std::ios::binary) << kes_meta::data_in_form(o.data, f);
      std::string what;
      const std::size_t shown = verbose ? unexpected.size() : 12;
      for (std::size_t j = 0; j < unexpected.size() && j < shown; ++j) what += "\n  " + unexpected[j];
      if (unexpected.size() > shown) what += "\n  ... " + std::to_string(unexpected.size() - shown) + " more";
      ADD_FAILURE() << "program " << i << " of seed " << seed << " (" << cases[k].second.what << "; kept in "
                    << kept.string() << ", the form as prog_" << fi << ".kes and d_" << fi << ".csv), " << f.name
                    << ":" << what;
    }
  }
  // An entry that explained nothing in the default draw is stale: its fault is mended.
  if (default_draw)
    for (const kes_meta::known_failure& k : known)
      if (k.met == 0)
        ADD_FAILURE() << "whole_run_known_failures.txt line " << k.line << " (" << k.relation << ": " << k.reason
                      << ") fails no more: drop it";
}

}  // namespace
