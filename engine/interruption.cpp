// How a run stops when asked to from outside (Ctrl-C, SIGTERM, the end of the
// Windows session ...): the request only raises a flag; the step walk, the
// item walks and the file loops look at it between one piece of work and the
// next, and the run then ends as stopped and is rolled back.
#include "engine/engine.h"
#include "engine/main_section.h"
#include "os/interrupt.h"

bool CHFS_Engine::StopRequested(const std::string& where) {
  if (rollingBack_ || !os::InterruptRequested()) return false;
  if (!stopping_) {
    stopping_ = true;
    requestsSeen_ = os::InterruptCount();
    Trace("*** Interrupted: %s; stopping %s and rolling back.",
          os::InterruptCauseText(os::FirstInterruptCause()), where.c_str());
  }
  return true;
}

int CHFS_Engine::RollBack(CHFS_MainSection& mainSection, CHFS_InstallRecord& record) {
  rollingBack_ = true;
  int undone = mainSection.Rollback(mainSectionName_, record);
  rollingBack_ = false;
  const int requests = os::InterruptCount();
  if (requests > requestsSeen_) {
    // Taken in only now: the rollback is never cut short, however often asked.
    Trace("*** Interrupted%s during the rollback: %s (%d request(s)); the rollback was not cut short.",
          stopping_ ? " again" : "", os::InterruptCauseText(os::LastInterruptCause()),
          requests - requestsSeen_);
    requestsSeen_ = requests;
  }
  if (stopping_) {
    if (undone == 0) {
      Trace("*** Interrupted run rolled back.");
    } else {
      Trace("*** Interrupted run: the rollback did not undo everything (result %d).", undone);
    }
  }
  return undone;
}
