#include "parse_test_util.h"
#include "support/scratch_files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <unistd.h>

#include "runner/host_table.h"
#include "core/runtime.h"
#include "host/kes_gramdesc.h"
#include "host/kes_stmt.h"
#include "driver/xsparse.h"
#include "host/host_services.h"
#include "parse/parser.h"

namespace parse_test {
namespace {

namespace fs = std::filesystem;

void write(const fs::path& p, const std::string& text) {
  std::ofstream f(p);
  f << text;
}

bool in_step = false;

// Ends the step of the last parse when the tests are done, so that its data sets
// and pools are released.
class step_cleanup : public ::testing::Environment {
 public:
  void TearDown() override {
    if (in_step) plat::finish_step();
    in_step = false;
  }
};
::testing::Environment* const cleanup = ::testing::AddGlobalTestEnvironment(new step_cleanup);

}  // namespace

const std::string& work_folder() {
  static std::string folder = [] {
    // Under the scratch folder of the process, removed at its end.
    static const kes_test::scratch_dir scratch("parse-test");
    const fs::path d = scratch.path();
    // Variables, in order: 0 name (char), 1 sex (char), 2 age, 3 height, 4 weight,
    // 5 x1, 6 x2, 7 x3, 8 y01, 9 y02, 10 grp (char), 11 normal, 12 mean.
    write(d / "class.csv",
          "name,sex,age,height,weight,x1,x2,x3,y01,y02,grp,normal,mean\n"
          "Alfred,M,14,69,112.5,1,2,3,4,5,A,1,2\n"
          "Alice,F,13,56.5,84,1,2,3,4,5,B,1,2\n");
    write(d / "anno.csv", "x,y,xsys,ysys,function\n1,2,2,2,label\n");
    write(d / "insds.csv", "_label_,_value_\nN,10\n");
    return d.string();
  }();
  return folder;
}

result parse(const std::string& text, const std::string& file, int first_line, int first_column) {
  if (v_global_gcb_anchor == nullptr) v_global_gcb_anchor = plat::anchor();
  if (in_step) plat::finish_step();
  plat::begin_step();
  in_step = true;
  plat::config().libraries["WORK"] = work_folder();
  plat::step_source& src = plat::current_step();
  src.file = file;
  src.text = text;
  src.first_line = first_line;
  src.first_column = first_column;
  kes_gramdesc* d = kesg();
  result r;
  r.errors = xsparse(d, nullptr);
  r.status = *xspstat();
  r.dump = plat::parse_dump(r.status.first);
  r.messages = plat::parse_messages();
  return r;
}

const kes_stmt* first_node() { return xspstat()->first; }

}  // namespace parse_test
