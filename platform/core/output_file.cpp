// Opening the log and listing files.
#include <cerrno>
#include <cstring>

#include "core/core_internal.h"

namespace plat::core {

std::FILE* open_output(const std::string& path, std::FILE* fallback, const char* what) {
  if (path.empty()) return fallback;
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (f) return f;
  std::fprintf(stderr, "kestravine: cannot write the %s file '%s': %s; writing it to %s\n", what,
               path.c_str(), std::strerror(errno), fallback == stdout ? "standard output" : "standard error");
  return fallback;
}

}  // namespace plat::core
