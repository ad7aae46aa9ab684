// An output data set is a pair of files, NAME.csv and NAME.csv.meta, and a reader finds
// the older pair or the new one whole: never new data with the older metadata (whose
// labels, formats and lengths describe other data) nor the reverse. The runner is
// interrupted by SIGINT, SIGTERM and SIGHUP at delays spread over the whole run and,
// most of all, in the moments when the files take their places; after each run the
// pairs, the exit status and the log's closing line are read.
#include <dirent.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/runner_process.h"
#include "support/scratch_files.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;
using clock_type = std::chrono::steady_clock;
using kes_test::slurp;

// The step writes OUTPUT (a row per BY group) and OUTHISTOGRAM (a row per bin per
// group); the data set labels make the metadata of two runs differ.
std::string program(const std::string& label, int bins) {
  return "proc kestravine data=d noprint; by g; var x;\n"
         "  histogram x / noplot midpoints=0.5 to " + std::to_string(bins) + ".5 by 1\n"
         "    outhistogram=H(label=\"" + label + "\");\n"
         "  output out=O(label=\"" + label + "\") mean=m n=n;\n"
         "run;\n";
}

// groups BY groups of 'per' observations whose values start at 'shift'.
std::string data(int groups, int per, int shift) {
  std::string text = "g,x\n";
  for (int g = 0; g < groups; ++g)
    for (int k = 0; k < per; ++k) text += std::to_string(g) + "," + std::to_string(shift + (g * 7 + k * 3) % 11) + "\n";
  return text;
}

const std::vector<std::string> kPair = {"O.csv", "O.csv.meta", "H.csv", "H.csv.meta"};

// The four files of the two data sets, in kPair's order ("" for one that is missing).
std::vector<std::string> snapshot(const kes_test::scratch_dir& dir) {
  std::vector<std::string> v;
  for (const std::string& f : kPair) v.push_back(fs::exists(dir / f) ? slurp(dir / f) : std::string());
  return v;
}

// The folder's file names that contain part.
std::vector<std::string> names_with(const fs::path& dir, const char* part) {
  std::vector<std::string> v;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d))
      if (std::strstr(e->d_name, part) != nullptr) v.push_back(e->d_name);
    ::closedir(d);
  }
  return v;
}

