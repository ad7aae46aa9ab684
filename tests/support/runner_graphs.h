// A program run through the built runner in one renderer, its graphs read back: the
// runner tests that hold every graph of a table of programs to a rule share it.
#pragma once
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "support/scratch_files.h"
#include "support/test_settings.h"

namespace kes_test {

// Runs the program in dir (its data sets there) with the renderer given ("template",
// "device"); the graph files' contents by name. *status: the runner's exit status (-1
// when it did not exit); *log: its log and error output.
inline std::vector<std::pair<std::string, std::string>> run_graphs(const std::filesystem::path& dir,
                                                                   const std::string& program,
                                                                   const std::string& renderer, int* status,
                                                                   std::string* log) {
  namespace fs = std::filesystem;
  const fs::path out = dir / "g";
  fs::remove_all(out);
  fs::create_directories(out);
  std::ofstream(dir / "p.kes") << program;
  const std::string cmd = "cd '" + dir.string() + "' && '" + kes_test::built("kestravine") + "' --graphics " +
                          renderer + " --graphs g --work . --listing lst --log log p.kes >/dev/null 2>err";
  const int raw = std::system(cmd.c_str());
  *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  *log = slurp(dir / "log") + slurp(dir / "err");
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& e : fs::directory_iterator(out))
    if (e.path().extension() == ".svg") files.emplace_back(e.path().filename().string(), slurp(e.path()));
  return files;
}

// A program run on the data set d (its CSV text) in one renderer: the runner's exit
// status, its log and error output, and the graph files by name.
struct drawn_run {
  int status = -1;
  std::string log;
  std::vector<std::pair<std::string, std::string>> files;
};
inline drawn_run run_on_data(const std::filesystem::path& dir, const std::string& csv, const std::string& program,
                             const std::string& renderer) {
  std::ofstream(dir / "d.csv", std::ios::binary) << csv;
  drawn_run d;
  d.files = run_graphs(dir, program, renderer, &d.status, &d.log);
  return d;
}

}  // namespace kes_test
