// kestravine [options] PROGRAM: see --help.
#include "core/temp_files.h"
#include "runner/runner.h"

int main(int argc, char** argv) {
  plat::install_interrupt_handlers();
  return plat::run(std::vector<std::string>(argv + 1, argv + argc));
}
