// The program's windows on Windows: real dialogs from the program's
// resources. Every call from the worker runs on the main thread, which owns
// the windows, through the UI caller; the worker waits until it has run.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "engine/engine.h"
#include "engine/strings.h"
#include "os/handle_owners_win.h"
#include "ui/brevane_windows.h"
#include "ui/dialogs_win.h"
#include "ui/file_progress_text.h"

namespace {

class CWin32Windows : public CBrevaneWindows {
 public:
  explicit CWin32Windows(CHFS_RunFlags& flags) : flags_(flags) {}
  ~CWin32Windows() override {
    if (comReady_) ::CoUninitialize();
  }

  // False when the windows cannot be made on this thread.
  bool Initialise() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    // The folder browser needs COM on the thread that shows it.
    comReady_ = SUCCEEDED(::CoInitialize(nullptr));
    return caller_.Create();
  }

  void ShowProgress(int position, int maximum) override {
    caller_.Call([&] { progress_.SetProgress(position, maximum); });
  }
  void ShowTaskText(const std::string& text) override {
    caller_.Call([&] { progress_.SetTask(text); });
  }
  void ShowFileProgress(const CHFS_FileProgress& progress) override {
    if (!pace_.Due(progress)) return;
    const std::string& file = progress.currentFile;
    const std::string counts =
        file.empty() ? std::string()
                     : FileCountsText(progress) + ": " + file.substr(file.find_last_of('\\') + 1);
    caller_.Call([&] { progress_.SetFiles(counts); });
  }
  void ShowDetailText(const std::string& wholeText) override {
    caller_.Call([&] { progress_.SetDetail(wholeText); });
  }
  void SetMainDescription(const std::string& text) override {
    caller_.Call([&] { main_.SetDescription(text); });
  }
  void SetReadmeText(const std::string& text) override {
    caller_.Call([&] { main_.SetReadme(text); });
  }
  bool HasCurrentMainWindow() const override { return hasCurrent_; }

  int MessageBox(const std::string& text, const std::string& caption, int style,
                 bool owned) override {
    int answer = 0;
    caller_.Call([&] {
      HWND owner = owned ? CurrentMainWindow() : nullptr;
      answer = ::MessageBoxA(owner, text.c_str(), caption.c_str(), static_cast<UINT>(style));
    });
    return answer;
  }

  int AskInput(const std::string& title, const std::string& question,
               const std::string& initialAnswer, int maxLength, std::string& answer) override {
    int result = IDCANCEL;
    caller_.Call([&] {
      input_.SetTexts(title, question, initialAnswer, maxLength);
      result = static_cast<int>(input_.ShowModal(progress_.Handle()));
      if (result == IDOK) answer = input_.GetAnswer();
    });
    return result;
  }

  int BrowseForFolder(const std::string& title, const std::string& instruction,
                      const std::string& initialFolder, CHFS_Reporter& reporter,
                      std::string& path) override {
    int result = -1;
    caller_.Call([&] {
      CFolderBrowser browser(title, instruction, initialFolder, progress_.Handle(), reporter);
      result = browser.Browse();
      if (result == 1) path = browser.GetPath();
    });
    return result;
  }

  MainWindowOutcome RunMainWindow(CHFS_Engine& engine,
                                  const std::function<int()>& execute) override {
    hasCurrent_ = true;
    main_.Prepare(TitleOf(engine, "WelcomeWindowTitle"),
                  BrevaneString(flags_.remove ? kIdsRemove : kIdsInstall), flags_.silent,
                  [&] { RunProgressWindow(engine, execute); });
    INT_PTR shown = main_.DoModal(nullptr);
    if (shown == -1 && flags_.silent && !ran_) return RunWithoutWindows(execute);
    if (shown == -1) return MainWindowOutcome::kNotShown;
    return shown == IDOK ? MainWindowOutcome::kRan : MainWindowOutcome::kCancelled;
  }

 private:
  static std::string TitleOf(CHFS_Engine& engine, const char* key) {
    std::string title = engine.ReadItem(key, "ProductInstall.Main", 0);
    return title == kEmptyItem ? std::string() : title;
  }

  // The owner of message boxes: the main window, the progress window from
  // confirmation on. Read on the main thread only.
  HWND CurrentMainWindow() const {
    return progressIsCurrent_ ? progress_.Handle() : main_.Handle();
  }

  void RunProgressWindow(CHFS_Engine& engine, const std::function<int()>& execute) {
    progress_.Prepare(TitleOf(engine, "SetupWindowTitle"), [&execute] { execute(); },
                      flags_.silent);
    progressIsCurrent_ = true;
    ran_ = true;
    if (progress_.DoModal(nullptr) == -1 && flags_.silent) RunWithoutWindows(execute);
  }

  // Without a desktop no dialog can be made. A silent run waits for no one,
  // so it runs all the same: the worker runs execute while this thread
  // services its calls.
  MainWindowOutcome RunWithoutWindows(const std::function<int()>& execute) {
    ran_ = true;
    os::UniqueKernelHandle worker(::CreateThread(
        nullptr, 0, WorkerBody, const_cast<std::function<int()>*>(&execute), 0, nullptr));
    if (!worker) return MainWindowOutcome::kNotShown;
    HANDLE waited = worker.get();
    while (::MsgWaitForMultipleObjects(1, &waited, FALSE, INFINITE, QS_ALLINPUT) ==
           WAIT_OBJECT_0 + 1) {
      MSG message;
      while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
      }
    }
    return MainWindowOutcome::kRan;
  }

  static DWORD WINAPI WorkerBody(void* execute) {
    (*static_cast<const std::function<int()>*>(execute))();
    return 0;
  }

  CHFS_RunFlags& flags_;
  CUiCaller caller_;
  CBrevaneDlg main_;
  CProgressDlg progress_;
  CInputDlg input_;
  CProgressPace pace_;
  bool comReady_ = false;
  bool hasCurrent_ = false;
  bool progressIsCurrent_ = false;
  bool ran_ = false;
};

}  // namespace

std::unique_ptr<CBrevaneWindows> CBrevaneWindows::Create(CHFS_RunFlags& flags) {
  auto windows = std::make_unique<CWin32Windows>(flags);
  if (!windows->Initialise()) return nullptr;
  return windows;
}
