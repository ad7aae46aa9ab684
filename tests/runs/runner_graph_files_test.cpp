// The files a run writes for its graphs, through the built runner: graph files are
// made new and renamed into place (never through a planted link, never onto a FIFO or
// device, never left cut); the log and the graph dump work with a FIFO and a one-shot
// reader; the dump's write errors fail the run; two outputs never share a file.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/runner_process.h"
#include "support/scratch_files.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;

const char* const kTemplateProgram = "proc kestravine data=d noprint; var x; histogram x; run;\n";
const char* const kDeviceProgram = "proc kestravine data=d noprint; var x; histogram x; qqplot x; run;\n";

class RunnerGraphFiles : public ::testing::Test {
 protected:
  void SetUp() override { dir_.write("d.csv", "x\n1\n2\n2.5\n3\n4.5\n5\n7\n"); }
  // Runs the program with the arguments given (and the program last). A run that
  // hangs is ended by SIGALRM: status 1014.
  int run(const std::string& program, std::vector<std::string> args, const std::function<void()>& in_child = {}) {
    dir_.write("prog.kes", program);
    args.push_back("prog.kes");
    kes_test::runner_process p;
    p.start(dir_.path().string(), args, [in_child] {
      ::alarm(60);
      if (in_child) in_child();
    });
    const int status = p.wait();
    err_ = slurp(dir_ / "err");
    return status;
  }
  std::string log() const { return slurp(dir_ / "log"); }
  // Files of the folder whose names hold part (temporary files among them).
  std::vector<std::string> files_with(const std::string& part) const {
    std::vector<std::string> v;
    for (const auto& e : fs::directory_iterator(dir_.path()))
      if (e.path().filename().string().find(part) != std::string::npos) v.push_back(e.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
  }

  kes_test::scratch_dir dir_{"graphfiles"};
  std::string err_;
};

// What a one-shot reader (cat fifo) of a FIFO gets: everything up to the first end of
// file, read on a thread of its own.
class fifo_reader {
 public:
  explicit fifo_reader(const fs::path& path) {
    EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
    thread_ = std::thread([this, path] {
      const int fd = ::open(path.c_str(), O_RDONLY);
      char buf[4096];
      for (ssize_t n; fd >= 0 && (n = ::read(fd, buf, sizeof buf)) > 0;) text_.append(buf, static_cast<std::size_t>(n));
      if (fd >= 0) ::close(fd);
    });
  }
  // Waits for the reader; a reader still blocked (no writer ever came) is released by
  // a writer of our own.
  std::string text() {
    if (thread_.joinable()) thread_.join();
    return text_;
  }
  void release(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
  }

