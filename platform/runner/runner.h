// The kestravine runner: runs a program's PROC KESTRAVINE steps through the loaded
// module, with the stand-in host's services behind them.
#pragma once
#include <string>
#include <vector>

namespace plat {

// The runner's exit status: the worst thing that happened in the run.
enum class exit_status : int {
  ok = 0,             // every step ended with return code 0 to 4
  warnings = 1,       // some step ended with a return code from 5 to 999
  step_failed = 2,    // some step ended with a return code of 1000 or more, or below 0
  program_error = 3,  // the program cannot be read, or has statements that cannot run
  usage = 4,          // the command line cannot be used
  module_error = 5,   // the module cannot be loaded or connected
  files_failed = 6,   // the log, listing, JSON or graph dump file could not be written in full
  interrupted = 128,  // plus the signal's number (the interrupt handler exits with it)
};

struct exit_status_info {
  exit_status status;
  const char* meaning;
};
// Every exit status with its meaning, for --help.
const std::vector<exit_status_info>& exit_statuses();

// Exit status for one step's return code.
exit_status status_of_step(int return_code);

// Links what lies below the output system, and the output system below the template
// graphs, to what they tell up: the words of an output-object result, the BY group now
// starting, the drawing of a template graph panel. run() does it first.
void link_layers();

// Runs the runner with these arguments (without the program name) and returns its
// exit status. Messages about the command line go to standard error; everything
// about the program and its steps goes to the log.
int run(const std::vector<std::string>& args);

}  // namespace plat
