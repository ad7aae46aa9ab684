// Output data sets whose file, or metadata file, in the library is not a regular file:
// a link, FIFO, device or folder there was silently replaced and the step ended well.
// Every output option now refuses it naming the file, the step ends with 1020, and
// the thing at that name and whatever a link points to are left as they were.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "support/runner_process.h"
#include "support/scratch_files.h"

namespace {

using kes_test::slurp;
namespace fs = std::filesystem;

class RunnerOutputTargets : public ::testing::Test {
 protected:
  // Runs program with its log at log and the run's other files as files name them.
  int run(const std::string& program, const std::string& log = "log",
          std::vector<std::string> files = {"--listing", "lst"}) {
    dir_.write("prog.kes", program);
    files.insert(files.begin(), {"--log", log});
    files.push_back("prog.kes");
    proc_.start(dir_.path().string(), files, [] { ::alarm(60); });
    const int status = proc_.wait();
    log_ = slurp(dir_ / log);
    return status;
  }
  // The special file 'kind' made at name; what the log calls it, or empty with *why
  // set when this system cannot make it.
  std::string plant(const std::string& kind, const std::string& name, std::string* why) {
    const fs::path at = dir_ / name;
    if (kind == "link") return ::symlink("victim", at.c_str()) == 0 ? "a symbolic link" : "";
    if (kind == "dangling") return ::symlink("missing", at.c_str()) == 0 ? "a symbolic link" : "";
    if (kind == "fifo") return ::mkfifo(at.c_str(), 0600) == 0 ? "a FIFO" : "";
    if (kind == "folder") return ::mkdir(at.c_str(), 0700) == 0 ? "a folder" : "";
    if (kind == "block device") {
      // A node of the same device as a block device the system has: never opened.
      for (const char* dev : {"/dev/loop0", "/dev/sda", "/dev/vda", "/dev/nvme0n1", "/dev/ram0"}) {
        struct stat st;
        if (::stat(dev, &st) != 0 || !S_ISBLK(st.st_mode)) continue;
        if (::mknod(at.c_str(), S_IFBLK | 0600, st.st_rdev) == 0) return "a device";
        *why = std::string("a block device node cannot be made here: ") + std::strerror(errno);
        return "";
      }
      *why = "this system has no block device to copy";
      return "";
    }
    // A null device of our own where the system lets us make one, else the system's
    // own reached through a link.
    if (::mknod(at.c_str(), S_IFCHR | 0600, ::makedev(1, 3)) == 0) return "a device";
    return ::symlink("/dev/null", at.c_str()) == 0 ? "a symbolic link" : "";
  }
  std::vector<std::string> temp_files() const {
    std::vector<std::string> v;
    for (const auto& e : fs::directory_iterator(dir_.path()))
      if (e.path().filename().string().find(".tmp") != std::string::npos) v.push_back(e.path().filename().string());
    return v;
  }

