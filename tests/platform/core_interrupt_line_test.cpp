// The closing line of an interrupted run says what the step in progress left: it is
// about that step alone, whatever the steps before it wrote. Each case runs in a
// child process that takes the signal with the runner's handlers, its log a pipe.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "core/temp_files.h"

namespace {

// The log the handler writes when 'steps' has run and SIGTERM comes, and the child's
// exit status.
std::string closing_line(const std::function<void()>& steps, int* status) {
  int fd[2];
  if (::pipe(fd) != 0) return "no pipe";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fd[0]);
    plat::install_interrupt_handlers();
    plat::set_interrupt_log(fd[1]);
    steps();
    ::raise(SIGTERM);
    ::_exit(0);
  }
  ::close(fd[1]);
  std::string log;
  char buf[512];
  for (ssize_t n; (n = ::read(fd[0], buf, sizeof buf)) > 0;) log.append(buf, static_cast<std::size_t>(n));
  ::close(fd[0]);
  int raw = 0;
  ::waitpid(pid, &raw, 0);
  *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return log;
}

constexpr const char* kHead = "ERROR: The run was interrupted by SIGTERM";
constexpr const char* kNone = ": the step in progress did not finish, its output data sets were not written";
constexpr const char* kSome = ": the step in progress did not finish, only the output data sets it had closed were "
                              "written";
constexpr const char* kIdle = " while no step was running";

// Steps as the runner marks them: a step begins and ends, and an output data set the
// running step closes takes its place.
void step_writing_output() {
  plat::set_interrupt_in_step(true);
  plat::set_interrupt_output_placed();
  plat::set_interrupt_in_step(false);
}

TEST(InterruptLine, SaysWhatTheStepInProgressLeft) {
  const struct {
    const char* what;
    std::function<void()> steps;
    const char* rest;
  } cases[] = {
      {"before any step", [] {}, kIdle},
      {"in a first step that closed nothing", [] { plat::set_interrupt_in_step(true); }, kNone},
      {"in a step that closed a data set",
       [] {
         plat::set_interrupt_in_step(true);
         plat::set_interrupt_output_placed();
       },
       kSome},
      {"between steps, after one that wrote output", [] { step_writing_output(); }, kIdle},
      {"in a second step after one that wrote output",
       [] {
         step_writing_output();
         plat::set_interrupt_in_step(true);
       },
       kNone},
      {"in a third step after two that wrote output",
       [] {
         step_writing_output();
         step_writing_output();
         plat::set_interrupt_in_step(true);
       },
       kNone},
      {"in a second step that closed a data set itself",
       [] {
         step_writing_output();
         plat::set_interrupt_in_step(true);
         plat::set_interrupt_output_placed();
       },
       kSome},
  };
  for (const auto& c : cases) {
    int status = 0;
    const std::string log = closing_line(c.steps, &status);
    EXPECT_EQ(status, 128 + SIGTERM) << c.what;
    EXPECT_EQ(log.rfind(std::string(kHead) + c.rest, 0), 0u) << c.what << ": " << log;
  }
}

}  // namespace
