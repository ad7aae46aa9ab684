#include "metamorphic/meta_run.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <regex>

#include "support/runner_process.h"
#include "support/json_reader.h"
#include "support/scratch_files.h"

namespace kes_meta {
namespace {

namespace fs = std::filesystem;

// A CSV number as the data set wrote it: "." (or any missing code) is NaN.
double csv_number(const std::string& cell) {
  char* end = nullptr;
  const double v = std::strtod(cell.c_str(), &end);
  return end != cell.c_str() && *end == '\0' ? v : std::nan("");
}

std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> cells;
  std::size_t at = 0;
  for (std::size_t comma; (comma = line.find(',', at)) != std::string::npos; at = comma + 1)
    cells.push_back(line.substr(at, comma - at));
  cells.push_back(line.substr(at));
  return cells;
}

// The first row of an OUTPUT data set, by column name.
std::map<std::string, double> read_row(const fs::path& file) {
  std::map<std::string, double> row;
  std::ifstream in(file);
  std::string header, values;
  if (!std::getline(in, header) || !std::getline(in, values)) return row;
  const std::vector<std::string> names = split(header), cells = split(values);
  for (std::size_t i = 0; i < names.size() && i < cells.size(); ++i) row[names[i]] = csv_number(cells[i]);
  return row;
}

// A warning as it reads whatever lines and data set the step had.
std::string masked(const std::string& warning) {
  static const std::regex line_numbers(R"(lines? [0-9]+(-[0-9]+)?)"), data_set(R"(WORK\.[A-Z0-9_]+)");
  return std::regex_replace(std::regex_replace(warning, line_numbers, "line #"), data_set, "WORK.#");
}

}  // namespace

program_result run_steps(const fs::path& root, const std::map<std::string, std::string>& data,
                         const std::string& program, const std::vector<std::string>& step_names) {
  program_result r;
  const fs::path run = root / "run";
  fs::remove_all(run);
  fs::create_directories(run / "g");
  for (const auto& [name, csv] : data) std::ofstream(run / (name + ".csv"), std::ios::binary) << csv;
  std::ofstream(run / "prog.kes", std::ios::binary) << program;
  kes_test::runner_process proc;
  proc.start(run.string(), {"--work", ".", "--log", "log", "--listing", "lst", "--json", "out.json", "--graphs", "g",
                            "--threads", "2", "prog.kes"},
             [] { ::alarm(120); });
  r.status = proc.wait();
  r.log = kes_test::slurp(run / "log");
  r.err = kes_test::slurp(run / "err");

  // The log's steps in order: each ends with its return code.
  const std::string mark = "ended with return code ";
  std::size_t from = 0;
  for (const std::string& name : step_names) {
    step_result& s = r.steps[name];
    const std::size_t end = r.log.find(mark, from);
    if (end == std::string::npos) break;
    s.code = std::strtol(r.log.c_str() + end + mark.size(), nullptr, 10);
    for (std::size_t at = r.log.find("WARNING:", from); at != std::string::npos && at < end;
         at = r.log.find("WARNING:", at + 1))
      s.warnings.push_back(masked(r.log.substr(at, r.log.find('\n', at) - at)));
    from = r.log.find('\n', end);
    s.row = read_row(run / (name + ".csv"));
  }

  // The kernel estimates' c values, from the OUTKERNEL data set NAME_kernels: the
  // n-th estimate of a variable is "variable|Histogram 1|Kernel|n|C".
  for (const std::string& name : step_names) {
    std::ifstream in(run / (name + "_kernels.csv"));
    std::string line;
    if (!std::getline(in, line)) continue;
    const std::vector<std::string> header = split(line);
    const auto column = [&](const char* n) {
      return static_cast<std::size_t>(std::find(header.begin(), header.end(), n) - header.begin());
    };
    const std::size_t var = column("_VAR_"), c = column("_C_");
    std::map<std::string, std::vector<std::string>> seen;  // variable to its c texts in order
    while (std::getline(in, line)) {
      const std::vector<std::string> cells = split(line);
      if (var >= cells.size() || c >= cells.size()) continue;
      std::vector<std::string>& cs = seen[cells[var]];
      if (std::find(cs.begin(), cs.end(), cells[c]) != cs.end()) continue;
      cs.push_back(cells[c]);
      r.steps[name].fits[cells[var] + "|Histogram 1|Kernel|" + std::to_string(cs.size()) + "|C"] = csv_number(cells[c]);
    }
  }

  // The fitted parameters, from the JSON tables, by the step they stand in.
  kes_test::json out;
  if (kes_test::parse_json(kes_test::slurp(run / "out.json"), out)) {
    const auto& json_steps = out["steps"].arr;
    for (std::size_t i = 0; i < json_steps.size() && i < step_names.size(); ++i)
      for (const kes_test::json& t : json_steps[i]["outputs"].arr) {
        if (t["name"].str != "ParameterEstimates") continue;
        const std::string key =
            t["variable"].str + "|" + t["groups"][1]["label"].str + "|" + t["groups"][2]["name"].str;
        for (const kes_test::json& row : t["rows"].arr)
          r.steps[step_names[i]].fits[key + "|" + row["Parameter"].str + "|" + row["Symbol"].str] = row["Estimate"].cell();
      }
  }
  return r;
}

}  // namespace kes_meta
