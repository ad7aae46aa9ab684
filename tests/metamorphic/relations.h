// The relations between the runs of one data set and of its transformed copies, each a
// name, when it applies, and the faults it finds in the runs' results.
#pragma once
#include <string>
#include <vector>

#include "metamorphic/meta_case.h"
#include "metamorphic/meta_run.h"

namespace kes_meta {

struct relation {
  const char* name;
  bool (*applies)(const meta_case&);
  std::vector<std::string> (*faults)(const meta_case&, const program_result&);
};

const std::vector<relation>& relations();

}  // namespace kes_meta
