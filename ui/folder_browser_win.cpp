#include <shlobj.h>

#include "ui/confirm_folder.h"
#include "ui/dialogs_win.h"
#include "ui/resource_ids.h"

namespace {
// The window property that leads the taken-over dialog back to its browser.
const char kBrowserProperty[] = "BrevaneFolderBrowser";
}  // namespace

CFolderBrowser::CFolderBrowser(const std::string& title, const std::string& instruction,
                               const std::string& initialFolder, HWND owner,
                               CHFS_Reporter& reporter)
    : title_(title),
      instruction_(instruction),
      initialFolder_(initialFolder),
      owner_(owner),
      reporter_(reporter) {}

int CFolderBrowser::Browse() {
  confirmed_ = false;
  char displayName[MAX_PATH] = {};
  BROWSEINFOA info = {};
  info.hwndOwner = owner_;
  info.pszDisplayName = displayName;
  info.lpszTitle = instruction_.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
  info.lpfn = Callback;
  info.lParam = reinterpret_cast<LPARAM>(this);
  LPITEMIDLIST chosen = ::SHBrowseForFolderA(&info);
  if (chosen != nullptr) {
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(::SHGetMalloc(&allocator)) && allocator != nullptr) {
      allocator->Free(chosen);
      allocator->Release();
    }
  }
  return confirmed_ ? 1 : -1;
}

int CALLBACK CFolderBrowser::Callback(HWND dialog, UINT message, LPARAM lParam, LPARAM data) {
  auto* self = reinterpret_cast<CFolderBrowser*>(data);
  if (message == BFFM_INITIALIZED) self->OnInitialized(dialog);
  if (message == BFFM_SELCHANGED) self->OnSelectionChanged(dialog, lParam);
  return 0;
}

void CFolderBrowser::OnInitialized(HWND dialog) {
  if (!title_.empty()) ::SetWindowTextA(dialog, title_.c_str());
  ::SetPropA(dialog, kBrowserProperty, this);
  takenOverProcedure_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
      dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TakenOverProcedure)));
  ::ShowWindow(::GetDlgItem(dialog, IDC_BROWSE_STATUS), SW_HIDE);
  AddEditBox(dialog);
  std::string initial = initialFolder_;
  if (initial.empty()) {
    char current[MAX_PATH] = {};
    DWORD length = ::GetCurrentDirectoryA(MAX_PATH, current);
    if (length > 0 && length < MAX_PATH) initial = current;
  }
  ::SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(initial.c_str()));
  // A folder not made yet cannot be selected in the tree, but it is still
  // the answer offered; and OK must agree with the box from the start.
  HWND edit = ::GetDlgItem(dialog, IDC_BROWSE_EDIT);
  if (::GetWindowTextLengthA(edit) == 0) ::SetWindowTextA(edit, initial.c_str());
  ::SendMessageA(dialog, BFFM_ENABLEOK, 0, ::GetWindowTextLengthA(edit) > 0 ? TRUE : FALSE);
}

// The edit box spans the tree's width, just above it.
void CFolderBrowser::AddEditBox(HWND dialog) {
  RECT tree = {};
  ::GetWindowRect(::GetDlgItem(dialog, IDC_BROWSE_TREE), &tree);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&tree), 2);
  HWND edit = ::CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL, tree.left, tree.top - 27,
                                tree.right - tree.left, 23, dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_BROWSE_EDIT)),
                                ::GetModuleHandleA(nullptr), nullptr);
  if (edit == nullptr) return;
  ::SendMessageA(edit, WM_SETFONT, ::SendMessageA(dialog, WM_GETFONT, 0, 0), TRUE);
  // The result buffer holds 259 characters: a longer path typed here would
  // be cut short on OK and a different folder confirmed.
  ::SendMessageA(edit, EM_LIMITTEXT, MAX_PATH - 1, 0);
  ::ShowWindow(edit, SW_SHOW);
}

void CFolderBrowser::OnSelectionChanged(HWND dialog, LPARAM item) {
  char path[MAX_PATH] = {};
  bool onDrive = item != 0 &&
                 ::SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(item), path) &&
                 path[0] != '\0' && path[1] == ':';
  if (!onDrive) path[0] = '\0';
  ::SendMessageA(dialog, BFFM_ENABLEOK, 0, onDrive ? TRUE : FALSE);
  ::SendMessageA(dialog, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
  ::SetDlgItemTextA(dialog, IDC_BROWSE_EDIT, path);
}

bool CFolderBrowser::OnOk(HWND dialog) {
  ::GetDlgItemTextA(dialog, IDC_BROWSE_EDIT, path_, MAX_PATH);
  if (platform::ConfirmFolder(path_, reporter_) != 0) {
    ::SetFocus(::GetDlgItem(dialog, IDC_BROWSE_EDIT));
    return false;
  }
  confirmed_ = true;
  return true;
}

LRESULT CALLBACK CFolderBrowser::TakenOverProcedure(HWND dialog, UINT message, WPARAM wParam,
                                                    LPARAM lParam) {
  auto* self = static_cast<CFolderBrowser*>(::GetPropA(dialog, kBrowserProperty));
  if (self == nullptr) return ::DefWindowProcA(dialog, message, wParam, lParam);
  if (message == WM_COMMAND && LOWORD(wParam) == IDC_BROWSE_EDIT && HIWORD(wParam) == EN_CHANGE) {
    bool typed = ::GetWindowTextLengthA(reinterpret_cast<HWND>(lParam)) > 0;
    ::SendMessageA(dialog, BFFM_ENABLEOK, 0, typed ? TRUE : FALSE);
    return 0;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK && !self->OnOk(dialog)) return 0;
  WNDPROC original = self->takenOverProcedure_;
  if (message == WM_NCDESTROY) {
    ::RemovePropA(dialog, kBrowserProperty);
    ::SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
  }
  return ::CallWindowProcA(original, dialog, message, wParam, lParam);
}
