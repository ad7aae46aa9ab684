// A histogram request laid out on a device by hand: one cell whose key slot holds the
// common bins and the axis scales, a layout with the axis records as the statement
// pass leaves them without axis definitions, and a vector device of 640 x 480 pixels
// (aspect 0.75) whose texts the stand-in measures with its one metric.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "host/host_graph.h"
#include "records/kes_axis.h"
#include "records/kes_layout.h"
#include "records/kes_plotslot.h"
#include "support/hand_request.h"

namespace devgraph_test {

class chart_fixture : public kes_test::hand_request {
 protected:
  void SetUp() override;

  // Bins: n midpoints from `first`, `width` apart; the vertical axis 0..vmax by vstep.
  void bins(int n, double first, double width, double vmax, double vstep);
  // kesgmar on the page area.
  void margins();
  // kesgmar, kesgpag and kesgpg2 in turn: the first non-zero status, else 0.
  int lay_out();
  std::string notes() const { return kes_test::note_recorder::keys(); }

  kes_layout lay{};
  kes_chart& c = lay.c;
  kes_axisdef hdef{}, vdef{};
  gdevopts opts{};
  gdevice dev{};
  kes_plotslot slot{};
  kes_cell* cell = nullptr;
  int total[1] = {20}, varnums[1] = {0};
  double page[4] = {0, 0, 100, 100};
};

}  // namespace devgraph_test
