// The runner on one thread and on eight gives the same bits: listing, JSON (every
// number at full precision), written data sets and log (but for its timing lines), on
// generated data with ties, missing values, FREQ and WEIGHT, BY groups and CLASS
// cells. The files are sized around the reader's chunk of 1 MB, so records, and quoted
// texts with line ends, lie across the cuts; one file has no final line end.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "data/csv_reader.h"
#include "support/scratch_files.h"
#include "support/test_settings.h"

namespace {

using kes_test::slurp;

// One record of the data set; every third carries a quoted note with line ends and
// commas, and the values repeat (ties), go missing or carry counts and weights.
std::string record(std::mt19937& rng, long i, long rows) {
  std::ostringstream s;
  const long group = i * 4 / rows;  // four BY groups, in order
  const char* cells[] = {"red", "green", "\"blue, dark\""};
  s << group << ',' << cells[rng() % 3] << ',';
  switch (rng() % 10) {
    case 0: s << '.'; break;                                      // missing
    case 1: s << ".A"; break;                                     // special missing
    case 2: case 3: s << static_cast<int>(rng() % 50) - 25; break;  // ties
    default: s << (static_cast<double>(rng() % 2000000) - 1e6) / 1024.0;
  }
  s << ',' << 1 + rng() % 4 << ',' << (rng() % 8) * 0.25 << ',';
  if (i % 3 == 0) s << "\"line one\nline \"\"two\"\", end\r\n\"";
  else s << "plain";
  return s.str();
}

// The smallest number of records after the header whose text passes `bytes`.
std::string data_text(unsigned seed, std::size_t bytes, bool final_eol) {
  std::mt19937 rng(seed);
  std::string text = "g,c,x,f,w,note\n";
  const long rows = static_cast<long>(bytes / 40);  // about, for the BY groups
  for (long i = 0; text.size() <= bytes; ++i) text += record(rng, i, rows) + "\n";
  if (!final_eol) text.pop_back();
  return text;
}

const char* kProgram = R"(proc kestravine data=d normal robustscale cibasic cipctldf trimmed=.2 winsorized=.1
     modes nextrobs=3 pctldef=2 outtable=ot;
  var x;
  output out=o1 mean=m std=s median=med qn=qn sn=sn p5=p5 p95=p95;
run;
proc kestravine data=d vardef=weight pctldef=5;
  by g;
  class c;
  var x;
  freq f;
  weight w;
  output out=o2 mean=m var=v q1=q1 q3=q3;
run;
proc kestravine data=d freq;
  class c;
  var x;
  freq f;
  histogram x / normal midpercents;
run;
)";

// The log without its timing lines, which differ from run to run.
std::string untimed(const std::string& log) {
  std::istringstream in(log);
  std::string out, line;
  while (std::getline(in, line))
    if (line.find("seconds of real time") == std::string::npos) out += line + "\n";
  return out;
}

// Everything one run wrote, as one text per output.
struct outputs {
  std::string listing, json, log, o1, o2, ot;
};

outputs run_with(const kes_test::scratch_dir& dir, int threads) {
  const std::string d = dir.path().string();
  const std::string cmd = "cd '" + d + "' && '" + kes_test::built("kestravine") + "' --threads " +
                          std::to_string(threads) +
                          " --graphics none --work . --listing lst --log log --json json p.kes >/dev/null 2>err";
  const int raw = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) <= 1) << slurp(dir / "err") << slurp(dir / "log");
  return {slurp(dir / "lst"), slurp(dir / "json"), untimed(slurp(dir / "log")),
          slurp(dir / "o1.csv"), slurp(dir / "o2.csv"), slurp(dir / "ot.csv")};
}

TEST(RunnerThreads, OneThreadAndEightGiveTheSameBitsAcrossTheReadersChunks) {
  const std::size_t mb = plat::csv_chunk_bytes;
  struct size_case {
    std::size_t bytes;
    bool final_eol;
  };
  // Just under one chunk, just past one (the last record crosses the cut), past two,
  // and past two without a final line end.
  const size_case sizes[] = {{mb - 200, true}, {mb + 1, true}, {2 * mb + 30, true}, {2 * mb + 500, false}};
  kes_test::scratch_dir dir{"threads"};
  {
    std::ofstream(dir / "p.kes") << kProgram;
  }
  for (const size_case& sc : sizes) {
    SCOPED_TRACE(std::to_string(sc.bytes) + (sc.final_eol ? "" : " without a final line end"));
    {
      std::ofstream(dir / "d.csv", std::ios::binary) << data_text(static_cast<unsigned>(sc.bytes), sc.bytes, sc.final_eol);
    }
    const outputs one = run_with(dir, 1);
    const outputs eight = run_with(dir, 8);
    ASSERT_NE(one.listing.find("Tests for Normality"), std::string::npos) << one.log;
    EXPECT_NE(one.listing.find("blue, dark"), std::string::npos);  // a CLASS cell from a quoted text
    EXPECT_FALSE(one.o2.empty());
    EXPECT_EQ(one.listing, eight.listing);
    EXPECT_EQ(one.json, eight.json);
    EXPECT_EQ(one.log, eight.log);
    EXPECT_EQ(one.o1, eight.o1);
    EXPECT_EQ(one.o2, eight.o2);
    EXPECT_EQ(one.ot, eight.ot);
  }
}

}  // namespace
