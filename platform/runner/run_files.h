// The files the run itself writes (log, listing, JSON), checked before the program
// runs: each must be writable, and none may be the program or a data set file.
#pragma once
#include <string>

#include "runner/runner_options.h"

namespace plat {

// False with a message naming the option, the file and the reason when one of the
// run's files cannot be used.
bool check_run_files(const runner_options& o, std::string* error);

}  // namespace plat
