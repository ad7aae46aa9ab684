// Whole runs with template graphs: a program over a fixed data set run through the
// stand-in with --graph-dump and --graphs, and the dump read back as blocks of data
// objects and panels.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "support/graph_dump.h"
#include "support/scratch_files.h"
#include "support/svg_reader.h"

namespace kes_test {

struct graph_run {
  int status = -1;
  std::string dump, log, listing, json;
  std::vector<dump_block> blocks;
  std::map<std::string, std::string> svg;  // file name -> document
  std::map<std::string, std::string> sets; // data set files the step wrote (name.csv -> text)
  std::vector<const dump_block*> panels() const;
  const dump_block* data() const;  // the first data object
};

// 120 values of x (a fixed normal-looking sample, 25 to 75), CLASS c (a, b, c) and
// d (u, v), written as d.csv; statements run as "proc kestravine data=d(OPTIONS)
// noprint; var x; STATEMENTS run;".
graph_run run_graphs(const std::string& statements, const std::string& options = "");
// A whole program over the data set d.csv given as CSV text, with further runner
// options before the program (for example {"--graphics", "none"}).
graph_run run_program(const std::string& csv, const std::string& program,
                      const std::vector<std::string>& options = {});

// The y of a graph's legend title (its bold text, the group label); NaN without one.
double legend_top(const std::vector<svg_element>& els, const std::string& title);

// The CSV text of 60 values of x from 20 to 48, a quarter apart at most, in a mixed
// order.
std::string sixty_values_csv();

}  // namespace kes_test
