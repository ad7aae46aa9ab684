#include "fuzz/fuzz_run.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "core/colour_names.h"
#include "support/graph_dump.h"
#include "support/runner_process.h"
#include "support/scratch_files.h"
#include "support/svg_rules.h"
#include "support/test_settings.h"

namespace kes_fuzz {
namespace {

namespace fs = std::filesystem;

// Every file below root outside the folders skipped, with its size and time of change.
std::map<std::string, std::string> snapshot(const fs::path& root, const std::vector<fs::path>& skip) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (std::find(skip.begin(), skip.end(), it->path()) != skip.end()) {
      it.disable_recursion_pending();
      continue;
    }
    struct stat st;
    if (::lstat(it->path().c_str(), &st) != 0) continue;
    files[it->path().string()] =
        std::to_string(st.st_size) + "@" + std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
  }
  return files;
}

// The return codes of the steps the log says ended.
std::vector<long> step_codes(const std::string& log) {
  std::vector<long> codes;
  const std::string mark = "ended with return code ";
  for (std::size_t at = log.find(mark); at != std::string::npos; at = log.find(mark, at + 1))
    codes.push_back(std::strtol(log.c_str() + at + mark.size(), nullptr, 10));
  return codes;
}

// Asked before any child is made: the child only reads it.
const bool kSanitizedRunner = kes_test::under_sanitizers();

// In the child before the runner starts: the memory cap, and the minute. The
// sanitized runner reserves far more address space than it uses and cannot start under
// an address-space limit: there the sanitizer's own allocator holds the cap.
void limit_child() {
  if (kSanitizedRunner) {
    const char* given = std::getenv("ASAN_OPTIONS");
    const std::string options = std::string(given == nullptr ? "" : given) +
                                ":allocator_may_return_null=1:malloc_limit_mb=" + std::to_string(kMemoryCapMb) +
                                ":hard_rss_limit_mb=" + std::to_string(kMemoryCapMb);
    ::setenv("ASAN_OPTIONS", options.c_str(), 1);
  } else {
    const rlim_t cap = static_cast<rlim_t>(kMemoryCapMb) << 20;
    const rlimit lim{cap, cap};
    ::setrlimit(RLIMIT_AS, &lim);
  }
  ::alarm(60);
}

// The graphs of a run that break a rule holding at any page size, the known ones
// left out.
std::vector<std::string> graph_faults(const fs::path& graphs, const fs::path& dump, const std::string& key,
                                      const std::string& program, const graph_check& check) {
  std::vector<std::string> wrong;
  kes_test::svg_facts given;
  given.square = program_squares(program);
  given.own_vertical_ticks = program_lists_vaxis(program);
  given.own_text_colours = program_text_colours(program);
  given.cell_values = check.cell_values;
  given.listed_percents = check.listed_percents;
  given.cell_counts = check.cell_counts;
  const std::vector<kes_test::dump_block> blocks = kes_test::read_dump(kes_test::slurp(dump));
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(graphs, ec)) {
    if (e.path().extension() != ".svg") continue;
    const std::string doc = kes_test::slurp(e.path());
    if (doc.find("</svg>") == std::string::npos) continue;  // cut short by a stopped run
    kes_test::svg_facts facts = given;
    kes_test::add_dump_facts(blocks, e.path().filename().string(), facts);
    const std::string file_key = key + "/" + e.path().filename().string();
    for (const kes_test::svg_fault& f : kes_test::svg_rule_faults(doc, facts))
      if ((check.every_rule || kes_test::svg_rule_holds_at_any_size(f.rule)) &&
          !kes_test::svg_fault_known(file_key, f.rule))
        wrong.push_back(e.path().filename().string() + " " + f.rule + ": " + f.detail);
  }
  return wrong;
}

}  // namespace

bool program_squares(const std::string& program) {
  std::string p = program;
  std::transform(p.begin(), p.end(), p.begin(), [](unsigned char c) { return std::tolower(c); });
  int plots = 0, squares = 0;
  for (std::size_t at = p.find("ppplot"); at != std::string::npos; at = p.find("ppplot", at + 1)) {
    const std::string statement = p.substr(at, p.find(';', at) - at);
    ++plots;
    squares += statement.find("square") != std::string::npos ? 1 : 0;
  }
  return plots > 0 && squares == plots;
}

