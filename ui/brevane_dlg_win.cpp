#include "ui/dialogs_win.h"
#include "ui/resource_ids.h"

namespace {
// Posted to confirm at once in silent mode, once the window is set up.
constexpr UINT kConfirmMessage = WM_APP + 2;
}  // namespace

void CBrevaneDlg::Prepare(const std::string& title, const std::string& confirmLabel,
                          bool confirmAtOnce, std::function<void()> onConfirm) {
  title_ = title;
  confirmLabel_ = confirmLabel;
  confirmAtOnce_ = confirmAtOnce;
  onConfirm_ = std::move(onConfirm);
}

INT_PTR CBrevaneDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      // The dialog manager would focus the readme and select all its text;
      // the confirm button takes the focus instead, so Enter confirms.
      ::SetFocus(::GetDlgItem(hwnd_, IDOK));
      return FALSE;
    case kConfirmMessage:
      Confirm();
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        Confirm();
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(hwnd_, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    case WM_PAINT:
      return PaintMinimised() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(icon_);
    default:
      return FALSE;
  }
}

void CBrevaneDlg::OnInitDialog() {
  icon_ = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
  ::SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  ::SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  if (!title_.empty()) ::SetWindowTextA(hwnd_, title_.c_str());
  ::SetDlgItemTextA(hwnd_, IDC_DESCRIPTION, description_.c_str());
  ::SetDlgItemTextA(hwnd_, IDC_README, readme_.c_str());
  ::SetDlgItemTextA(hwnd_, IDOK, confirmLabel_.c_str());
  if (confirmAtOnce_) ::PostMessageA(hwnd_, kConfirmMessage, 0, 0);
}

void CBrevaneDlg::Confirm() {
  ::ShowWindow(hwnd_, SW_HIDE);
  if (onConfirm_) onConfirm_();
  ::EndDialog(hwnd_, IDOK);
}

// Draws the icon centred in the client area while the window is minimised.
bool CBrevaneDlg::PaintMinimised() {
  if (!::IsIconic(hwnd_)) return false;
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(hwnd_, &paint);
  ::SendMessageA(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  ::GetClientRect(hwnd_, &client);
  int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc, x, y, icon_);
  ::EndPaint(hwnd_, &paint);
  return true;
}
