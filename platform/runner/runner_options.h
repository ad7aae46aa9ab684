// The runner's command line: one table drives both the parsing and --help.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace plat {

struct runner_options {
  std::string program;                                    // a file, or "-" for standard input
  std::string work = ".";                                 // the WORK library folder
  std::vector<std::pair<std::string, std::string>> libs;  // upper-case name, folder
  std::vector<std::string> sysopts;                       // NAME=VALUE, in order
  std::string listing, log, json, graphs, graph_dump, module;
  std::string graphics = "template";                      // template, device or none
  long memcap = 0;
  bool parse_dump = false;
  bool help = false;
  bool version = false;
};

// Parses the arguments; on failure returns false with a message naming the option.
bool parse_command_line(const std::vector<std::string>& args, runner_options* out, std::string* error);
std::string help_text();
std::string version_text();

// A library name: 1 to 8 letters, digits or underscores, not starting with a digit.
bool valid_libref(const std::string& name);

}  // namespace plat