  kes_test::scratch_dir dir_{"outtargets"};
  kes_test::runner_process proc_;
  std::string log_;
};

struct option_row {
  const char* option;
  const char* program;
};
const option_row kOptions[] = {
    {"OUT=", "proc kestravine data=d noprint; var x; output out=O mean=m; run;\n"},
    {"OUTTABLE=", "proc kestravine data=d noprint outtable=O; var x; run;\n"},
    {"OUTHISTOGRAM=", "proc kestravine data=d noprint; var x; histogram x / outhistogram=O; run;\n"},
    {"OUTKERNEL=", "proc kestravine data=d noprint; var x; histogram x / kernel outkernel=O; run;\n"},
};
const char* const kKinds[] = {"link", "dangling", "fifo", "folder", "device", "block device"};

TEST_F(RunnerOutputTargets, SpecialFilesAreNeverWrittenThroughOrReplaced) {
  dir_.write("d.csv", "x\n1\n2\n4\n4\n5\n7\n9\n");
  std::string skipped;  // a row this system cannot plant, and why
  for (const char* file : {"O.csv", "O.csv.meta"}) {
    for (const option_row& o : kOptions) {
      for (const std::string kind : kKinds) {
        const std::string where = std::string(o.option) + " " + kind + " at " + file;
        for (const char* old : {"O.csv", "O.csv.meta", "victim"}) fs::remove_all(dir_ / old);
        dir_.write("victim", "precious\n");
        std::string why;
        const std::string said = plant(kind, file, &why);
        if (said.empty() && !why.empty()) {
          skipped = where + ": " + why;
          continue;
        }
        ASSERT_FALSE(said.empty()) << where;
        struct stat before;
        ASSERT_EQ(::lstat((dir_ / file).c_str(), &before), 0);
        // A reader that never blocks: whatever is written through the FIFO stays in it.
        const int reader = kind == "fifo" ? ::open((dir_ / file).c_str(), O_RDONLY | O_NONBLOCK) : -1;

        EXPECT_EQ(run(o.program), 2) << where << "\n" << log_;
        EXPECT_NE(log_.find("The data set WORK.O was not written: file ./" + std::string(file) +
                            " could not take its place: it is " + said + ", which is never replaced."),
                  std::string::npos)
            << where << "\n" << log_;
        EXPECT_NE(log_.find("ended with return code 1020"), std::string::npos) << where;

        struct stat after;
        ASSERT_EQ(::lstat((dir_ / file).c_str(), &after), 0) << where;
        EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT) << where;
        EXPECT_EQ(after.st_ino, before.st_ino) << where;
        EXPECT_EQ(slurp(dir_ / "victim"), "precious\n") << where;
        EXPECT_FALSE(fs::exists(dir_ / "missing")) << where;
        if (kind == "folder") {
          EXPECT_TRUE(fs::is_empty(dir_ / file)) << where;
        }
        if (reader >= 0) {
          char c;
          EXPECT_LE(::read(reader, &c, 1), 0) << where;
          ::close(reader);
        }
        // Neither file is written when one of them is refused.
        const std::string other = std::string(file) == "O.csv" ? "O.csv.meta" : "O.csv";
        EXPECT_FALSE(fs::exists(fs::symlink_status(dir_ / other))) << where;
        EXPECT_TRUE(temp_files().empty()) << where;
      }
    }
  }
  if (!skipped.empty()) GTEST_SKIP() << "not run: " << skipped;
}

// The same steps with nothing in the way write both files: the refusals above are the
// special files', not the programs'.
TEST_F(RunnerOutputTargets, EachOptionWritesARegularFileAndItsMetadata) {
  dir_.write("d.csv", "x\n1\n2\n4\n4\n5\n7\n9\n");
  for (const option_row& o : kOptions) {
    for (const char* old : {"O.csv", "O.csv.meta"}) fs::remove_all(dir_ / old);
    EXPECT_EQ(run(o.program), 0) << o.option << "\n" << log_;
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir_ / "O.csv"))) << o.option;
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir_ / "O.csv.meta"))) << o.option;
  }
}

