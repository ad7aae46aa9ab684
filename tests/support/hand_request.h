// A histogram request over hand-made cells, with the host's notes recorded: the context
// with its run and BY-group pools, the request, its CLASS variables, its HISTOGRAM node
// and the builder of its cells.
#pragma once
#include <gtest/gtest.h>

#include <optional>

#include "driver/plot_test_support.h"
#include "records/kes_ctx.h"
#include "support/hand_cells.h"
#include "support/note_recorder.h"

namespace kes_test {

class hand_request : public ::testing::Test {
 protected:
  // The analysis variable is named `name`.
  void SetUp() override { set_up("x"); }
  void TearDown() override;
  void set_up(const char* name);

  kes_ctx ctx{};
  kes_classvars cv{};
  kes_preq req{};
  plot_test::node stmt{"HISTOGRA"};
  int varslot[1] = {0};
  hand_cells made;

 private:
  std::optional<note_recorder> recorder_;
};

}  // namespace kes_test
