#include "support/test_settings.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace kes_test {

bool under_sanitizers() {
  // The address sanitizer's runtime is in the process only where the program was linked
  // with it.
  static const bool linked = ::dlsym(RTLD_DEFAULT, "__asan_init") != nullptr;
  return linked;
}

static std::string find_binary_dir() {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    for (fs::path dir = self.parent_path(); !dir.empty(); dir = dir.parent_path()) {
      if (fs::exists(dir / "CMakeCache.txt", ec)) return dir.string();
      if (dir == dir.root_path()) break;
    }
  }
  // Every test depends on it: better a clear stop than a run of unclear failures.
  std::fprintf(stderr, "test program %s: no build tree (CMakeCache.txt) above it\n", self.c_str());
  std::abort();
}

const std::string& binary_dir() {
  static const std::string dir = find_binary_dir();
  return dir;
}

std::string built(const char* name) { return binary_dir() + "/" + name; }

}  // namespace kes_test
