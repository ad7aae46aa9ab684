// Loading the procedure module and connecting to it.
#pragma once
#include <string>

#include "host/host_connection.h"

namespace plat {

struct module_link {
  std::string path;
  const mcn_image* image = nullptr;
  mcn_entry_fn entry = nullptr;  // the connector "qorqkest"'s procedure entry
};

// Loads the module at path (once per process), calls its mcn_main with the host's
// anchor (once per load), checks the image record and finds the connector. On
// failure returns false with a message naming the module and the fault.
bool link_module(const std::string& path, module_link* out, std::string* error);

// Checks an image record and finds the connector's entry; used by link_module.
bool find_entry(const mcn_image* image, mcn_entry_fn* entry, std::string* error);

// Where the runner looks for the module by default: libkestravine.so in the folder
// of the running executable.
std::string default_module_path();

}  // namespace plat
