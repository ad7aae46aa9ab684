// kestravine [options] PROGRAM: see --help.
#include "runner/runner.h"

int main(int argc, char** argv) {
  return plat::run(std::vector<std::string>(argv + 1, argv + argc));
}
