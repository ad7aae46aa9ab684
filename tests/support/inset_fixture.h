// Inset boxes over hand-made cells: a plot request with its plot statement, INSET
// statement nodes after it, cells with summaries and plot slots holding curves, and
// the notes the builders write.
#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "inset/kes_inset.h"
#include "records/kes_cell.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "support/hand_request.h"
#include "support/stmt_node.h"

namespace inset_test {

// One INSET statement built by hand.
struct inset_stmt {
  kes_test::stmt_node node{"INSET", 21};
  std::deque<std::string> label_texts;
  std::vector<kes_textentry> labels;
  std::vector<kes_fmtentry> formats;
  kes_fmtentry all{};

  // The code stream (300 is appended).
  inset_stmt& codes(std::vector<double> c);
  inset_stmt& label(const std::string& t);
  inset_stmt& format(int width, int decimals);
  inset_stmt& format_all(int width, int decimals);
  inset_stmt& word(int slot, const std::string& w) {
    node.name(slot, w);
    return *this;
  }
};

class inset_fixture : public kes_test::hand_request {
 protected:
  void SetUp() override;

  // A new INSET statement after the plot statement (or after the last one).
  inset_stmt& inset(std::vector<double> codes);
  // The single cell (no CLASS variables) with its values, summary and plot slot.
  kes_cell* single(const std::vector<double>& values);
  // A curve of the cell's slot.
  kes_curve* curve(kes_cell* c, int dist, std::vector<double> params, bool fitted = true);
  kes_curve* kernel(kes_cell* c, int type, double cvalue, double h, double amise);
  kes_plotslot* slot(kes_cell* c) { return &c->slots[0]; }
  // Builds the boxes for the cell; the rows of box k as "label=value" texts.
  int build(kes_cell* c, int panel = 0);
  kes_insetbox* box(int k);
  std::vector<std::string> rows(int k);
  std::vector<int> kinds(int k);
  std::string notes() const;

  std::deque<inset_stmt> insets_;
  std::deque<kes_plotslot> slots_;
  std::deque<std::vector<kes_curve>> curves_;
  std::deque<std::vector<double>> summaries_;
  int varnums[1] = {0};
  int total[1] = {0};
};

std::string text_of(const char* t, int len);

}  // namespace inset_test
