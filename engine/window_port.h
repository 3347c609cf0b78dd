// What the engine needs of the windows: the controls the reporter drives and
// the message boxes. The Windows build implements it with real dialogs, the
// Linux build with the terminal; tests replace it. Every call has taken effect
// when it returns, whichever thread makes it.
#pragma once

#include <string>

class CHFS_Reporter;
struct CHFS_FileProgress;

class CHFS_WindowPort {
 public:
  virtual ~CHFS_WindowPort() = default;

  // Progress bar 1002: range 0..maximum (16 bits), then the position.
  virtual void ShowProgress(int position, int maximum) = 0;
  // Task line 1003 gets the whole text.
  virtual void ShowTaskText(const std::string& text) = 0;
  // Detail box 1004 gets the whole accumulated detail text, scrolled to its end.
  virtual void ShowDetailText(const std::string& wholeText) = 0;
  // The main window's description (1001) and readme (1000) fields.
  virtual void SetMainDescription(const std::string& text) = 0;
  virtual void SetReadmeText(const std::string& text) = 0;
  // Files copied within the current step; a port may leave them unshown.
  virtual void ShowFileProgress(const CHFS_FileProgress& progress) {}

  // True once a main window is current (the main window, later the progress
  // window); message boxes owned by it can be shown.
  [[nodiscard]] virtual bool HasCurrentMainWindow() const = 0;
  // A message box; owned by the current main window when owned is true, else
  // without owner. Returns the button code pressed.
  virtual int MessageBox(const std::string& text, const std::string& caption, int style,
                         bool owned) = 0;

  // The input window, owned by the progress window: the title, the question,
  // the edit box holding initialAnswer and accepting at most maxLength
  // characters (0 or less: the platform's largest). Returns 1 (OK) with the
  // answer set, any other value when cancelled. Shown in silent mode too.
  // A port without prompts cancels.
  virtual int AskInput(const std::string& title, const std::string& question,
                       const std::string& initialAnswer, int maxLength, std::string& answer) {
    return 2;
  }
  // The folder browser, owned by the progress window: returns 1 with path set
  // to a drive-letter folder that exists or that the user agreed to create
  // (checked with platform::ConfirmFolder, whose questions go through
  // reporter), or -1 when the user cancelled. A port without prompts cancels.
  virtual int BrowseForFolder(const std::string& title, const std::string& instruction,
                              const std::string& initialFolder, CHFS_Reporter& reporter,
                              std::string& path) {
    return -1;
  }
};
