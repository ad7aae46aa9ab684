// Ending a step: xexit and friends unwind to the caller's frame with the code,
// running the destructors on the way; the step-end routines run once, latest first.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "core/host_routines.h"
#include "runner/host_table.h"
#include "core/runtime.h"
#include "runner/runner.h"
#include "support/scratch_files.h"

namespace {

// What the runner does around a step: the code of the step_exit, or -12345 when the
// routine returned without ending the step.
int in_step_frame(const std::function<void()>& body) {
  try {
    body();
  } catch (const plat::step_exit& e) {
    return e.code;
  }
  return -12345;
}

struct sets_flag {
  bool* flag;
  ~sets_flag() { *flag = true; }
};

TEST(StepExit, XexitUnwindsToTheFrameWithItsCode) {
  for (int code : {0, 4, 112, 1008, 1016, 9999, -2147450879}) {
    bool destroyed = false;
    int got = in_step_frame([&] {
      sets_flag guard{&destroyed};
      plat_xexit(code, 0);
      ADD_FAILURE() << "xexit returned";
    });
    EXPECT_EQ(got, code);
    EXPECT_TRUE(destroyed) << "locals between the call and the frame were not destroyed";
  }
}

TEST(StepExit, InternalErrorLogsItsTextAndEndsWith9999) {
  kes_test::captured_outputs out;
  EXPECT_EQ(in_step_frame([] { plat_xebug("table pointer lost"); }), 9999);
  EXPECT_EQ(out.log(), "ERROR: Internal error: table pointer lost\n");
}

TEST(StepExit, MathAbortEndsWithTheGivenCode) {
  kes_test::captured_outputs out;
  EXPECT_EQ(in_step_frame([] { plat_xytabrt(1, 1008); }), 1008);
  EXPECT_NE(out.log().find("ERROR: A math exception could not be recovered from"), std::string::npos);
}

// A code the output system knows is told in words; only an unknown code is shown.
TEST(StepExit, OutputObjectFailureTextSaysWhatWentWrong) {
  kes_test::captured_outputs out;
  plat::link_layers();
  plat::begin_step();
  plat_xprrlog(0, static_cast<int>(0x80008001u));
  plat_xprrlog(0, -5);
  EXPECT_EQ(out.log(),
            "ERROR: A table or other output could not be made; the step's output is incomplete. "
            "The output object has no method of that number.\n"
            "ERROR: A table or other output could not be made (code 0xFFFFFFFB); the step's output is incomplete.\n");
  EXPECT_EQ(plat::host_step_code(), 1020);  // whatever the module does next, the step failed
  plat::finish_step();
}

TEST(StepEnd, RoutinesRunOnceLatestFirstAndMayAddMore) {
  kes_test::captured_outputs out;
  std::vector<int> order;
  plat::at_step_end([&] { order.push_back(1); });
  plat::at_step_end([&] {
    order.push_back(2);
    plat::at_step_end([&] { order.push_back(3); });
  });
  plat::finish_step();
  EXPECT_EQ(order, (std::vector<int>{2, 3, 1}));
  plat::finish_step();
  EXPECT_EQ(order.size(), 3u);
}

TEST(StepEnd, AFailingRoutineIsReportedAndTheOthersStillRun) {
  kes_test::captured_outputs out;
  int ran = 0;
  plat::at_step_end([&] { ++ran; });
  plat::at_step_end([] { plat::end_step(8); });
  plat::at_step_end([] { throw std::runtime_error("disk full"); });
  plat::at_step_end([&] { ++ran; });
  plat::finish_step();
  EXPECT_EQ(ran, 2);
  std::string log = out.log();
  EXPECT_NE(log.find("tried to end the step with code 8"), std::string::npos) << log;
  EXPECT_NE(log.find("disk full"), std::string::npos) << log;
}

TEST(StepEnd, TheTaskBlockIsClearedBetweenSteps) {
  void** words = static_cast<void**>(plat::anchor()->taskblock);
  ASSERT_NE(words, nullptr);
  int record = 0;
  words[0] = &record;
  plat::finish_step();
  EXPECT_EQ(words[0], nullptr);
  words[0] = &record;
  plat::begin_step();
  EXPECT_EQ(words[0], nullptr);
  plat::finish_step();
}

}  // namespace
