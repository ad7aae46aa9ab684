// The run configuration, the program text of the current step and the run's link to
// the output system.
#include "core/output_link.h"
#include "core/runtime.h"

namespace plat {

run_config& config() {
  static run_config cfg;
  return cfg;
}

output_link& output_linked() {
  static output_link link;
  return link;
}

step_source& current_step() {
  static step_source src;
  return src;
}

}  // namespace plat
