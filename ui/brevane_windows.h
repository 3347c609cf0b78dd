// The program's windows: the main window (description, readme, Install or
// Remove / Cancel), the progress window that runs the engine on its one worker
// thread (task line, detail text, progress bar), and the message boxes.
//
// Windows: dialogs from the program's resources, message boxes and the
// system's folder browser. Linux: the terminal, offering the same content and
// choices; when standard input is not a terminal the answers are read line by
// line from it, so runs can be scripted. Both also offer the prompts of a run
// (the input window and the folder browser) through CHFS_WindowPort.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine/command_line.h"
#include "engine/window_port.h"

class CHFS_Engine;

// How the main window's modal phase ended.
enum class MainWindowOutcome {
  kCancelled,  // Cancel: no run
  kRan,        // confirmed; the progress window ran the engine to its end
  kNotShown,   // the main window could not be created: no run
};

class CBrevaneWindows : public CHFS_WindowPort {
 public:
  // The windows of one process; flags are the application's and outlive them.
  static std::unique_ptr<CBrevaneWindows> Create(CHFS_RunFlags& flags);

  // Shows the main window modally (its title from "WelcomeWindowTitle"); on
  // confirmation (at once when silent) the progress window (title from
  // "SetupWindowTitle") runs execute on a worker thread and closes when the
  // run is over and the user has pressed OK (by itself when silent).
  virtual MainWindowOutcome RunMainWindow(CHFS_Engine& engine,
                                          const std::function<int()>& execute) = 0;
};
