// The run's own files as the options name them: what is refused before the program
// runs (exit status 4, one message naming the option and the file) and what is
// written through (a link, a device, the joined form --log=FILE), in one table.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/runner_process.h"
#include "support/scratch_files.h"

namespace {

using kes_test::slurp;
namespace fs = std::filesystem;

const char* const kProgram = "proc kestravine data=small; var x; histogram x; run;\n";

class RunnerFileOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.write("prog.kes", kProgram);
    dir_.write("small.csv", "x\n1\n2\n3\n5\n");
    dir_.write("real.txt", "");
    ASSERT_EQ(::symlink("real.txt", (dir_ / "link.txt").c_str()), 0);
    ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
    fs::create_directories(dir_ / "folder");
    fs::create_directories(dir_ / "lib");
    fs::create_directories(dir_ / "locked");
    dir_.write("locked.json", "{\"older\": 1}\n");
    // Read-only for anyone but root; the folder itself may be written by anyone.
    fs::permissions(dir_ / "locked", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                         fs::perms::others_exec);
    fs::permissions(dir_ / "locked.json", fs::perms::owner_read | fs::perms::others_read);
    fs::permissions(dir_.path(), fs::perms::all);
  }
  // Runs the program with args and its data in the folder (as nobody when 'unprivileged'
  // and the test runs as root, for whom nothing is read-only).
  int run(std::vector<std::string> args, bool unprivileged = false) {
    args.push_back("prog.kes");
    proc_.start(dir_.path().string(), args, [unprivileged] {
      ::alarm(60);
      if (unprivileged && ::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(122);
    });
    const int status = proc_.wait();
    err_ = slurp(dir_ / "err");
    return status;
  }

  kes_test::scratch_dir dir_{"fileopts"};
  kes_test::runner_process proc_;
  std::string err_;
};