 private:
  std::thread thread_;
  std::string text_;
};

// The option check opened the FIFO and closed it: the reader took that as the end and
// the run's own open then waited forever. The log and the dump work as the listing does.
TEST_F(RunnerGraphFiles, TheLogAndTheDumpWorkWithAOneShotFifoReader) {
  struct row {
    const char* option;
    const char* expected;  // a text the reader must get
  };
  const row rows[] = {
      {"--listing", "Moments"},
      {"--log", "NOTE: "},
      {"--graph-dump", "Histogram"},
  };
  for (const row& r : rows) {
    fs::remove(dir_ / "f");
    fifo_reader reader(dir_ / "f");
    std::vector<std::string> args = {r.option, "f"};
    if (std::string(r.option) != "--log") args.insert(args.end(), {"--log", "log"});
    if (std::string(r.option) != "--listing") args.insert(args.end(), {"--listing", "lst"});
    const int status = run("proc kestravine data=d; var x; histogram x; run;\n", args);
    if (status == 1000 + SIGALRM) reader.release(dir_ / "f");
    EXPECT_EQ(status, 0) << r.option << err_;
    EXPECT_NE(reader.text().find(r.expected), std::string::npos) << r.option;
  }
}

// A link planted as a graph's file was followed and its target overwritten; a FIFO
// there blocked the run. Both are refused with a message naming the file, and kept.
TEST_F(RunnerGraphFiles, PlantedLinksAndFifosAreNeverWrittenThrough) {
  struct row {
    const char* graphics;
    const char* program;
    const char* file;
  };
  const row rows[] = {
      {"template", kTemplateProgram, "Histogram1.svg"},
      {"device", kDeviceProgram, "KESTRA.svg"},
  };
  for (const row& r : rows) {
    dir_.write("victim", "precious\n");
    fs::remove(dir_ / r.file);
    fs::create_symlink("victim", dir_ / r.file);
    EXPECT_EQ(run(r.program, {"--graphics", r.graphics, "--log", "log"}), 2) << r.graphics << "\n" << log();
    EXPECT_EQ(slurp(dir_ / "victim"), "precious\n") << r.graphics;
    EXPECT_TRUE(fs::is_symlink(dir_ / r.file)) << r.graphics;
    EXPECT_NE(log().find(std::string("The graph file ") + r.file + " cannot be written: it is a symbolic link"),
              std::string::npos)
        << log();
    fs::remove(dir_ / r.file);
    ASSERT_EQ(::mkfifo((dir_ / r.file).c_str(), 0600), 0);
    EXPECT_EQ(run(r.program, {"--graphics", r.graphics, "--log", "log"}), 2) << r.graphics << "\n" << log();
    EXPECT_NE(log().find(std::string("The graph file ") + r.file + " cannot be written: it is a FIFO"),
              std::string::npos)
        << log();
    fs::remove(dir_ / r.file);
    EXPECT_TRUE(files_with(".tmp").empty());
  }
}

// A write that failed part way (a file-size limit) left a cut SVG. The older file
// stays whole, the step fails and no temporary file is left.
TEST_F(RunnerGraphFiles, AFailedGraphWriteLeavesNoCutFile) {
  for (const char* graphics : {"template", "device"}) {
    const std::string file = std::string(graphics) == "device" ? "KESTRA.svg" : "Histogram1.svg";
    ASSERT_EQ(run(kTemplateProgram, {"--graphics", graphics, "--log", "log"}), 0) << log();
    const std::string whole = slurp(dir_ / file);
    ASSERT_GT(whole.size(), 3000u);
    const std::string old = "<svg width=\"1\" height=\"1\">older</svg>\n";
    dir_.write(file, old);
    EXPECT_EQ(run(kTemplateProgram, {"--graphics", graphics, "--log", "log"}, [] { kes_test::limit_file_size(2000); }),
              2)
        << graphics << "\n" << log();
    EXPECT_EQ(slurp(dir_ / file), old) << graphics;
    EXPECT_NE(log().find("The graph file " + file + " cannot be written"), std::string::npos) << log();
    EXPECT_TRUE(files_with(".tmp").empty()) << graphics;
  }
}

// A dump that could not be written ended with exit 0, the dump cut and nothing said.
// It now fails the run's files as the log and the JSON file do (exit 6).
TEST_F(RunnerGraphFiles, AGraphDumpWriteErrorGivesExit6) {
  EXPECT_EQ(run(kTemplateProgram, {"--log", "log", "--graph-dump", "/dev/full"}), 6) << err_;
  EXPECT_NE(err_.find("the graph dump file '/dev/full' could not be written"), std::string::npos) << err_;
  EXPECT_EQ(run(kTemplateProgram, {"--log", "log", "--graph-dump", "dump"}, [] { kes_test::limit_file_size(100); }), 6)
      << err_;
  EXPECT_NE(err_.find("the graph dump file 'dump' could not be written"), std::string::npos) << err_;
}

// Two outputs of one run naming one file mixed or overwrote each other. They are
// refused before the run (exit 4) and the file is left as it was; a graph file that
// is one of the run's own files is not written.
TEST_F(RunnerGraphFiles, TwoOutputsNeverShareAFile) {
  struct row {
    std::vector<std::string> args;
    const char* said;
  };
  fs::create_directories(dir_ / "sub");
  const row rows[] = {
      {{"--log", "x", "--listing", "x"}, "--listing: the file 'x' is also the --log file"},
      {{"--listing", "x", "--json", "./x"}, "--json: the file './x' is also the --listing file"},
      {{"--log", "x", "--graph-dump", "sub/../x"}, "--graph-dump: the file 'sub/../x' is also the --log file"},
      {{"--json", "x", "--graph-dump", "x"}, "--graph-dump: the file 'x' is also the --json file"},
  };
  for (const row& r : rows) {
    dir_.write("x", "kept\n");
    EXPECT_EQ(run(kTemplateProgram, r.args), 4) << r.said;
    EXPECT_NE(err_.find(r.said), std::string::npos) << err_;
    EXPECT_EQ(slurp(dir_ / "x"), "kept\n") << r.said;
  }
  // The dump where the run's first template graph goes: the graph is not written over it.
  EXPECT_EQ(run(kTemplateProgram, {"--log", "log", "--graph-dump", "Histogram1.svg"}), 2) << log();
  EXPECT_NE(log().find("The graph file Histogram1.svg cannot be written: it is the run's graph dump file"),
            std::string::npos)
      << log();
  EXPECT_EQ(slurp(dir_ / "Histogram1.svg").rfind("<svg", 0), std::string::npos);
}

}  // namespace

// A comparative graph of more than 20 pages (a CLASS variable of many levels, an ID
// column given by mistake) says how many cells and pages it draws, once a graph, in
// both renderers; one of 20 pages or fewer says nothing. The note's count of pages is
// the count of files.
TEST_F(RunnerGraphFiles, AComparativeGraphOfManyPagesSaysSo) {
  const struct {
    int levels;
    const char* statement;
    const char* renderer;
    int pages;  // 0: no note
  } cases[] = {
      {210, "histogram x;", "template", 21}, {200, "histogram x;", "template", 0},
      {210, "histogram x / nrows=1 ncols=10;", "device", 21}, {200, "histogram x / nrows=1 ncols=10;", "device", 0},
      {42, "histogram x / nrows=2;", "template", 21},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.levels) + " " + c.statement + " " + c.renderer);
    std::string csv = "id,x\n";
    for (int i = 0; i < c.levels; ++i) csv += std::to_string(i) + "," + std::to_string(i % 7) + "\n";
    dir_.write("ids.csv", csv);
    fs::remove_all(dir_ / "g");
    fs::create_directories(dir_ / "g");
    ASSERT_EQ(run(std::string("proc kestravine data=ids noprint; var x; class id; ") + c.statement + " run;\n",
                  {"--log", "log", "--graphics", c.renderer, "--graphs", "g"}),
              0)
        << log();
    // Said at the statement, which a program of many steps needs to find it.
    const std::string note = "prog.kes line 1, column 52: The HISTOGRAM graph of x draws " + std::to_string(c.levels) +
                             " CLASS cells on " + std::to_string(c.pages) +
                             " pages, a graph file each (in the HISTOGRAM statement).";
    const std::string text = log();
    if (c.pages == 0) {
      EXPECT_EQ(text.find("CLASS cells on"), std::string::npos) << text;
      continue;
    }
    EXPECT_NE(text.find(note), std::string::npos) << text;
    EXPECT_EQ(text.find(note), text.rfind(note)) << "said once";
    EXPECT_EQ(kes_test::svg_files(dir_ / "g").size(), static_cast<std::size_t>(c.pages));
  }
}
