// The built runner with the real module, attacked as a hostile or unlucky user would:
// files that fill up or cannot be written, planted links, interruptions and kills.
// A run whose output is incomplete never exits with status 0, and an older good file
// is never replaced by a partial one. Statements and data that once failed silently
// (and unusual line ends and encodings) are the example program quiet_faults.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/output_test_support.h"
#include "support/runner_process.h"
#include "support/scratch_files.h"

namespace {

using kes_test::slurp;
namespace fs = std::filesystem;

class RunnerFaults : public ::testing::Test {
 protected:
  // Runs the program with the log and listing in the folder; 'in_child' runs in the
  // runner's process before exec. A run that hangs is ended by SIGALRM.
  int run(const std::string& program, std::vector<std::string> extra = {},
          const std::function<void()>& in_child = {}) {
    start(program, std::move(extra), in_child);
    return finish();
  }
  void start(const std::string& program, std::vector<std::string> extra = {},
             const std::function<void()>& in_child = {}) {
    dir_.write("prog.kes", program);
    std::vector<std::string> args = {"--log", "log", "--listing", "lst"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back("prog.kes");
    proc_.start(dir_.path().string(), args, [in_child] {
      ::alarm(120);
      if (in_child) in_child();
    });
  }
  int finish() {
    int status = proc_.wait();
    log_ = slurp(dir_ / "log");
    err_ = slurp(dir_ / "err");
    return status;
  }
  // groups BY groups of three observations: g,x.
  void write_groups(const std::string& name, int groups) {
    std::string text = "g,x\n";
    for (int g = 0; g < groups; ++g)
      for (int k = 0; k < 3; ++k) text += std::to_string(g) + "," + std::to_string((g * 7 + k * 3) % 11) + "\n";
    dir_.write(name, text);
  }
  // Names of the folder's files that contain part.
  std::vector<std::string> files_with(const std::string& part) const {
    std::vector<std::string> v;
    std::error_code ec;  // files come and go while the runner works
    for (auto it = fs::directory_iterator(dir_.path(), ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
      std::string n = it->path().filename().string();
      if (n.find(part) != std::string::npos) v.push_back(n);
    }
    return v;
  }
  bool has(const std::string& text) const { return log_.find(text) != std::string::npos; }
  // Whether the process sleeps (state S of /proc/PID/stat): waiting for input, not
  // running nor ready to run.
  static bool asleep(pid_t pid) {
    const std::string stat = slurp("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'S';
  }
  // Once the growing JSON document of the run started with --json j.json passes
  // 'bytes', kills the run outright and reads what j.json holds: false when that is
  // no complete document.
  bool kill_after_json_grows(std::uintmax_t bytes, out_test::jvalue* doc) {
    const bool grew = proc_.wait_until([&] {
      for (const std::string& n : files_with(".j.json.tmp"))
        if (std::error_code ec; fs::file_size(dir_ / n, ec) > bytes && !ec) return true;
      return false;
    });
    ::kill(proc_.pid, SIGKILL);
    EXPECT_EQ(finish(), 1000 + SIGKILL);
    const std::string text = slurp(dir_ / "j.json");
    const bool whole = out_test::parse_json(text, *doc);
    EXPECT_TRUE(whole) << text.substr(text.size() > 200 ? text.size() - 200 : 0);
    return grew && whole;
  }

  kes_test::scratch_dir dir_{"faults"};
  kes_test::runner_process proc_;
  std::string log_, err_;
};

const char* const kOutputStep = "proc kestravine data=big noprint; by g; var x; output out=O mean=m; run;\n";

TEST_F(RunnerFaults, AFifoAsADataSetIsRefusedWithoutBlocking) {
  ASSERT_EQ(::mkfifo((dir_ / "d.csv").c_str(), 0600), 0);
  EXPECT_EQ(run("proc kestravine data=d; var x; run;\n"), 2);
  EXPECT_TRUE(has("is not a regular file")) << log_;
}

TEST_F(RunnerFaults, AFullDiskFailsTheStepAndKeepsTheOlderDataSet) {
  write_groups("big.csv", 4000);
  dir_.write("O.csv", "M\n1\n");
  // SIGXFSZ is ignored by the runner: the limit is a write error, not a kill.
  EXPECT_EQ(run(kOutputStep, {}, [] { kes_test::limit_file_size(20000); }), 2) << log_ << err_;
  EXPECT_TRUE(has("failed: File too large. The data set WORK.O was not written")) << log_;
  EXPECT_TRUE(has("ended with return code 1020")) << log_;
  EXPECT_EQ(slurp(dir_ / "O.csv"), "M\n1\n");
  EXPECT_TRUE(files_with(".tmp").empty());
}

TEST_F(RunnerFaults, AnOutputWhosePathIsAFolderFailsTheStep) {
  write_groups("big.csv", 3);
  fs::create_directory(dir_ / "O.csv");
  EXPECT_EQ(run(kOutputStep), 2) << log_;
  EXPECT_TRUE(has("could not take its place: it is a folder, which is never replaced")) << log_;
  EXPECT_TRUE(files_with(".tmp").empty());
}

TEST_F(RunnerFaults, TheRunsOwnFilesOnAFullDiskSetExitStatus6) {
  write_groups("big.csv", 200);
  const char* printed = "proc kestravine data=big; by g; var x; run;\n";
  // The listing on a full device.
  dir_.write("prog.kes", printed);
  proc_.start(dir_.path().string(), {"--log", "log", "--listing", "/dev/full", "prog.kes"});
  EXPECT_EQ(finish(), 6) << err_;
  EXPECT_NE(err_.find("the listing file '/dev/full' could not be written: No space left on device"), std::string::npos)
      << err_;
  // The JSON past a size limit: an older document or none, never a partial one.
  EXPECT_EQ(run(printed, {"--json", "j.json"}, [] { kes_test::limit_file_size(60000); }), 6) << err_;
  EXPECT_NE(err_.find("the JSON file 'j.json' could not be written: File too large; the file keeps the last "
                      "complete document it held"),
            std::string::npos)
      << err_;
  out_test::jvalue doc;
  std::string text = slurp(dir_ / "j.json");
  EXPECT_TRUE(out_test::parse_json(text, doc)) << text.substr(0, 200);
  EXPECT_EQ(text.find('\0'), std::string::npos);
  EXPECT_TRUE(files_with(".tmp").empty());
}

TEST_F(RunnerFaults, UnusableRunFilesAreRefusedBeforeAnythingRuns) {
  write_groups("big.csv", 3);
  const std::string data = slurp(dir_ / "big.csv");
  struct row {
    std::vector<std::string> args;
    const char* says;
  };
  const row rows[] = {
      {{"--json="}, "option --json wants FILE, not an empty text"},
      {{"--json", "big.csv"}, "--json: the file 'big.csv' is a data set file of a library"},
      {{"--json", "./BIG.CSV"}, "is a data set file of a library"},
      {{"--json", "no/such/folder/j.json"}, "--json: the file 'no/such/folder/j.json' cannot be written: No such file"},
      {{"--listing", "prog.kes"}, "--listing: the file 'prog.kes' is the program itself"},
      {{"--log", "."}, "--log: the file '.' is a folder"},
      {{"--log", "/proc/kestravine.log"}, "--log: the file '/proc/kestravine.log' cannot be written"},
  };
  for (const row& r : rows) {
    if (r.args[0] == "--json" && r.args[1] == "./BIG.CSV") dir_.write("BIG.CSV", "g,x\n1,2\n");
    dir_.write("prog.kes", kOutputStep);
    std::vector<std::string> args = r.args;
    args.push_back("prog.kes");
    proc_.start(dir_.path().string(), args);
    EXPECT_EQ(finish(), 4) << r.says;
    EXPECT_NE(err_.find(r.says), std::string::npos) << err_;
    EXPECT_EQ(slurp(dir_ / "big.csv"), data);
    EXPECT_EQ(slurp(dir_ / "prog.kes"), kOutputStep);
    EXPECT_FALSE(fs::exists(dir_ / "O.csv")) << r.says;  // nothing ran
  }
}

// WHERE= was parsed and evaluated by recursion: a long OR chain, many NOTs or deep
// parentheses ran the runner out of stack (SIGSEGV).
TEST_F(RunnerFaults, DeepOrLongWhereConditionsNeverCrash) {
  dir_.write("d.csv", "x\n0\n1\n5\n39999\n40000\n");
  std::string chain;
  for (int k = 0; k < 40000; ++k) chain += (k ? " or x = " : "x = ") + std::to_string(k);
  std::string ands = "x >= 0";
  for (int k = 0; k < 40000; ++k) ands += " and x ^= " + std::to_string(k + 100000);
  EXPECT_EQ(run("proc kestravine data=d(where=(" + chain + ")) noprint; var x; output out=o n=n; run;\n"), 0) << log_;
  EXPECT_TRUE(has("select 4 of its 5 observations")) << log_;
  EXPECT_EQ(run("proc kestravine data=d(where=(" + ands + ")) noprint; var x; run;\n"), 0) << log_;
  EXPECT_TRUE(has("select 5 of its 5 observations")) << log_;
  std::string nots, open, close;
  for (int k = 0; k < 40000; ++k) nots += "not ";
  for (int k = 0; k < 100000; ++k) open += "(", close += ")";
  for (const std::string& cond : {nots + "x = 1", open + "x = 1" + close, nots + open + "-x" + close}) {
    EXPECT_EQ(run("proc kestravine data=d(where=(" + cond + ")) noprint; var x; run;\n"), 2) << log_;
    EXPECT_TRUE(has("data set WORK.d: WHERE=: NOT, minus signs and parentheses are nested more than 200 deep"))
        << log_.substr(0, 400);
  }
  // 200 levels are still read.
  EXPECT_EQ(run("proc kestravine data=d(where=(" + std::string(100, '(') + "not not x = 1" + std::string(100, ')') +
                ")) noprint; var x; run;\n"),
            0);
  EXPECT_TRUE(has("select 1 of its 5 observations")) << log_;
}

// --json once renamed the finished document over whatever stood at its path: a link,
// a FIFO or a device node became a plain file and the run exited 0.
TEST_F(RunnerFaults, AJsonPathThatIsNoRegularFileIsRefusedAndKept) {
  write_groups("big.csv", 3);
  dir_.write("target.json", "precious\n");
  ASSERT_EQ(::symlink("target.json", (dir_ / "link.json").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir_ / "fifo.json").c_str(), 0600), 0);
  struct row {
    std::string path;
    const char* says;
    mode_t type;
  };
  const row rows[] = {
      {"link.json", "is a symbolic link", S_IFLNK},
      {"fifo.json", "is a FIFO", S_IFIFO},
      {"/dev/null", "is a device", S_IFCHR},
  };
  for (const row& r : rows) {
    EXPECT_EQ(run(kOutputStep, {"--json", r.path}), 4) << r.path;
    EXPECT_NE(err_.find("--json: the file '" + r.path + "' " + r.says + "; the JSON file is moved into place"),
              std::string::npos)
        << err_;
    struct stat st;
    ASSERT_EQ(::lstat(r.path[0] == '/' ? r.path.c_str() : (dir_ / r.path).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & S_IFMT, r.type) << r.path;
    EXPECT_FALSE(fs::exists(dir_ / "O.csv")) << r.path;  // refused before the step ran
  }
  EXPECT_EQ(slurp(dir_ / "target.json"), "precious\n");
  // --listing and --log write through such files.
  EXPECT_EQ(run(kOutputStep, {"--listing", "/dev/null", "--json", "j.json"}), 0) << err_;
  out_test::jvalue doc;
  EXPECT_TRUE(out_test::parse_json(slurp(dir_ / "j.json"), doc));
}

TEST_F(RunnerFaults, PlantedLinksUnderTemporaryNamesAreNeverFollowed) {
  write_groups("big.csv", 3);
  dir_.write("target", "precious\n");
  std::string target = (dir_ / "target").string();
  // The PID is the runner's own: the names it would use are all taken by links.
  EXPECT_EQ(run(kOutputStep, {},
                [target] {
                  std::string pid = std::to_string(::getpid());
                  for (int n = 0; n < 10; ++n) {
                    std::string s = std::to_string(n);
                    for (std::string name : {".O.csv.tmp" + pid + "_" + s + ".meta", ".O.csv.tmp" + pid + "_" + s,
                                             ".O.csv.meta.tmp" + pid + "_" + s})
                      if (::symlink(target.c_str(), name.c_str()) != 0) ::_exit(122);
                  }
                }),
            0)
      << log_;
  EXPECT_EQ(slurp(dir_ / "target"), "precious\n");
  struct stat st;
  ASSERT_EQ(::lstat((dir_ / "O.csv.meta").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  ASSERT_EQ(::lstat((dir_ / "O.csv").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(slurp(dir_ / "O.csv").substr(0, 4), "g,m\n");
}

TEST_F(RunnerFaults, AnInterruptRemovesTheTemporaryFilesAndSaysSo) {
  write_groups("big.csv", 40000);
  struct row { int sig; int status; const char* name; };
  for (const row& r : {row{SIGINT, 130, "SIGINT"}, row{SIGTERM, 143, "SIGTERM"}, row{SIGHUP, 129, "SIGHUP"}}) {
    start(kOutputStep);
    ASSERT_TRUE(proc_.wait_until([&] { return !files_with(".O.csv.tmp").empty(); })) << r.name;
    ::kill(proc_.pid, r.sig);
    EXPECT_EQ(finish(), r.status) << r.name;
    EXPECT_TRUE(has(std::string("ERROR: The run was interrupted by ") + r.name)) << log_;
    ASSERT_TRUE(files_with(".tmp").empty()) << r.name;
    EXPECT_FALSE(fs::exists(dir_ / "O.csv"));
  }
}

// The closing line ends this run's log wherever the log is: a log file not yet written
// (the program still being read from standard input) no longer keeps an older run's
// text, and a log on standard error gets the line once, as the log's own. Outside a
// step the line does not speak of a step in progress.
TEST_F(RunnerFaults, AnInterruptEndsThisRunsLogWhereverItIs) {
  write_groups("big.csv", 40000);
  dir_.write("log", "the log of an earlier run\n");
  dir_.write("prog.kes", kOutputStep);
  const auto stdin_never_ends = [] {
    int p[2];
    if (::pipe(p) != 0 || ::dup2(p[0], 0) < 0) ::_exit(122);  // p[1] stays open: reading waits
    ::alarm(120);
  };
  dir_.write("j.json", "{\"older\": 1}\n");
  proc_.start(dir_.path().string(), {"--log", "log", "--listing", "lst", "--json", "j.json", "-"}, stdin_never_ends);
  // The log is emptied as it is opened, a moment before the interrupt's line is told
  // where to go: an interrupt in between (a loaded machine pausing the runner there)
  // finds no log to end. The runner is waited for until it sleeps in its read of the
  // program, which it begins only after that.
  ASSERT_TRUE(proc_.wait_until(
      [&] { return fs::exists(dir_ / "log") && slurp(dir_ / "log").empty() && asleep(proc_.pid); }));
  ::kill(proc_.pid, SIGINT);
  EXPECT_EQ(finish(), 130);
  EXPECT_EQ(log_,
            "ERROR: The run was interrupted by SIGINT while no step was running: no later step ran, and its temporary "
            "files were removed.\n");
  EXPECT_NE(err_.find("kestravine: The run was interrupted by SIGINT while no step"), std::string::npos) << err_;
  // Killed before its document was begun, the JSON file is as it was.
  EXPECT_EQ(slurp(dir_ / "j.json"), "{\"older\": 1}\n");

  // The log on standard error, interrupted in a step.
  proc_.start(dir_.path().string(), {"--listing", "lst", "prog.kes"}, [] { ::alarm(120); });
  ASSERT_TRUE(proc_.wait_until([&] { return !files_with(".O.csv.tmp").empty(); }));
  ::kill(proc_.pid, SIGTERM);
  EXPECT_EQ(finish(), 143);
  const std::string line = "ERROR: The run was interrupted by SIGTERM: the step in progress did not finish";
  EXPECT_EQ(err_.rfind(line), err_.find(line)) << err_;
  EXPECT_NE(err_.find(line), std::string::npos) << err_;
  EXPECT_EQ(err_.find("kestravine: The run was interrupted"), std::string::npos) << err_;
  EXPECT_FALSE(fs::exists(dir_ / "O.csv"));
}

TEST_F(RunnerFaults, TemporaryFilesOfRunsThatAreGoneAreRemovedWhenTheFolderIsWritten) {
  write_groups("big.csv", 3);
  pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  std::string dead = std::to_string(gone), alive = std::to_string(::getpid());
  for (const std::string& n : {".O.csv.tmp" + dead + "_0", ".O.csv.tmp" + dead + "_0.meta", ".x.csv.tmp" + dead + "_3",
                               ".O.csv.tmp" + alive + "_0"})
    dir_.write(n, "partial");
  EXPECT_EQ(run(kOutputStep), 0) << log_;
  EXPECT_EQ(files_with(".tmp"), std::vector<std::string>{".O.csv.tmp" + alive + "_0"});
}

// Graph files are written as data sets are, and so a graphs folder too loses what a
// run killed outright left there once a later run writes a graph in it.
TEST_F(RunnerFaults, TemporaryGraphFilesOfRunsThatAreGoneAreRemoved) {
  write_groups("small.csv", 2);
  fs::create_directories(dir_ / "g");
  pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const std::string dead = std::to_string(gone), alive = std::to_string(::getpid());
  for (const std::string& n : {".Histogram1.svg.tmp" + dead + "_4", ".QQPlot7.svg.tmp" + dead + "_0",
                               ".Histogram1.svg.tmp" + alive + "_0"})
    dir_.write("g/" + n, "<svg");
  EXPECT_EQ(run("proc kestravine data=small; var x; histogram x; run;\n", {"--graphs", "g"}), 0) << log_;
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(dir_ / "g")) left.push_back(e.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{".Histogram1.svg.tmp" + alive + "_0", "Histogram1.svg"}));
}

TEST_F(RunnerFaults, AKilledRunLeavesTheJsonOfItsLastFinishedStep) {
  write_groups("small.csv", 2);
  write_groups("big.csv", 20000);
  start("proc kestravine data=small; var x; run;\nproc kestravine data=big; by g; var x; run;\n",
        {"--json", "j.json"});
  ASSERT_TRUE(proc_.wait_until([&] {
    return slurp(dir_ / "log").find("(lines 1-1) ended") != std::string::npos && fs::exists(dir_ / "j.json");
  }));
  // Let the second step write tables for a while, then kill the run outright.
  out_test::jvalue doc;
  ASSERT_TRUE(kill_after_json_grows(200000, &doc));
  EXPECT_EQ(doc["steps"].arr.size(), 1u);
}

// The document is put in place only when it has doubled: a run killed after many
// small steps keeps a complete document holding more than half of what had finished,
// and a run that ends holds every step.
TEST_F(RunnerFaults, AKilledRunOfManyStepsKeepsMoreThanHalfOfThem) {
  write_groups("small.csv", 1);
  write_groups("big.csv", 20000);
  std::string program;
  for (int k = 0; k < 40; ++k) program += "proc kestravine data=small; var x; run;\n";
  EXPECT_EQ(run(program, {"--json", "all.json"}), 0) << log_;
  out_test::jvalue doc;
  ASSERT_TRUE(out_test::parse_json(slurp(dir_ / "all.json"), doc));
  EXPECT_EQ(doc["steps"].arr.size(), 40u);
  start(program + "proc kestravine data=big; by g; var x; run;\n", {"--json", "j.json"});
  ASSERT_TRUE(kill_after_json_grows(400000, &doc));
  EXPECT_GT(doc["steps"].arr.size(), 20u);
  EXPECT_LE(doc["steps"].arr.size(), 40u);
}

}  // namespace

namespace {

// Without CLASS variables the cell of a whole BY group takes no memory it frees at
// once: as the memory cap grows, a step degrades to "not computed" (112) and never
// loses everything (1016) where a smaller cap still did better.
TEST_F(RunnerFaults, MemoryPressureAtTheSingleCellDegradesInsteadOfFailing) {
  std::string text = "g,a,b,c,d\n";
  for (int g = 0; g < 3; ++g)
    for (int k = 0; k < 300; ++k)
      text += std::to_string(g) + "," + std::to_string(k % 17) + "." + std::to_string(k) + "," + std::to_string(k * 3) +
              "," + std::to_string((k * 7) % 101) + "," + std::to_string(k / 3) + "\n";
  dir_.write("m.csv", text);
  bool degraded = false;
  for (int cap = 6000; cap <= 60000; cap += 2000) {
    int status = run("proc kestravine data=m noprint; by g; var a b c d; run;\n", {"--memcap", std::to_string(cap)});
    degraded = degraded || has("return code 112");
    EXPECT_FALSE(has("return code 1016") && degraded) << "cap " << cap << "\n" << log_;
    EXPECT_NE(status, 2) << "cap " << cap << "\n" << log_;
  }
  EXPECT_TRUE(degraded);
}

}  // namespace
