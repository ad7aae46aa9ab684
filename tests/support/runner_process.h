// The built runner as a real process in a scratch folder: started with a hook that
// runs in the child before exec (its PID is the runner's), waited for or signalled.
#pragma once
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/scratch_files.h"
#include "support/svg_rules.h"
#include "support/test_settings.h"

namespace kes_test {

struct runner_process {
  pid_t pid = -1;
  std::string dir;  // the folder it runs in

  // Runs the build tree's kestravine with args in folder dir; standard output and
  // error go to dir/out and dir/err. 'in_child' runs after fork, before exec.
  void start(const std::string& dir, const std::vector<std::string>& args,
             const std::function<void()>& in_child = {}) {
    std::string bin = kes_test::built("kestravine");
    this->dir = dir;
    pid = ::fork();
    if (pid != 0) return;
    if (::chdir(dir.c_str()) != 0) ::_exit(120);
    int out = ::open("out", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = ::open("err", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(out, 1);
    ::dup2(err, 2);
    // Made before the hook, which may limit the memory the child can take.
    std::vector<char*> argv{bin.data()};
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (in_child) in_child();
    ::execv(bin.c_str(), argv.data());
    ::_exit(121);
  }
  // The exit status, or 1000 + the signal that ended it. The graphs a finished run
  // leaves in its folder are checked against the rules every graph keeps.
  int wait() {
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    pid = -1;
    if (WIFEXITED(raw)) expect_graph_rules(dir);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 1000 + WTERMSIG(raw);
  }
  // Waits (at most a minute) until ready() holds while the process still runs.
  bool wait_until(const std::function<bool()>& ready) {
    for (int i = 0; i < 60000; ++i) {
      if (ready()) return true;
      if (::waitpid(pid, nullptr, WNOHANG) != 0) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }
};

// The names of the SVG files in a folder, sorted.
inline std::vector<std::string> svg_files(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    if (e.path().extension() == ".svg") names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A file-size limit of 'bytes' on every file the child writes.
inline void limit_file_size(rlim_t bytes) {
  struct rlimit lim;
  ::getrlimit(RLIMIT_FSIZE, &lim);
  lim.rlim_cur = bytes;
  ::setrlimit(RLIMIT_FSIZE, &lim);
}

// Writes the program to prog.kes in the folder and runs it there with args before its
// name; a run that hangs is ended by SIGALRM after two minutes. The exit status.
inline int run_program(runner_process& proc, const scratch_dir& dir, const std::string& program,
                       std::vector<std::string> args) {
  dir.write("prog.kes", program);
  args.push_back("prog.kes");
  proc.start(dir.path().string(), args, [] { ::alarm(120); });
  return proc.wait();
}

// The offset of the first byte of text that is not part of a UTF-8 character (a cut,
// overlong or surrogate form included), or npos when text is all UTF-8.
inline std::size_t first_non_utf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const int extra = c < 0x80 ? 0 : c >> 5 == 0x6 ? 1 : c >> 4 == 0xE ? 2 : c >> 3 == 0x1E ? 3 : -1;
    if (extra < 0 || text.size() - i <= static_cast<std::size_t>(extra)) return i;
    char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const unsigned char d = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if (d >> 6 != 0x2) return i;
      cp = cp << 6 | (d & 0x3F);
    }
    const char32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (cp < least[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return i;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return std::string::npos;
}

// Runs the program in the folder as run_program does, drawn by 'renderer' (template or
// device): the log and listing in files log and lst, the graphs in a fresh folder g,
// the template graphs' data in file dump. The exit status.
inline int run_with_graphs(const scratch_dir& dir, const std::string& program, const std::string& renderer) {
  std::filesystem::remove_all(dir / "g");
  std::filesystem::create_directories(dir / "g");
  runner_process p;
  return run_program(p, dir, program,
                     {"--log", "log", "--listing", "lst", "--graphs", "g", "--graph-dump", "dump", "--graphics", renderer});
}

}  // namespace kes_test
