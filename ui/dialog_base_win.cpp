#include "ui/dialog_base_win.h"

#include <algorithm>

INT_PTR CDialogBase::DoModal(HWND owner) {
  return ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), owner,
                           Procedure, reinterpret_cast<LPARAM>(this));
}

void CDialogBase::CentreOverOwner() {
  HWND owner = ::GetWindow(hwnd_, GW_OWNER);
  bool ownerShown = owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  if (!::GetMonitorInfoA(::MonitorFromWindow(ownerShown ? owner : hwnd_, MONITOR_DEFAULTTONEAREST),
                         &monitor)) {
    return;
  }
  const RECT& area = monitor.rcWork;
  RECT around = area;
  if (ownerShown) ::GetWindowRect(owner, &around);
  RECT self;
  ::GetWindowRect(hwnd_, &self);
  const LONG width = self.right - self.left;
  const LONG height = self.bottom - self.top;
  LONG left = (around.left + around.right - width) / 2;
  LONG top = (around.top + around.bottom - height) / 2;
  left = std::max(area.left, std::min(left, area.right - width));
  top = std::max(area.top, std::min(top, area.bottom - height));
  ::SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK CDialogBase::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialogBase* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialogBase*>(lParam);
    ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<CDialogBase*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  if (self == nullptr) return FALSE;
  INT_PTR result = self->OnMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}
