#include "runner/run_files.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include "core/runtime.h"
#include "core/temp_files.h"

namespace plat {
namespace {

namespace fs = std::filesystem;

bool same_file(const struct stat& a, const std::string& path) {
  struct stat b;
  return ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool ends_with(const std::string& s, const char* tail) {
  std::size_t n = std::strlen(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// A data set's file (or its metadata) in one of the run's library folders.
bool is_library_file(const std::string& path, const runner_options& o) {
  std::string name = fs::path(path).filename().string();
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (!ends_with(name, ".csv") && !ends_with(name, ".csv.meta")) return false;
  fs::path folder = fs::path(path).parent_path();
  struct stat f;
  if (::stat(folder.empty() ? "." : folder.c_str(), &f) != 0) return false;
  if (same_file(f, o.work)) return true;
  for (const auto& lib : o.libs)
    if (same_file(f, lib.second)) return true;
  return false;
}

// The JSON document takes its file's place by a rename, which would replace a link, a
// FIFO or a device node (as root even /dev/null) with a plain file: only a regular
// file, or none, may stand there.
bool check_replaceable(const std::string& what, const std::string& path, std::string* error) {
  struct stat st;
  const char* kind = not_replaceable(path);
  if (kind == nullptr || (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))) return true;
  *error = what + "is " + kind + "; the JSON file is moved into place when complete and may only replace a regular file";
  return false;
}

// The system's process and kernel information (/proc, /sys, wherever mounted): some of
// its files take writes even from the run (as root, or its own), which would change the
// system rather than keep a text. Asked of the file written in the end, so that
// /dev/stdout (a link through /proc) is its target; of the folder for a new file.
bool in_system_information(const std::string& path) {
  struct statfs fs_info;
  if (::statfs(path.c_str(), &fs_info) != 0) {
    const fs::path folder = fs::path(path).parent_path();
    if (::statfs(folder.empty() ? "." : folder.c_str(), &fs_info) != 0) return false;
  }
  return fs_info.f_type == PROC_SUPER_MAGIC || fs_info.f_type == SYSFS_MAGIC;
}

bool check_one(const char* option, const std::string& path, bool append_test, const runner_options& o,
               std::string* error) {
  if (path.empty()) return true;
  std::string what = std::string(option) + ": the file '" + path + "' ";
  if (!append_test && !check_replaceable(what, path, error)) return false;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      *error = what + "is a folder";
      return false;
    }
    if (o.program != "-" && same_file(st, o.program)) {
      *error = what + "is the program itself; writing it would destroy the program";
      return false;
    }
    if (is_library_file(path, o)) {
      *error = what + "is a data set file of a library; writing it would destroy the data";
      return false;
    }
  } else if (is_library_file(path, o)) {
    *error = what + "is named as a data set file of a library; a later step would read it as data";
    return false;
  }
  if (in_system_information(path)) {
    *error = what + "cannot be written: it is a file of /proc or /sys, which belong to the system";
    return false;
  }
  // The JSON file is replaced by a rename, which the folder's permission allows even
  // over a file its owner made read-only: such a file is refused as the others are.
  if (!append_test) {
    if (::lstat(path.c_str(), &st) == 0 && ::access(path.c_str(), W_OK) != 0) {
      *error = what + "cannot be written: " + std::strerror(errno);
      return false;
    }
    return true;
  }
  // A FIFO is not tried: its reader would take the trial's end as the end of the run's
  // text, and the run's own open waits for a reader as a FIFO should.
  if (::stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode)) return true;
  // Opened without truncating: a file refused later keeps its text.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0644);
  if (fd < 0) {
    *error = what + "cannot be written: " + std::strerror(errno);
    return false;
  }
  ::close(fd);
  return true;
}

// A character device named as itself (not through a link), such as /dev/null, takes
// any number of writers: several outputs may name it.
bool shared_device(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

// Two outputs of the run naming one file would mix or overwrite each other's text.
bool check_distinct(const std::vector<std::pair<const char*, std::string>>& files, std::string* error) {
  for (std::size_t i = 0; i < files.size(); ++i)
    for (std::size_t j = i + 1; j < files.size(); ++j) {
      if (files[i].second.empty() || files[j].second.empty() || !same_path(files[i].second, files[j].second) ||
          (shared_device(files[i].second) && shared_device(files[j].second)))
        continue;
      *error = std::string(files[j].first) + ": the file '" + files[j].second + "' is also the " + files[i].first +
               " file; two outputs of one run cannot share a file";
      return false;
    }
  return true;
}

}  // namespace

bool check_run_files(const runner_options& o, std::string* error) {
  return check_distinct({{"--log", o.log}, {"--listing", o.listing}, {"--json", o.json}, {"--graph-dump", o.graph_dump}},
                        error) &&
         check_one("--log", o.log, true, o, error) && check_one("--listing", o.listing, true, o, error) &&
         check_one("--json", o.json, false, o, error) && check_one("--graph-dump", o.graph_dump, true, o, error);
}

}  // namespace plat