// Whether the process has not ended; one that has is left to be waited for.
bool running(pid_t pid) {
  siginfo_t info{};
  return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

std::string last_line(const std::string& text) {
  std::string t = text;
  if (!t.empty() && t.back() == '\n') t.pop_back();
  const std::size_t nl = t.rfind('\n');
  return nl == std::string::npos ? t : t.substr(nl + 1);
}

struct size_case {
  int groups, per, bins;  // OUTPUT has 'groups' rows, OUTHISTOGRAM about groups x bins
  int spread;             // delays spread evenly over the whole run
};

// Microseconds after a data set's temporary metadata file appears, which is written
// just before the two renames: they take a few hundred microseconds from there.
const int kNear[] = {0, 25, 50, 75, 100, 125, 150, 200, 250, 300, 400, 500, 700, 1000, 1500};

struct signal_case {
  int sig;
  const char* name;
};

class DataSetPairs : public ::testing::Test {
 protected:
  // Runs the new program and ends it by sig: after 'after' from its start, or, when
  // near >= 0, that many microseconds after the temporary metadata file of data set
  // 'member' appears.
  int interrupted_run(const signal_case& s, clock_type::duration after, const std::string& member, int near) {
    // The kernel says when the temporary metadata file is made (watched from before the
    // run starts, so that no making is missed); polling the folder for it took more
    // CPU than the runs.
    const int watch = near >= 0 ? ::inotify_init1(IN_CLOEXEC) : -1;
    if (watch >= 0) ::inotify_add_watch(watch, dir_.path().c_str(), IN_CREATE);
    proc_.start(dir_.path().string(), {"--log", "log", "--graphics", "none", "new.kes"}, [] { ::alarm(120); });
    const auto start = clock_type::now();
    if (near >= 0) {
      const std::string meta_tmp = "." + member + ".csv.meta.tmp";
      if (watch >= 0) {
        while (!made(watch, meta_tmp) && running(proc_.pid)) {
        }
        ::close(watch);
      } else {
        while (names_with(dir_.path(), meta_tmp.c_str()).empty() && running(proc_.pid)) {
        }
      }
      // The last microseconds are counted out without sleeping, for their precision.
      const auto seen = clock_type::now();
      while (clock_type::now() - seen < std::chrono::microseconds(near)) {
      }
    } else {
      std::this_thread::sleep_until(start + after);
    }
    ::kill(proc_.pid, s.sig);
    return proc_.wait();
  }

  // Whether a file whose name holds part was made in the watched folder within the
  // next 10 ms.
  static bool made(int watch, const std::string& part) {
    pollfd p{watch, POLLIN, 0};
    if (::poll(&p, 1, 10) <= 0) return false;
    alignas(inotify_event) char buf[16384];
    const ssize_t got = ::read(watch, buf, sizeof buf);
    for (ssize_t at = 0; at < got;) {
      const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
      if (e->len > 0 && std::strstr(e->name, part.c_str()) != nullptr) return true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
    }
    return false;
  }

  kes_test::scratch_dir dir_{"pairs"};
  kes_test::runner_process proc_;
};

TEST_F(DataSetPairs, AnInterruptLeavesEachDataSetOldOrNewWhole) {
  const std::vector<size_case> sizes = {
      {10, 3, 1, 8},
      {1000, 3, 10, 8},
      {1000, 3, 1000, 6},
  };
  const std::vector<signal_case> signals = {{SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}};
  const std::string not_written = ": the step in progress did not finish, its output data sets were not written";
  const std::string some_written = ": the step in progress did not finish, only the output data sets it had closed "
                                   "were written";
  std::size_t index = 0;
  for (const size_case& z : sizes) {
    const std::string where = std::to_string(z.groups) + " groups, " + std::to_string(z.bins) + " bins";
    // The older pair, then the new one from a whole run, which also times the run.
    dir_.write("d.csv", data(z.groups / 2 + 1, z.per, 3));
    dir_.write("old.kes", program("older run", z.bins));
    proc_.start(dir_.path().string(), {"--log", "log", "--graphics", "none", "old.kes"}, [] { ::alarm(120); });
    ASSERT_EQ(proc_.wait(), 0) << where << slurp(dir_ / "log");
    const std::vector<std::string> older = snapshot(dir_);
    dir_.write("d.csv", data(z.groups, z.per, 0));
    dir_.write("new.kes", program("new run", z.bins));
    const auto t0 = clock_type::now();
    proc_.start(dir_.path().string(), {"--log", "log", "--graphics", "none", "new.kes"}, [] { ::alarm(120); });
    ASSERT_EQ(proc_.wait(), 0) << where << slurp(dir_ / "log");
    const auto whole = clock_type::now() - t0;
    const std::vector<std::string> newer = snapshot(dir_);
    for (std::size_t f = 0; f < kPair.size(); ++f) ASSERT_NE(older[f], newer[f]) << where << ": " << kPair[f];

    // (member, microseconds) after its metadata appears; ("", -1) for a spread delay.
    std::vector<std::pair<std::string, int>> nears(z.spread, {"", -1});
    for (const char* member : {"O", "H"})
      for (int us : kNear) nears.emplace_back(member, us);
    for (std::size_t k = 0; k < nears.size(); ++k) {
      for (const signal_case& s : signals) {
        if (!kes_test::sanitized_share(index++, 5)) continue;
        for (std::size_t f = 0; f < kPair.size(); ++f) dir_.write(kPair[f], older[f]);
        fs::remove(dir_ / "log");
        const auto after = whole * static_cast<long>(k) / z.spread;
        const auto& [member, near] = nears[k];
        const std::string when = where + ", " + s.name + " " +
                                 (near < 0 ? "at " + std::to_string(k) + "/" + std::to_string(z.spread) + " of the run"
                                           : std::to_string(near) + " us after the metadata of " + member);
        const int status = interrupted_run(s, after, member, near);
        const std::vector<std::string> now = snapshot(dir_);
        const std::string log = slurp(dir_ / "log");
        bool any_new = false;
        for (std::size_t f = 0; f < kPair.size(); f += 2) {
          const bool data_old = now[f] == older[f], data_new = now[f] == newer[f];
          const bool meta_old = now[f + 1] == older[f + 1], meta_new = now[f + 1] == newer[f + 1];
          EXPECT_TRUE((data_old && meta_old) || (data_new && meta_new))
              << when << ": " << kPair[f] << (data_old ? " old" : data_new ? " new" : " neither") << ", "
              << kPair[f + 1] << (meta_old ? " old" : meta_new ? " new" : " neither");
          any_new = any_new || data_new;
        }
        EXPECT_TRUE(names_with(dir_.path(), ".tmp").empty()) << when;
        if (status == 0) {  // the run had ended before the signal came
          EXPECT_EQ(now, newer) << when;
          continue;
        }
        if (status == 1000 + s.sig) {  // it came before the runner could handle it
          EXPECT_EQ(now, older) << when;
          continue;
        }
        ASSERT_EQ(status, 128 + s.sig) << when << "\n" << log;
        const std::string line = last_line(log), head = std::string("ERROR: The run was interrupted by ") + s.name;
        if (line.rfind(head, 0) != 0) {
          // It came before the log was opened or once it was closed at the run's end:
          // standard error has the line.
          EXPECT_TRUE(now == older || now == newer) << when << ": " << line;
          EXPECT_NE(slurp(dir_ / "err").find(std::string("kestravine: The run was interrupted by ") + s.name +
                                             " while no step was running"),
                    std::string::npos)
              << when << ": " << line;
          continue;
        }
        const std::string rest = line.substr(head.size());
        // The closing line never says that no data set was written when one was.
        if (rest.rfind(not_written, 0) == 0) EXPECT_FALSE(any_new) << when;
        else if (rest.rfind(some_written, 0) == 0) EXPECT_TRUE(any_new) << when;
        else EXPECT_EQ(rest.rfind(" while no step was running", 0), 0u) << when << ": " << line;
      }
    }
  }
}

}  // namespace