std::set<std::string> program_text_colours(const std::string& program) {
  std::set<std::string> colours;
  std::string p = program;
  std::transform(p.begin(), p.end(), p.begin(), [](unsigned char c) { return std::tolower(c); });
  // A colour word after a text-colour option: CTEXT= (CT=), CTEXTSIDE=, CTEXTTOP=.
  for (const char* option : {"ctext=", "ct=", "ctextside=", "ctexttop="})
    for (std::size_t at = p.find(option); at != std::string::npos; at = p.find(option, at + 1)) {
      if (at > 0 && (std::isalnum(static_cast<unsigned char>(p[at - 1])) || p[at - 1] == '_')) continue;
      std::size_t b = at + std::strlen(option), e = b;
      if (b < p.size() && (p[b] == '\'' || p[b] == '"')) {
        e = p.find(p[b], b + 1);
        if (e == std::string::npos) continue;
        ++b;
      } else {
        while (e < p.size() && !std::isspace(static_cast<unsigned char>(p[e])) && p[e] != ';' && p[e] != '/') ++e;
      }
      const std::string word = program.substr(b, e - b);
      // CXrrggbb is the older spelling of #RRGGBB.
      const std::string rgb = word.size() == 8 && (word[0] == 'c' || word[0] == 'C') && (word[1] == 'x' || word[1] == 'X')
                                  ? plat::colour_rgb("#" + word.substr(2))
                                  : plat::colour_rgb(word);
      if (!rgb.empty()) colours.insert(rgb);
    }
  return colours;
}

bool program_lists_vaxis(const std::string& program) {
  std::string p = program;
  std::transform(p.begin(), p.end(), p.begin(), [](unsigned char c) { return std::tolower(c); });
  // VAXIS= with a number after it: VAXIS=AXIS1 names a definition, whose list the
  // device checks against the data.
  for (std::size_t at = p.find("vaxis"); at != std::string::npos; at = p.find("vaxis", at + 1)) {
    std::size_t k = at + 5;
    while (k < p.size() && std::isspace(static_cast<unsigned char>(p[k]))) ++k;
    if (k >= p.size() || p[k] != '=') continue;
    ++k;
    while (k < p.size() && std::isspace(static_cast<unsigned char>(p[k]))) ++k;
    if (k < p.size() && (std::isdigit(static_cast<unsigned char>(p[k])) || p[k] == '-' || p[k] == '.' || p[k] == '+'))
      return true;
  }
  return false;
}

bool log_says_graph_not_drawn(const std::string& log) {
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("WARNING", 0) == 0) return true;
    std::string l = line;
    std::transform(l.begin(), l.end(), l.begin(), [](unsigned char c) { return std::tolower(c); });
    // "can be shown" in "No cell of x can be shown" and "... cannot be shown".
    if (l.rfind("note", 0) == 0 && (l.find("not drawn") != std::string::npos || l.find("no graph") != std::string::npos ||
                                    l.find("can be shown") != std::string::npos))
      return true;
  }
  return false;
}

const std::vector<renderer>& renderers() {
  static const std::vector<renderer> r = {{"template", {}}, {"device", {"--graphics", "device"}}};
  return r;
}