// One folder reached by two library names held one file for two output data sets: the
// second replaced the first while the log said both were written. Two outputs onto one
// file are now refused as two outputs of one name are, before anything is written,
// whatever the spelling of the folder and whichever options name them.
TEST_F(RunnerOutputTargets, OneFileUnderTwoLibrarySpellingsIsRefusedBeforeAnyWrite) {
  dir_.write("d.csv", "x\n1\n2\n4\n4\n5\n7\n9\n");
  fs::create_directory(dir_ / "lib");
  fs::create_directory_symlink("lib", dir_ / "liblink");
  const std::string absolute = (dir_ / "lib").string();
  struct spelling {
    const char* what;
    std::string second;  // the folder of library B; library A is 'lib'
  };
  const spelling spellings[] = {
      {"the same name", "lib"}, {"a dot folder", "./lib"}, {"a closing slash", "lib/"},
      {"a link to the folder", "liblink"}, {"an absolute path", absolute},
  };
  // Each output option and where it stands in the step.
  enum place { proc_opt, output_stmt, hist_opt };
  struct target {
    const char* option;
    place where;
  };
  const target targets[] = {{"outtable=", proc_opt}, {"out=", output_stmt}, {"outhistogram=", hist_opt},
                            {"outkernel=", hist_opt}};
  auto program = [](const std::string& second, const target& t1, const target& t2, const char* m2) {
    std::string parts[3];
    for (const auto& [t, member] : {std::pair{t1, "A.two"}, std::pair{t2, m2}})
      parts[t.where] += std::string(" ") + t.option + member;
    return "libname A 'lib'; libname B '" + second + "';\nproc kestravine data=d noprint" + parts[proc_opt] +
           "; var x;" + (parts[output_stmt].empty() ? "" : " output" + parts[output_stmt] + " mean=m;") +
           " histogram x / kernel" + parts[hist_opt] + "; run;\n";
  };
  for (const spelling& sp : spellings) {
    for (std::size_t i = 0; i < std::size(targets); ++i) {
      for (std::size_t j = i + 1; j < std::size(targets); ++j) {
        const std::string where =
            std::string(sp.what) + ": " + targets[i].option + "A.two and " + targets[j].option + "B.two";
        fs::remove_all(dir_ / "lib");
        fs::create_directory(dir_ / "lib");
        EXPECT_EQ(run(program(sp.second, targets[i], targets[j], "B.two")), 2) << where << "\n" << log_;
        EXPECT_NE(log_.find("cannot open data set B.two for output: the step already writes its file"),
                  std::string::npos)
            << where << "\n" << log_;
        EXPECT_NE(log_.find("as the output data set A.two;"), std::string::npos) << where << "\n" << log_;
        EXPECT_NE(log_.find("ended with return code 1008"), std::string::npos) << where;
        EXPECT_EQ(log_.find("observations and"), std::string::npos) << where << "\n" << log_;
        EXPECT_TRUE(fs::is_empty(dir_ / "lib")) << where;
      }
    }
  }
  // Two names in that folder are two files: each is written.
  for (const spelling& sp : spellings) {
    fs::remove_all(dir_ / "lib");
    fs::create_directory(dir_ / "lib");
    EXPECT_EQ(run(program(sp.second, targets[0], targets[1], "B.three")), 0) << sp.what << "\n" << log_;
    EXPECT_TRUE(fs::is_regular_file(dir_ / "lib" / "two.csv")) << sp.what;
    EXPECT_TRUE(fs::is_regular_file(dir_ / "lib" / "three.csv")) << sp.what;
  }
}

// A data set's file that is also the run's JSON file was replaced by the JSON document
// at the end of the run, and one that is the listing took the listing's place, while
// the log said the data set was written. Each is refused like two data sets on one file.
// The library is one the program names (a run file in a folder the command line names
// as a library is refused before the program runs).
TEST_F(RunnerOutputTargets, ADataSetOnARunFileIsRefused) {
  dir_.write("d.csv", "x\n1\n2\n4\n4\n5\n7\n9\n");
  fs::create_directory(dir_ / "lib");
  struct row {
    const char* option;  // the run's file, named O.csv (or, for the log, its metadata)
    const char* file;
    const char* said;
  };
  const row rows[] = {{"--json", "lib/O.csv", "JSON"}, {"--listing", "lib/O.csv", "listing"},
                      {"--graph-dump", "lib/O.csv", "graph dump"}, {"--log", "lib/O.csv.meta", "log"}};
  for (const row& r : rows) {
    for (const option_row& o : kOptions) {
      const std::string where = std::string(r.option) + " " + r.file + " and " + o.option;
      for (const char* old : {"lib/O.csv", "lib/O.csv.meta"}) fs::remove_all(dir_ / old);
      const bool log = std::string(r.option) == "--log";
      const std::vector<std::string> files = log ? std::vector<std::string>{} : std::vector<std::string>{r.option, r.file};
      std::string program = std::string("libname l 'lib';\n") + o.program;
      program.replace(program.find("=O"), 2, "=l.O");
      EXPECT_EQ(run(program, log ? r.file : "log", files), 2) << where << "\n" << log_;
      EXPECT_NE(log_.find("cannot open data set L.O for output: its file lib/" +
                          std::string(r.file).substr(4) + " is the run's " + r.said + " file"),
                std::string::npos)
          << where << "\n" << log_;
      EXPECT_EQ(log_.find("observations and"), std::string::npos) << where << "\n" << log_;
      EXPECT_FALSE(fs::exists(dir_ / (std::string(r.file) == "lib/O.csv" ? "lib/O.csv.meta" : "lib/O.csv"))) << where;
    }
  }
}

}  // namespace

