// Opening the log and listing files, and the failures of the run's own files.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <utility>

#include <sys/stat.h>

#include "core/core_internal.h"
#include "core/runtime.h"
#include "core/temp_files.h"

namespace plat {
namespace {

std::set<std::string>& failed_files() {
  static std::set<std::string> s;
  return s;
}

}  // namespace

void report_file_failure(const char* what, const std::string& path, const std::string& reason) {
  std::string shown = path.empty() ? (std::string(what) == "log" ? "standard error" : "standard output") : path;
  if (!failed_files().insert(shown).second) return;
  // The JSON file only ever takes a whole document's place: it is not cut short.
  const char* left = std::string(what) == "JSON" ? "the file keeps the last complete document it held"
                                                 : "it is incomplete from there on";
  std::fprintf(stderr, "kestravine: the %s file '%s' could not be written: %s; %s\n", what, shown.c_str(),
               reason.c_str(), left);
}

bool run_file_failed() { return !failed_files().empty(); }
void clear_file_failures() { failed_files().clear(); }

bool same_path(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  const bool has_a = ::stat(a.c_str(), &sa) == 0;
  const int errno_a = errno;
  const bool has_b = ::stat(b.c_str(), &sb) == 0;
  if (has_a && has_b) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  // A file that is there and a name of none are not one file (a new graph file against
  // the log, for every graph): only names of no file are compared as paths.
  if (has_a != has_b && (has_a ? errno : errno_a) == ENOENT) return false;
  std::error_code ea, eb;
  const std::filesystem::path pa = std::filesystem::weakly_canonical(std::filesystem::absolute(a), ea);
  const std::filesystem::path pb = std::filesystem::weakly_canonical(std::filesystem::absolute(b), eb);
  return !ea && !eb && pa == pb;
}

const char* run_file_at(const std::string& path) {
  const run_config& c = config();
  const std::pair<const char*, const std::string*> files[] = {
      {"program", &c.program_path}, {"log", &c.log_path},          {"listing", &c.listing_path},
      {"JSON", &c.json_path},       {"graph dump", &c.graph_dump_path}};
  for (const auto& [what, p] : files)
    if (!p->empty() && same_path(*p, path)) return what;
  return nullptr;
}

std::string folder_problem(const std::string& folder) {
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0) return errno == ENOENT ? "does not exist" : std::strerror(errno);
  if (S_ISDIR(st.st_mode)) return {};
  return S_ISREG(st.st_mode) ? "is a file, not a folder" : "is not a folder";
}

namespace core {

std::FILE* open_output(const std::string& path, std::FILE* fallback, const char* what) {
  const bool log = std::string(what) == "log";
  // A log on standard error takes an interrupt's closing line there, as a log file does.
  if (path.empty()) {
    if (log) set_interrupt_log(fileno(fallback));
    return fallback;
  }
  // Opening empties the file: an interrupt between that and the handler's learning of
  // it would write its closing line to standard error alone, the log left empty. The
  // interrupt waits until the handler knows the log.
  std::optional<interrupts_held> hold;
  if (log) hold.emplace();
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (f) {
    if (log) set_interrupt_log(fileno(f));
    return f;
  }
  // The runner refuses paths it cannot open before the program runs; this is the
  // rare file that went away in between.
  report_file_failure(what, path, std::strerror(errno));
  if (log) set_interrupt_log(fileno(fallback));
  return fallback;
}

void check_written(std::FILE* f, const char* what, const std::string& path) {
  if (std::fflush(f) != 0 || std::ferror(f)) {
    report_file_failure(what, path, std::strerror(errno != 0 ? errno : EIO));
    std::clearerr(f);
  }
}

}  // namespace core
}  // namespace plat
