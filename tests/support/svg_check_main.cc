// kes_svg_check KEY-PREFIX FILE...: checks graph files against the rules every graph
// keeps (tests/support/svg_rules.h), each by the key KEY-PREFIX + its file name in the
// fault list. Prints each breach not excused; the exit status is 1 when there is one,
// 2 on a file that cannot be read.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "support/scratch_files.h"
#include "support/svg_rules.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: kes_svg_check KEY-PREFIX FILE...\n";
    return 2;
  }
  int status = 0;
  for (int i = 2; i < argc; ++i) {
    const std::filesystem::path file = argv[i];
    if (!std::ifstream(file)) {
      std::cerr << "kes_svg_check: cannot read " << file.string() << "\n";
      return 2;
    }
    const std::string faults =
        kes_test::svg_unexcused_faults(kes_test::slurp(file), argv[1] + file.filename().string());
    if (!faults.empty()) status = 1;
    std::cout << faults;
  }
  return status;
}
