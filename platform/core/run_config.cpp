// The run configuration and the program text of the current step.
#include "core/runtime.h"

namespace plat {

run_config& config() {
  static run_config cfg;
  return cfg;
}

step_source& current_step() {
  static step_source src;
  return src;
}

}  // namespace plat
