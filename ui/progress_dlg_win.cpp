#include "ui/dialogs_win.h"

#include <commctrl.h>

#include "os/interrupt.h"
#include "ui/resource_ids.h"

namespace {
// Sent by the worker as its last action, when the run is over.
constexpr UINT kRunEndedMessage = WM_APP + 3;
}  // namespace

CProgressDlg::~CProgressDlg() { WaitForWorker(); }

void CProgressDlg::Prepare(const std::string& title, std::function<void()> run,
                           bool closeWhenDone) {
  title_ = title;
  run_ = std::move(run);
  closeWhenDone_ = closeWhenDone;
}

void CProgressDlg::SetProgress(int position, int maximum) {
  position_ = position;
  maximum_ = maximum;
  progressSet_ = true;
  if (hwnd_ == nullptr) return;
  // The bar's range is a 16-bit value.
  ::SendDlgItemMessageA(hwnd_, IDC_PROGRESS, PBM_SETRANGE, 0,
                        MAKELPARAM(0, static_cast<WORD>(maximum & 0xFFFF)));
  ::SendDlgItemMessageA(hwnd_, IDC_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void CProgressDlg::SetTask(const std::string& text) {
  task_ = text;
  taskSet_ = true;
  if (hwnd_ != nullptr) ::SetDlgItemTextA(hwnd_, IDC_TASK, text.c_str());
}

void CProgressDlg::SetFiles(const std::string& counts) {
  if (hwnd_ == nullptr) return;
  ::SetDlgItemTextA(hwnd_, IDC_TASK, counts.empty() ? task_.c_str() : counts.c_str());
}

void CProgressDlg::SetDetail(const std::string& wholeText) {
  detail_ = wholeText;
  if (hwnd_ == nullptr) return;
  ::SetDlgItemTextA(hwnd_, IDC_DETAIL, wholeText.c_str());
  LRESULT lines = ::SendDlgItemMessageA(hwnd_, IDC_DETAIL, EM_GETLINECOUNT, 0, 0);
  if (lines > 0) ::SendDlgItemMessageA(hwnd_, IDC_DETAIL, EM_LINESCROLL, 0, lines);
}

INT_PTR CProgressDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;
    case kRunEndedMessage:
      finished_ = true;
      ::EnableWindow(::GetDlgItem(hwnd_, IDOK), TRUE);
      if (closeWhenDone_) ::PostMessageA(hwnd_, WM_CLOSE, 0, 0);
      return TRUE;
    case WM_COMMAND:
      // OK, Escape and close requests end the window only once the run is
      // over; before that they are refused, and the main thread goes on
      // servicing the windows.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        if (finished_) ::EndDialog(hwnd_, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      if (finished_) ::EndDialog(hwnd_, IDOK);
      return TRUE;
    case WM_QUERYENDSESSION:
      // The session may end once the run is over. Before that the run is
      // asked to stop at its next safe point and roll back, and the session
      // to wait for it.
      if (!finished_) os::RequestInterrupt(os::InterruptCause::kSessionEnding);
      ::SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, finished_ ? TRUE : FALSE);
      return TRUE;
    case WM_ENDSESSION:
      // Ending all the same: the process ends when this returns, so the
      // rollback is waited for here.
      if (wParam != FALSE && !finished_) {
        os::RequestInterrupt(os::InterruptCause::kSessionEnding);
        WaitForRunServingCalls();
      }
      return TRUE;
    case WM_DESTROY:
      WaitForWorker();
      return FALSE;
    default:
      return FALSE;
  }
}

void CProgressDlg::OnInitDialog() {
  if (!title_.empty()) ::SetWindowTextA(hwnd_, title_.c_str());
  ShowControls();
  ::EnableWindow(::GetDlgItem(hwnd_, IDOK), FALSE);
  finished_ = false;
  worker_.reset(::CreateThread(nullptr, 0, WorkerBody, this, 0, nullptr));
  // Without a worker there is no run to wait for; the window can be closed.
  if (!worker_) ::SendMessageA(hwnd_, kRunEndedMessage, 0, 0);
}

// What was reported before the window opened.
void CProgressDlg::ShowControls() {
  if (progressSet_) SetProgress(position_, maximum_);
  if (taskSet_) SetTask(task_);
  if (!detail_.empty()) SetDetail(detail_);
}

DWORD WINAPI CProgressDlg::WorkerBody(void* parameter) {
  auto* self = static_cast<CProgressDlg*>(parameter);
  if (self->run_) self->run_();
  ::SendMessageA(self->hwnd_, kRunEndedMessage, 0, 0);
  return 0;
}

void CProgressDlg::WaitForRunServingCalls() {
  // The worker's calls to the windows are sent to this thread: they are
  // served while it waits, or neither could go on.
  if (!worker_) return;
  HANDLE worker = worker_.get();
  while (::MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
    MSG message;
    (void)::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

void CProgressDlg::WaitForWorker() {
  if (!worker_) return;
  ::WaitForSingleObject(worker_.get(), INFINITE);
  worker_.reset();
}