// With the program kept as lib/p.csv, OUTPUT OUT=A.p (A being lib) replaced the program
// with the output row and the log said the data set was written. No output data set
// may replace a file of the run, the program among them, however its path is spelt:
// it is refused before anything is written and the file keeps its text.
TEST_F(RunnerOutputTargets, NoOutputReplacesAFileOfTheRunUnderAnySpelling) {
  dir_.write("d.csv", "x\n1\n2\n4\n4\n5\n7\n9\n");
  fs::create_directory(dir_ / "lib");
  fs::create_directory_symlink("lib", dir_ / "liblink");
  const std::string absolute = (dir_ / "lib").string();
  struct run_file {
    const char* option;  // "" for the program itself
    const char* said;
  };
  const run_file files[] = {{"", "program"}, {"--log", "log"}, {"--listing", "listing"}, {"--json", "JSON"},
                            {"--graph-dump", "graph dump"}};
  // How the run names the file, and how the LIBNAME statement names its folder.
  struct spelling {
    std::string file, library;
  };
  const spelling spellings[] = {{"lib/p.csv", "lib"},           {"./lib/p.csv", "lib/"},
                                {absolute + "/p.csv", "./lib"}, {"liblink/p.csv", absolute},
                                {"lib/p.csv", "liblink"},       {"lib/p.csv.meta", "lib"}};
  const std::string step = "proc kestravine data=d noprint; var x; output out=A.p mean=m; run;\n";
  for (const run_file& f : files) {
    for (const spelling& sp : spellings) {
      const std::string where = std::string(f.said) + " as " + sp.file + ", library '" + sp.library + "'";
      for (const char* old : {"p.csv", "p.csv.meta"}) fs::remove_all(dir_ / "lib" / old);
      const std::string program = "libname A '" + sp.library + "';\n" + step;
      const bool is_program = std::string(f.option).empty();
      const bool is_log = std::string(f.option) == "--log";
      // The file stands before the run, as a program does; its text must survive.
      const std::string before = is_program ? program : "kept\n";
      dir_.write(sp.file.front() == '/' ? fs::relative(sp.file, dir_.path()).string() : sp.file, before);
      std::vector<std::string> args = {"--work", ".", "--log", is_log ? sp.file : "log", "--listing",
                                       f.option == std::string("--listing") ? sp.file : "lst"};
      if (!is_program && !is_log && std::string(f.option) != "--listing") args.insert(args.end(), {f.option, sp.file});
      args.push_back(is_program ? sp.file : "prog.kes");
      if (!is_program) dir_.write("prog.kes", program);
      proc_.start(dir_.path().string(), args, [] { ::alarm(60); });
      EXPECT_EQ(proc_.wait(), 2) << where << "\n" << slurp(dir_ / "err");
      const std::string log = slurp(dir_ / (is_log ? sp.file : "log"));
      EXPECT_NE(log.find("cannot open data set A.p for output: its file "), std::string::npos) << where << "\n" << log;
      EXPECT_NE(log.find(" is the run's " + std::string(f.said) + " file"), std::string::npos) << where << "\n" << log;
      EXPECT_EQ(log.find("observations and"), std::string::npos) << where << "\n" << log;
      const std::string after = slurp(dir_ / (sp.file.front() == '/' ? fs::relative(sp.file, dir_.path()).string() : sp.file));
      if (is_program) {
        EXPECT_EQ(after, before) << where;
      } else {
        EXPECT_EQ(after.find("m\n"), std::string::npos) << where << "\n" << after;
      }
      const bool meta_file = sp.file.ends_with(".meta");
      EXPECT_FALSE(fs::exists(dir_ / "lib" / (meta_file ? "p.csv" : "p.csv.meta"))) << where;
    }
  }
}
