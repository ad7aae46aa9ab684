// A whole program run through the stand-in, read back from its JSON output.
#include "support/json_run.h"

#include <filesystem>

#include "core/runtime.h"
#include "runner/runner.h"
#include "support/scratch_files.h"
#include "support/test_settings.h"

namespace kes_test {

std::vector<const json*> json_run::tables(const std::string& name) const {
  std::vector<const json*> found;
  for (const json& step : out["steps"].arr)
    for (const json& t : step["outputs"].arr)
      if (t["name"].str == name) found.push_back(&t);
  return found;
}

json_run run_json(const std::string& csv, const std::string& program) {
  scratch_dir dir("json-run");
  dir.write("d.csv", csv);
  dir.write("prog.kes", program);
  json_run r;
  r.status = plat::run({"--module", kes_test::built("libkestravine.so"), "--log", (dir / "log").string(), "--listing",
                        (dir / "lst").string(), "--json", (dir / "out.json").string(), "--graphs", dir.path().string(),
                        "--work", dir.path().string(), (dir / "prog.kes").string()});
  plat::config() = plat::run_config{};
  r.log = slurp(dir / "log");
  r.listing = slurp(dir / "lst");
  r.parsed = parse_json(slurp(dir / "out.json"), r.out);
  for (const auto& f : std::filesystem::directory_iterator(dir.path()))
    if (f.path().extension() == ".csv" && f.path().stem() != "d") r.work[f.path().stem().string()] = slurp(f.path());
  return r;
}

}  // namespace kes_test
