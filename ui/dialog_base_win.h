// A modal dialog built from a template of the program's resources: the
// common part of the program's windows. Plain Win32.
#pragma once

#include <windows.h>

class CDialogBase {
 public:
  virtual ~CDialogBase() = default;
  CDialogBase(const CDialogBase&) = delete;
  CDialogBase& operator=(const CDialogBase&) = delete;

  // Shows the dialog modally; the value EndDialog was given, or -1 when the
  // dialog could not be created.
  INT_PTR DoModal(HWND owner);
  // The window while the dialog is shown, else null.
  [[nodiscard]] HWND Handle() const { return hwnd_; }

 protected:
  explicit CDialogBase(int templateId) : templateId_(templateId) {}

  // A message of the dialog; returns what a dialog procedure returns
  // (FALSE: not handled).
  virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Moves the dialog to the middle of its owner (of the work area when it
  // has none shown), kept inside the owner's monitor's work area.
  void CentreOverOwner();

  HWND hwnd_ = nullptr;

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  int templateId_;
};
