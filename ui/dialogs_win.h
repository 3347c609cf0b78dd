// The program's windows on Windows: the main window (template 102), the
// progress window (129), the input window (131) and the folder browser.
// They all belong to the main thread; the worker reaches them through
// CUiCaller.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "os/handle_owners_win.h"
#include "ui/dialog_base_win.h"

class CHFS_Reporter;

// Runs functions on the thread that made it, synchronously, from any thread:
// a message-only window that the worker sends its calls to.
class CUiCaller {
 public:
  CUiCaller() = default;
  ~CUiCaller();
  CUiCaller(const CUiCaller&) = delete;
  CUiCaller& operator=(const CUiCaller&) = delete;

  // Makes the window on the calling thread; false when that fails.
  [[nodiscard]] bool Create();
  // Runs call on the window's thread and returns when it has run.
  void Call(const std::function<void()>& call);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  DWORD threadId_ = 0;
};

// The main window: description, readme, Install or Remove, Cancel.
class CBrevaneDlg : public CDialogBase {
 public:
  CBrevaneDlg() : CDialogBase(102) {}

  void SetDescription(const std::string& text) { description_ = text; }
  void SetReadme(const std::string& text) { readme_ = text; }
  // Before showing: the title (empty keeps the template's), the confirm
  // button's label, whether to confirm at once, and what confirming runs
  // (the progress window's modal phase).
  void Prepare(const std::string& title, const std::string& confirmLabel, bool confirmAtOnce,
               std::function<void()> onConfirm);

 protected:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnInitDialog();
  void Confirm();
  bool PaintMinimised();

  HICON icon_ = nullptr;
  std::string description_;
  std::string readme_;
  std::string title_;
  std::string confirmLabel_;
  bool confirmAtOnce_ = false;
  std::function<void()> onConfirm_;
};

// The progress window: runs the engine on one worker thread and shows the
// task line, the detail text and the bar; OK closes it after the run.
class CProgressDlg : public CDialogBase {
 public:
  CProgressDlg() : CDialogBase(129) {}
  ~CProgressDlg() override;

  // Before showing: the title (empty keeps the template's), the run, and
  // whether the window closes by itself when the run is over.
  void Prepare(const std::string& title, std::function<void()> run, bool closeWhenDone);

  // The controls; kept for the window's opening when it is not shown yet.
  void SetProgress(int position, int maximum);
  void SetTask(const std::string& text);
  // The counts of the files being copied in the task line while a step
  // copies them; empty puts the task back.
  void SetFiles(const std::string& counts);
  void SetDetail(const std::string& wholeText);

 protected:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  static DWORD WINAPI WorkerBody(void* self);
  void OnInitDialog();
  void ShowControls();
  void WaitForWorker();
  // Waits for the run to end while serving the worker's calls.
  void WaitForRunServingCalls();

  std::string title_;
  std::function<void()> run_;
  bool closeWhenDone_ = false;
  bool finished_ = false;
  os::UniqueKernelHandle worker_;
  int position_ = 0;
  int maximum_ = 0;
  bool progressSet_ = false;
  std::string task_;
  bool taskSet_ = false;
  std::string detail_;
};

// The input window: one question, one edit box.
class CInputDlg : public CDialogBase {
 public:
  CInputDlg() : CDialogBase(131) {}

  // The four values for the next showing; a maximum of 0 or less leaves the
  // edit box at the platform's largest limit.
  void SetTexts(const std::string& title, const std::string& question,
                const std::string& initialAnswer, int maxLength);
  // Owned by owner; 1 (OK) with the answer taken, else the box's code.
  INT_PTR ShowModal(HWND owner) { return DoModal(owner); }
  [[nodiscard]] const std::string& GetAnswer() const { return answer_; }

 protected:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  std::string title_;
  std::string question_ = "Question?";
  std::string answer_;
  int maxLength_ = 0;
};

// The system's folder selection dialog with an edit box in which a path can
// also be typed; it accepts only a drive-letter folder that exists or that
// the user agrees to create (platform::ConfirmFolder through reporter).
class CFolderBrowser {
 public:
  CFolderBrowser(const std::string& title, const std::string& instruction,
                 const std::string& initialFolder, HWND owner, CHFS_Reporter& reporter);
  CFolderBrowser(const CFolderBrowser&) = delete;
  CFolderBrowser& operator=(const CFolderBrowser&) = delete;

  // 1 when a folder was chosen and accepted, -1 otherwise.
  int Browse();
  [[nodiscard]] const char* GetPath() const { return path_; }

 private:
  static int CALLBACK Callback(HWND dialog, UINT message, LPARAM lParam, LPARAM data);
  static LRESULT CALLBACK TakenOverProcedure(HWND dialog, UINT message, WPARAM wParam,
                                             LPARAM lParam);
  void OnInitialized(HWND dialog);
  void OnSelectionChanged(HWND dialog, LPARAM item);
  void AddEditBox(HWND dialog);
  // False when the typed folder is not accepted and the dialog stays open.
  bool OnOk(HWND dialog);

  std::string title_;
  std::string instruction_;
  std::string initialFolder_;
  HWND owner_;
  CHFS_Reporter& reporter_;
  char path_[MAX_PATH] = {};
  bool confirmed_ = false;
  WNDPROC takenOverProcedure_ = nullptr;
};
