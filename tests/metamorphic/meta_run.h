// One program run by the built runner as a user runs it, over CSV data sets written in
// its folder, and what each step left: its return code and warnings from the log, the
// row of its OUTPUT data set, and the parameters of its fitted curves from the JSON
// output.
#pragma once
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kes_meta {

struct step_result {
  long code = -1;                     // the return code the log gives the step
  std::vector<std::string> warnings;  // its WARNING lines, line numbers and data set names masked
  // The OUTPUT row: column name to value, NaN for a missing value.
  std::map<std::string, double> row;
  // Fitted parameters: "variable|Histogram n|family|parameter|symbol" to estimate (fits that
  // could not be made have none), and "variable|Histogram 1|Kernel|n|C" to the c of the
  // n-th kernel estimate (from the step's OUTKERNEL=NAME_kernels).
  std::map<std::string, double> fits;
};

struct program_result {
  int status = -1;  // the runner's exit status (1000 + a signal)
  std::string log, err;  // its log and standard error
  std::map<std::string, step_result> steps;  // by the step's OUTPUT data set name
};

// Writes the data sets (name to CSV text) and the program into a fresh folder below
// root and runs the program there. The program's steps are named step_names, in
// order; step NAME writes OUTPUT OUT=NAME (or no OUTPUT when it only fits curves).
program_result run_steps(const std::filesystem::path& root, const std::map<std::string, std::string>& data,
                         const std::string& program, const std::vector<std::string>& step_names);

// A step over x of data set NAME, weighted by w or not, whose OUTPUT statement writes
// o_NAME with the given statistics ("mean=m", "pctlpts=50 pctlpre=p", ...).
inline std::string output_step(const std::string& name, bool weighted, const std::string& statistics) {
  return "proc kestravine data=" + name + " noprint;\n  var x;\n" + (weighted ? "  weight w;\n" : "") +
         "  output out=o_" + name + " " + statistics + ";\nrun;\n";
}

}  // namespace kes_meta
