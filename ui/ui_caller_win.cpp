#include "ui/dialogs_win.h"

namespace {
const char kCallerClass[] = "BrevaneUiCaller";
constexpr UINT kCallMessage = WM_APP + 1;
}  // namespace

CUiCaller::~CUiCaller() {
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

bool CUiCaller::Create() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kCallerClass;
  // A second registration in one process fails harmlessly; creating the
  // window tells whether the class is there.
  ::RegisterClassA(&windowClass);
  hwnd_ = ::CreateWindowExA(0, kCallerClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            windowClass.hInstance, nullptr);
  threadId_ = ::GetCurrentThreadId();
  return hwnd_ != nullptr;
}

void CUiCaller::Call(const std::function<void()>& call) {
  if (hwnd_ == nullptr || ::GetCurrentThreadId() == threadId_) {
    call();
    return;
  }
  // Sent, not posted: the worker waits until the main thread has run it.
  ::SendMessageA(hwnd_, kCallMessage, 0, reinterpret_cast<LPARAM>(&call));
}

LRESULT CALLBACK CUiCaller::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kCallMessage) {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 0;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}
