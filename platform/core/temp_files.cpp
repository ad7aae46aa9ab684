#include "core/temp_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>

namespace plat {
namespace {

// Fixed room the signal handler can walk without taking locks or memory: a path
// is published by setting 'used' after its text is complete.
constexpr int kSlots = 256;
constexpr std::size_t kPathMax = 4096;
struct slot {
  volatile sig_atomic_t used;
  char path[kPathMax];
};
slot slots[kSlots];
volatile sig_atomic_t log_fd = -1;
volatile sig_atomic_t in_step = 0;
volatile sig_atomic_t output_placed = 0;

// The signals the runner handles.
constexpr int kHandled[] = {SIGINT, SIGTERM, SIGHUP};

void put(int fd, const char* s) {
  if (fd < 0) return;
  std::size_t n = std::strlen(s);
  while (n > 0) {
    ssize_t w = ::write(fd, s, n);
    if (w <= 0) return;
    s += w;
    n -= static_cast<std::size_t>(w);
  }
}

extern "C" void on_interrupt(int sig) {
  for (slot& s : slots)
    if (s.used) ::unlink(s.path);
  const char* name = sig == SIGINT ? "SIGINT" : sig == SIGTERM ? "SIGTERM" : "SIGHUP";
  char line[256] = "ERROR: The run was interrupted by ";
  std::strcat(line, name);
  std::strcat(line, !in_step       ? " while no step was running: no later step ran, and its temporary files were "
                                      "removed.\n"
                    : output_placed ? ": the step in progress did not finish, only the output data sets it had closed "
                                      "were written and its temporary files were removed.\n"
                                    : ": the step in progress did not finish, its output data sets were not written "
                                      "and its temporary files were removed.\n");
  put(log_fd, line);
  // A log on standard error has had the line already.
  if (log_fd != STDERR_FILENO) {
    put(STDERR_FILENO, "kestravine: ");
    put(STDERR_FILENO, line + 7);
  }
  ::_exit(128 + sig);
}

// The PID in ".NAME.tmpPID_..." or 0 when name is not such a temporary file.
long temp_owner(const char* name) {
  if (name[0] != '.') return 0;
  const char* t = nullptr;
  for (const char* p = std::strstr(name, ".tmp"); p != nullptr; p = std::strstr(p + 1, ".tmp")) t = p;
  if (t == nullptr) return 0;
  long pid = 0;
  const char* d = t + 4;
  if (*d < '0' || *d > '9') return 0;
  for (; *d >= '0' && *d <= '9'; ++d) pid = pid * 10 + (*d - '0');
  return *d == '_' && pid > 0 ? pid : 0;
}

}  // namespace

int create_temp_file(const std::string& target, std::string* path) {
  static std::atomic<unsigned> serial{0};
  std::filesystem::path t(target);
  std::string stem = (t.parent_path() / ("." + t.filename().string() + ".tmp" + std::to_string(::getpid()) + "_")).string();
  for (int tries = 0; tries < 1000; ++tries) {
    std::string name = stem + std::to_string(serial++);
    // Listed before it exists: an interrupt that comes as the file is made still
    // removes it.
    temp_files_add(name);
    int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0) {
      *path = name;
      return fd;
    }
    int why = errno;
    temp_files_remove(name);
    errno = why;
    if (why != EEXIST) return -1;
  }
  return -1;
}

bool write_temp_file(const std::string& target, const std::string& text, std::string* path, std::string* error) {
  path->clear();
  int fd = create_temp_file(target, path);
  if (fd < 0) {
    *error = std::strerror(errno);
    return false;
  }
  const char* p = text.data();
  std::size_t left = text.size();
  bool ok = true;
  while (ok && left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      ok = false;
      break;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  if (!ok) *error = std::strerror(errno);
  if (::close(fd) != 0 && ok) {
    ok = false;
    *error = std::strerror(errno);
  }
  if (!ok) {
    ::unlink(path->c_str());
    temp_files_remove(*path);
  }
  return ok;
}

const char* not_replaceable(const std::string& target) {
  struct stat st;
  if (::lstat(target.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return nullptr;
  return S_ISLNK(st.st_mode)                           ? "a symbolic link"
         : S_ISFIFO(st.st_mode)                        ? "a FIFO"
         : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)  ? "a device"
         : S_ISDIR(st.st_mode)                         ? "a folder"
                                                       : "not a regular file";
}

std::string replace_refusal(const std::string& target) {
  const char* kind = not_replaceable(target);
  return kind == nullptr ? std::string() : std::string("it is ") + kind + ", which is never replaced";
}

bool replace_file(const std::string& target, const std::string& text, std::string* error) {
  *error = replace_refusal(target);
  if (!error->empty()) return false;
  // Once a process per folder: the files runs killed outright left there go.
  static std::set<std::string> cleaned;
  const std::string folder = std::filesystem::path(target).parent_path().string();
  if (cleaned.insert(folder).second) remove_stale_temp_files(folder.empty() ? "." : folder);
  std::string tmp;
  if (!write_temp_file(target, text, &tmp, error)) return false;
  // Checked again: something put there while the file was written is kept too.
  *error = replace_refusal(target);
  if (error->empty() && ::rename(tmp.c_str(), target.c_str()) != 0) *error = std::strerror(errno);
  const bool ok = error->empty();
  if (!ok) ::unlink(tmp.c_str());
  temp_files_remove(tmp);
  return ok;
}

bool sync_folder_of(const std::string& target) {
  const std::filesystem::path folder = std::filesystem::path(target).parent_path();
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  const int why = errno;
  ::close(fd);
  errno = why;
  return ok;
}

void temp_files_add(const std::string& path) {
  if (path.size() >= kPathMax) return;  // not listed: removed by a later run
  for (slot& s : slots) {
    if (s.used) continue;
    std::memcpy(s.path, path.c_str(), path.size() + 1);
    s.used = 1;
    return;
  }
}

void temp_files_remove(const std::string& path) {
  for (slot& s : slots)
    if (s.used && path == s.path) s.used = 0;
}

void remove_stale_temp_files(const std::string& folder) {
  DIR* d = ::opendir(folder.c_str());
  if (d == nullptr) return;
  while (dirent* e = ::readdir(d)) {
    long pid = temp_owner(e->d_name);
    if (pid == 0 || pid == ::getpid()) continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;  // still running, or not ours to judge
    ::unlinkat(::dirfd(d), e->d_name, 0);
  }
  ::closedir(d);
}

void install_interrupt_handlers() {
  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sa_handler = on_interrupt;
  sigfillset(&sa.sa_mask);
  for (int sig : kHandled) ::sigaction(sig, &sa, nullptr);
  ::signal(SIGXFSZ, SIG_IGN);
}

void set_interrupt_log(int fd) { log_fd = fd; }

void set_interrupt_in_step(bool running) {
  in_step = running ? 1 : 0;
  output_placed = 0;
}

void set_interrupt_output_placed() { output_placed = 1; }

// The calling thread is the only one while files take their places (worker threads
// live within one parallel loop), so a signal sent to the process waits for it.
interrupts_held::interrupts_held() {
  sigset_t held;
  sigemptyset(&held);
  for (int sig : kHandled) sigaddset(&held, sig);
  ::pthread_sigmask(SIG_BLOCK, &held, &before_);
}

interrupts_held::~interrupts_held() { ::pthread_sigmask(SIG_SETMASK, &before_, nullptr); }

}  // namespace plat