TEST_F(RunnerFileOptions, RefusedOrWrittenAsTheReferenceSays) {
  struct row {
    std::vector<std::string> args;
    int status;
    const char* says;  // on standard error ("" nothing there)
    bool unprivileged = false;
  };
  const row rows[] = {
      // The JSON file takes its place by a rename: only a regular file may stand there.
      {{"--json", "link.txt"}, 4, "--json: the file 'link.txt' is a symbolic link; the JSON file is moved into place"},
      {{"--json", "fifo"}, 4, "--json: the file 'fifo' is a FIFO"},
      {{"--json", "/dev/null"}, 4, "--json: the file '/dev/null' is a device"},
      {{"--json=folder"}, 4, "--json: the file 'folder' is a folder"},
      {{"--json", "locked.json"}, 4, "--json: the file 'locked.json' cannot be written: Permission denied", true},
      {{"--json", "locked/j.json"}, 4, "--json: the file 'locked/j.json' cannot be written: Permission denied", true},
      // A folder, a missing parent, an unwritable folder, the program itself.
      {{"--log", "folder"}, 4, "--log: the file 'folder' is a folder"},
      {{"--listing=folder"}, 4, "--listing: the file 'folder' is a folder"},
      {{"--graph-dump", "folder"}, 4, "--graph-dump: the file 'folder' is a folder"},
      {{"--log", "none/log"}, 4, "--log: the file 'none/log' cannot be written: No such file or directory"},
      {{"--listing", "none/lst"}, 4, "--listing: the file 'none/lst' cannot be written: No such file or directory"},
      {{"--json", "none/j.json"}, 4, "--json: the file 'none/j.json' cannot be written: No such file or directory"},
      {{"--graph-dump", "none/d"}, 4, "--graph-dump: the file 'none/d' cannot be written: No such file or directory"},
      {{"--log", "locked/log"}, 4, "--log: the file 'locked/log' cannot be written: Permission denied", true},
      {{"--graph-dump", "prog.kes"}, 4, "--graph-dump: the file 'prog.kes' is the program itself"},
      {{"--log", "small.csv"}, 4, "--log: the file 'small.csv' is a data set file of a library"},
      // Not yet there, a data set file of a library would be read by a later step as data.
      {{"--log", "NEW.CSV"}, 4, "--log: the file 'NEW.CSV' is named as a data set file of a library; a later step"},
      {{"--listing", "small.csv.meta"}, 4, "--listing: the file 'small.csv.meta' is named as a data set file"},
      {{"--graph-dump", "./Other.Csv.Meta"}, 4, "--graph-dump: the file './Other.Csv.Meta' is named as a data set"},
      {{"--lib", "L=lib", "--json", "lib/new.csv"}, 4, "--json: the file 'lib/new.csv' is named as a data set file"},
      // The system's process and kernel information, even a file the run itself may write.
      {{"--log", "/proc/version"}, 4, "--log: the file '/proc/version' cannot be written: it is a file of /proc or /sys"},
      {{"--json", "/proc/self/comm"}, 4, "--json: the file '/proc/self/comm' cannot be written: it is a file of /proc"},
      {{"--listing", "/sys/kernel/notes"}, 4, "--listing: the file '/sys/kernel/notes' cannot be written: it is a file"},
      {{"--graph-dump", "/proc/new.dump"}, 4, "--graph-dump: the file '/proc/new.dump' cannot be written: it is a file"},
      // One file named by two options, as it stands, joined, or through a link.
      {{"--log", "a.txt", "--listing", "./a.txt"}, 4, "--listing: the file './a.txt' is also the --log file"},
      {{"--log=j.json", "--json=j.json"}, 4, "--json: the file 'j.json' is also the --log file"},
      {{"--log", "link.txt", "--graph-dump", "real.txt"}, 4, "--graph-dump: the file 'real.txt' is also the --log file"},
      // The graphs folder must be one.
      {{"--graphs", "none"}, 4, "--graphs: the folder 'none' does not exist"},
      {{"--graphs=real.txt"}, 4, "--graphs: the folder 'real.txt' is a file, not a folder"},
      {{"--graphs", "/dev/null"}, 4, "--graphs: the folder '/dev/null' is not a folder"},
      // Written through: a link, a device shared by several options, the joined form.
      {{"--log", "link.txt", "--listing", "/dev/null"}, 0, ""},
      {{"--log", "/dev/null", "--listing", "/dev/null", "--graph-dump", "/dev/null"}, 0, ""},
      {{"--log=run.log", "--listing=/dev/null", "--graphs=folder"}, 0, ""},
      // Standard output by its link through /proc; a .csv name in a folder that is no library.
      {{"--log", "/dev/stdout"}, 0, ""},
      {{"--listing", "/proc/self/fd/1"}, 0, ""},
      {{"--log", "lib/new.csv"}, 0, ""},
  };
  for (const row& r : rows) {
    if (r.args.size() > 1 && r.args[1].rfind("/sys/", 0) == 0 && !fs::exists("/sys/kernel")) continue;  // no sysfs here
    SCOPED_TRACE(r.args[0] + " " + (r.args.size() > 1 ? r.args[1] : ""));
    EXPECT_EQ(run(r.args, r.unprivileged), r.status) << err_;
    if (*r.says) {
      // One line, the runner's own.
      EXPECT_EQ(err_.rfind("kestravine: ", 0), 0u) << err_;
      EXPECT_EQ(kes_test::occurrences(err_, "\n"), 1) << err_;
      EXPECT_NE(err_.find(r.says), std::string::npos) << err_;
      EXPECT_TRUE(kes_test::svg_files(dir_.path()).empty()) << "nothing ran";
    }
    EXPECT_EQ(slurp(dir_ / "prog.kes"), kProgram);
    EXPECT_EQ(slurp(dir_ / "locked.json"), "{\"older\": 1}\n");
    for (const std::string& svg : kes_test::svg_files(dir_.path())) fs::remove(dir_ / svg);
  }
  // What was written through the link, and by the joined form.
  EXPECT_NE(slurp(dir_ / "real.txt").find("ended with return code 0"), std::string::npos);
  EXPECT_NE(slurp(dir_ / "run.log").find("ended with return code 0"), std::string::npos);
  EXPECT_EQ(kes_test::svg_files(dir_ / "folder"), std::vector<std::string>{"Histogram1.svg"});
}

// A graphs folder that cannot be written is no refusal: each graph is an error naming
// its file, and its step ends with 1020.
TEST_F(RunnerFileOptions, AnUnwritableGraphsFolderFailsEachGraph) {
  EXPECT_EQ(run({"--log", "run.log", "--listing", "/dev/null", "--graphs", "locked"}, true), 2) << err_;
  const std::string log = slurp(dir_ / "run.log");
  EXPECT_NE(log.find("ERROR: The graph file locked/Histogram1.svg cannot be written: Permission denied."),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("ended with return code 1020"), std::string::npos) << log;
}

}  // namespace
