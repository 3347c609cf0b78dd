// SIGINT, SIGTERM and SIGHUP, once watched, end nothing: each is counted for
// the engine to act on, the first cause kept for its log line. Run in a child
// process, so the test program keeps its own signal handling.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "os/interrupt.h"

namespace {

// 0 when every check held in the child; else the number of the one that failed.
int InChild() {
  os::ResetInterruptsForTesting();
  if (os::InterruptRequested()) return 1;
  os::WatchInterrupts();
  os::WatchInterrupts();  // a second call changes nothing
  ::raise(SIGTERM);
  if (!os::InterruptRequested() || os::InterruptCount() != 1) return 2;
  ::raise(SIGINT);
  ::raise(SIGINT);
  ::raise(SIGHUP);
  if (os::InterruptCount() != 4) return 3;
  if (os::FirstInterruptCause() != os::InterruptCause::kSigTerm) return 4;
  if (os::LastInterruptCause() != os::InterruptCause::kSigHup) return 5;
  if (std::strcmp(os::InterruptCauseText(os::FirstInterruptCause()), "SIGTERM received") != 0) return 6;
  return 0;
}

TEST(InterruptPosix, SignalsAreCountedAndEndNothing) {
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(InChild());
  int status = 0;
  ASSERT_EQ(child, ::waitpid(child, &status, 0));
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(0, WEXITSTATUS(status)) << "check " << WEXITSTATUS(status) << " failed";
}

// A signal its starter ignores (nohup) stays ignored.
TEST(InterruptPosix, IgnoredSignalStaysIgnored) {
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGHUP, SIG_IGN);
    os::ResetInterruptsForTesting();
    os::WatchInterrupts();
    ::raise(SIGHUP);
    ::_exit(os::InterruptRequested() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(child, ::waitpid(child, &status, 0));
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(0, WEXITSTATUS(status));
}

}  // namespace
