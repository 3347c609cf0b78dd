#include <vector>

#include "ui/dialogs_win.h"
#include "ui/resource_ids.h"

void CInputDlg::SetTexts(const std::string& title, const std::string& question,
                         const std::string& initialAnswer, int maxLength) {
  title_ = title;
  question_ = question;
  answer_ = initialAnswer;
  maxLength_ = maxLength;
}

INT_PTR CInputDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      ::SetWindowTextA(hwnd_, title_.c_str());
      ::SetDlgItemTextA(hwnd_, IDC_QUESTION, question_.c_str());
      ::SetDlgItemTextA(hwnd_, IDC_ANSWER, answer_.c_str());
      // 0 is the edit box's own largest limit.
      ::SendDlgItemMessageA(hwnd_, IDC_ANSWER, EM_LIMITTEXT,
                            static_cast<WPARAM>(maxLength_ > 0 ? maxLength_ : 0), 0);
      CentreOverOwner();
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        HWND edit = ::GetDlgItem(hwnd_, IDC_ANSWER);
        std::vector<char> text(static_cast<size_t>(::GetWindowTextLengthA(edit)) + 1, '\0');
        ::GetWindowTextA(edit, text.data(), static_cast<int>(text.size()));
        answer_ = text.data();
        ::EndDialog(hwnd_, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(hwnd_, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}
