// The program's windows on Windows. The main window's confirmation and the
// message boxes are system message boxes; the progress window runs the engine
// on its own worker thread and the main thread waits for it while servicing
// its messages.
#include <windows.h>

#include <functional>

#include "engine/engine.h"
#include "engine/strings.h"
#include "ui/brevane_windows.h"

namespace {

class CWin32Windows : public CBrevaneWindows {
 public:
  explicit CWin32Windows(CHFS_RunFlags& flags) : flags_(flags) {}

  void ShowProgress(int position, int maximum) override {
    position_ = position;
    maximum_ = maximum & 0xFFFF;
  }
  void ShowTaskText(const std::string& text) override { taskText_ = text; }
  void ShowDetailText(const std::string& wholeText) override { detailText_ = wholeText; }
  void SetMainDescription(const std::string& text) override { description_ = text; }
  void SetReadmeText(const std::string& text) override { readme_ = text; }
  bool HasCurrentMainWindow() const override { return hasCurrent_; }

  int MessageBox(const std::string& text, const std::string& caption, int style,
                 bool owned) override {
    return ::MessageBoxA(nullptr, text.c_str(), caption.c_str(),
                         static_cast<UINT>(style) | (owned ? MB_TASKMODAL : 0));
  }

  MainWindowOutcome RunMainWindow(CHFS_Engine& engine,
                                  const std::function<int()>& execute) override {
    hasCurrent_ = true;
    std::string title = engine.ReadItem("WelcomeWindowTitle", "ProductInstall.Main", 0);
    if (title == kEmptyItem) title = "Brevane";
    if (!flags_.silent) {
      std::string text = description_ + "\r\n\r\n" + readme_ + "\r\n\r\n" +
                         BrevaneString(flags_.remove ? kIdsRemove : kIdsInstall) + "?";
      if (::MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
        return MainWindowOutcome::kCancelled;
      }
    }
    RunWorker(execute);
    if (!flags_.silent) {
      std::string setupTitle = engine.ReadItem("SetupWindowTitle", "ProductInstall.Main", 0);
      if (setupTitle == kEmptyItem) setupTitle = "Ostrel Hotfix tool";
      ::MessageBoxA(nullptr, (taskText_ + "\r\n\r\n" + detailText_).c_str(), setupTitle.c_str(),
                    MB_OK);
    }
    return MainWindowOutcome::kRan;
  }

 private:
  static DWORD WINAPI WorkerBody(void* parameter) {
    (*static_cast<const std::function<int()>*>(parameter))();
    return 0;
  }

  // Runs execute on one worker thread and waits for it while dispatching this
  // thread's messages, so that windows owned by this thread stay responsive.
  static void RunWorker(const std::function<int()>& execute) {
    HANDLE handle = ::CreateThread(nullptr, 0, WorkerBody,
                                   const_cast<std::function<int()>*>(&execute), 0, nullptr);
    if (handle == nullptr) return;
    for (;;) {
      DWORD wait = ::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT);
      if (wait != WAIT_OBJECT_0 + 1) break;
      MSG msg;
      while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
      }
    }
    ::CloseHandle(handle);
  }

  CHFS_RunFlags& flags_;
  bool hasCurrent_ = false;
  int position_ = 0;
  int maximum_ = 0;
  std::string taskText_;
  std::string detailText_;
  std::string description_;
  std::string readme_;
};

}  // namespace

std::unique_ptr<CBrevaneWindows> CBrevaneWindows::Create(CHFS_RunFlags& flags) {
  return std::make_unique<CWin32Windows>(flags);
}