std::vector<std::string> check_outcome(int status, const std::string& log, const std::string& err) {
  std::vector<std::string> wrong;
  if (status >= 1000) {
    wrong.push_back(status == 1000 + SIGALRM ? "hung (stopped after a minute)"
                                             : "ended by signal " + std::to_string(status - 1000));
    return wrong;
  }
  if (status == 120 || status == 121) {  // runner_process could not enter the folder or start the runner
    wrong.push_back("the runner could not be started");
    return wrong;
  }
  for (const std::string* t : {&log, &err})
    if (t->find("out of memory") != std::string::npos || t->find("malloc limit") != std::string::npos ||
        t->find("rss limit") != std::string::npos)
      wrong.push_back("ran out of its memory (capped at " + std::to_string(kMemoryCapMb) + " MB)");
  for (const std::string* t : {&log, &err})
    if (t->find("Internal error") != std::string::npos)
      wrong.push_back(std::string("an Internal error in the ") + (t == &log ? "log" : "standard error"));
  // Under the sanitizers a report goes to standard error.
  if (err.find("Sanitizer") != std::string::npos || err.find("runtime error:") != std::string::npos)
    wrong.push_back("a sanitizer report on standard error");
  if (const std::size_t at = kes_test::first_non_utf8(log); at != std::string::npos)
    wrong.push_back("the log's byte " + std::to_string(at) + " is not UTF-8");
  const auto control = std::find_if(log.begin(), log.end(), [](char c) {
    return (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t') || c == 0x7F;
  });
  if (control != log.end())
    wrong.push_back("the log's byte " + std::to_string(control - log.begin()) + " is a control character");
  // The exit status is the worst of the steps' (0 for codes to 4, 1 to 999, 2 beyond),
  // or 3 for a program error, which the log says.
  int worst = 0;
  for (long c : step_codes(log)) worst = std::max(worst, c <= 4 ? 0 : c <= 999 ? 1 : 2);
  const bool error_said = log.find("ERROR:") != std::string::npos;
  const bool agrees = status == 3 ? error_said : status == worst && (status != 0 || !error_said);
  if (!agrees)
    wrong.push_back("exit status " + std::to_string(status) + " but the log's steps say " + std::to_string(worst) +
                    (error_said ? " and it holds an ERROR" : " and it holds no ERROR"));
  return wrong;
}

std::vector<std::string> run_and_check(const fs::path& root, const std::string& program, const std::string& data,
                                       const std::string& key, const graph_check& check) {
  std::vector<std::string> wrong;
  const fs::path run = root / "run";
  // The graphs go beside the run's folder and are dropped after each run, held to the
  // rules that hold at any page size only: random page sizes and texts meet the rules
  // of room by the hundred.
  const fs::path graphs = root / "graphs";
  const std::vector<fs::path> folders = {run, graphs};
  for (const renderer& r : renderers()) {
    const std::string run_key = key + "/" + r.name;
    // A run known to fail (a layout without an end) is not run again until its mend.
    if (kes_test::svg_fault_known(run_key, kRuleRunFails)) continue;
    fs::remove_all(run);
    fs::create_directories(run / "lib");
    fs::create_directories(graphs);
    // The data, and data sets of the names programs give to input and output data
    // sets alike, so that an input option finds one.
    for (const fs::path name : {"d.csv", "o1.csv", "o2.csv", "o5.csv", "lib/o3.csv"})
      std::ofstream(run / name, std::ios::binary) << data;
    std::ofstream(run / "prog.kes", std::ios::binary) << program;
    const auto before = snapshot(root, folders);
    std::vector<std::string> args = {"--work",    ".",   "--lib",  "LIB=lib",  "--log",    "log",
                                     "--listing", "lst", "--json", "out.json", "--graphs", graphs.string(),
                                     "--graph-dump", "dump", "--threads", "2"};
    args.insert(args.end(), r.args.begin(), r.args.end());
    args.push_back("prog.kes");
    kes_test::runner_process proc;
    proc.start(run.string(), args, limit_child);
    const int status = proc.wait();
    for (const std::string& w : check_outcome(status, kes_test::slurp(run / "log"), kes_test::slurp(run / "err")))
      wrong.push_back(std::string(r.name) + ": " + w);
    for (const std::string& w : graph_faults(graphs, run / "dump", run_key, program, check))
      wrong.push_back(std::string(r.name) + ": " + w);
    if (check.drawing_statements >= 0 && !kes_test::svg_fault_known(run_key, kRuleGraphMissing)) {
      long files = 0;
      std::error_code ec;
      for (const auto& e : fs::directory_iterator(graphs, ec)) files += e.path().extension() == ".svg" ? 1 : 0;
      if (files < check.drawing_statements && !log_says_graph_not_drawn(kes_test::slurp(run / "log")))
        wrong.push_back(std::string(r.name) + ": " + kRuleGraphMissing + ": " + std::to_string(files) +
                        " graph files for " + std::to_string(check.drawing_statements) +
                        " plot statements, and the log says nothing of why");
    }
    if (snapshot(root, folders) != before)
      wrong.push_back(std::string(r.name) + ": a file outside the run's folders changed");
    fs::remove_all(graphs);
  }
  return wrong;
}

}  // namespace kes_fuzz
