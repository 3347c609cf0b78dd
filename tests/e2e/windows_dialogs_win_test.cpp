// The Windows program's real windows, driven as a person would: find each
// window by its caption, read its controls, press its buttons. Each window is
// also kept as a picture in screenshots\ beside the test program.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/e2e/package_fixture.h"

namespace {

using testing_support::PackageFixture;

bool UnderWine() {
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Under Wine the windows need an X display; without one the test cannot run.
bool NoDisplay() {
  const char* display = std::getenv("DISPLAY");
  return UnderWine() && (display == nullptr || display[0] == '\0');
}

// How long the checks wait for a window, a control or the program's end:
// they go on as soon as it is there, and a build machine running other tests
// beside them can be slow.
constexpr int kWaitTries = 1200;  // a tenth of a second each
constexpr DWORD kWaitMs = 120000;

class RunningProgram {
 public:
  RunningProgram(const std::string& program, const std::string& folder,
                 const std::string& arguments = std::string()) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    std::string commandLine = "\"" + program + "\"" + arguments;
    started_ = ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                folder.c_str(), &startup, &process_) != 0;
  }
  ~RunningProgram() {
    if (!started_) return;
    if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(process_.hProcess, 99);
    }
    ::CloseHandle(process_.hThread);
    ::CloseHandle(process_.hProcess);
  }
  [[nodiscard]] bool Started() const { return started_; }
  [[nodiscard]] bool Running() const {
    return ::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
  }
  // The exit code, or -1 when it has not ended within the time.
  int Wait(DWORD milliseconds) {
    if (::WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<int>(code);
  }

 private:
  PROCESS_INFORMATION process_ = {};
  bool started_ = false;
};

// A visible dialog with this caption, waiting up to two minutes for it.
HWND WaitForDialog(const RunningProgram& program, const char* caption) {
  for (int tries = 0; tries < kWaitTries && program.Running(); ++tries) {
    HWND window = ::FindWindowA("#32770", caption);
    if (window != nullptr && ::IsWindowVisible(window)) {
      ::Sleep(300);  // let it paint before anyone looks
      return window;
    }
    ::Sleep(100);
  }
  return nullptr;
}

// Text through WM_GETTEXT, which also reaches controls of another process.
std::string TextOf(HWND window) {
  char text[4096] = {};
  ::SendMessageA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
  return text;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof(name));
  return name;
}

struct Control {
  int id;
  const char* className;
  const char* text;  // null: not compared
  RECT units;        // left, top, right, bottom in dialog units
};

// Each control's kind, text, and place and size in dialog units. The units
// are measured on the dialog's client area, which is the template's size
// (MapDialogRect does not reach a dialog of another process).
void ExpectControls(HWND dialog, SIZE templateUnits, const std::vector<Control>& controls) {
  RECT client;
  ::GetClientRect(dialog, &client);
  auto x = [&](LONG units) { return ::MulDiv(units, client.right, templateUnits.cx); };
  auto y = [&](LONG units) { return ::MulDiv(units, client.bottom, templateUnits.cy); };
  for (const Control& c : controls) {
    HWND control = ::GetDlgItem(dialog, c.id);
    ASSERT_NE(control, nullptr) << c.id;
    EXPECT_STREQ(ClassOf(control).c_str(), c.className) << c.id;
    if (c.text != nullptr) {
      EXPECT_EQ(TextOf(control), c.text) << c.id;
    }
    RECT actual;
    ::GetWindowRect(control, &actual);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    // Dialog units become pixels with rounding: one pixel either way.
    EXPECT_NEAR(actual.left, x(c.units.left), 1) << c.id;
    EXPECT_NEAR(actual.top, y(c.units.top), 1) << c.id;
    EXPECT_NEAR(actual.right, x(c.units.right), 1) << c.id;
    EXPECT_NEAR(actual.bottom, y(c.units.bottom), 1) << c.id;
  }
}

// Keeps the screen area of a window as a 24-bit BMP in screenshots\ beside
// the test program.
void KeepPicture(HWND window, const std::string& name) {
  char module[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, module, MAX_PATH);
  std::string folder = module;
  folder = folder.substr(0, folder.rfind('\\')) + "\\screenshots";
  ::CreateDirectoryA(folder.c_str(), nullptr);
  RECT area;
  ::GetWindowRect(window, &area);
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  ::SelectObject(memory, old);
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  const int stride = (width * 3 + 3) & ~3;
  std::vector<char> pixels(static_cast<size_t>(stride) * static_cast<size_t>(height));
  ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER header = {};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof(header) + sizeof(info);
  header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
  std::string bytes(reinterpret_cast<const char*>(&header), sizeof(header));
  bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
  bytes.append(pixels.data(), pixels.size());
  testing_support::WriteFileBytes(folder + "\\" + name + ".bmp", bytes);
}

struct DialogSearch {
  const char* caption;
  HWND other;
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<DialogSearch*>(data);
  char text[256] = {};
  ::GetWindowTextA(window, text, sizeof(text));
  if (window != search->other && ::IsWindowVisible(window) && ClassOf(window) == "#32770" &&
      std::string(text) == search->caption) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// A visible dialog with this caption other than the one given: a message box
// over another window of the same caption. Waits up to two minutes.
HWND WaitForOtherDialog(const char* caption, HWND other) {
  DialogSearch search = {caption, other, nullptr};
  for (int tries = 0; tries < kWaitTries && search.found == nullptr; ++tries) {
    ::EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) ::Sleep(100);
  }
  if (search.found != nullptr) ::Sleep(300);
  return search.found;
}

// The window that has the keyboard focus in the thread that owns window.
HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

POINT CentreOf(HWND window) {
  RECT rect;
  ::GetWindowRect(window, &rect);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// The text of a message box: its static text control.
std::string MessageOf(HWND box) { return TextOf(::GetDlgItem(box, 0xFFFF)); }

RECT RectIn(HWND dialog, HWND control) {
  RECT rect;
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void Press(HWND dialog, int id) {
  // Posted: the button's handler may run a modal loop of its own.
  ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

bool WaitUntilEnabled(HWND control) {
  for (int tries = 0; tries < kWaitTries; ++tries) {
    if (::IsWindowEnabled(control)) return true;
    ::Sleep(100);
  }
  return false;
}

const char kScript[] =
    "[ProductInstall.Symbols]\r\nUSERNAME=nobody\r\n"
    "[ProductInstall.Main]\r\nMainDescription=Dialog sample\r\nReadmeFile=%SOURCEDIR%readme.txt\r\n"
    "WelcomeWindowTitle=Dialog Setup\r\nSetupWindowTitle=Dialog Progress\r\n"
    "StepCount=1\r\nStep1.Section=ProductInstall.GetUserInput.Name\r\nStep1.Description=Asking\r\n"
    "[ProductInstall.GetUserInput.Name]\r\nInputCount=1\r\nInput1.Description=Your name?\r\n"
    "Input1.Type=BRVN_INPUT_EDITBOX\r\nInput1.RefSymbol=USERNAME\r\nInput1.Max=8\r\n";

TEST(WindowsDialogsTest, InstallThroughTheMainInputAndProgressWindows) {
  if (NoDisplay()) GTEST_SKIP() << "DISPLAY is unset: Wine has no X display for the windows";
  PackageFixture package(kScript);
  testing_support::WriteFileBytes(package.Folder() + "\\readme.txt", "Read me first.\r\nTwo lines.");
  std::string before;
  testing_support::ReadFileBytes(PackageFixture::kLogPath, before);
  std::string program = testing_support::BuiltProgramPath();
  program = package.Folder() + program.substr(program.rfind('\\'));
  RunningProgram run(program, package.Folder());
  ASSERT_TRUE(run.Started());

  HWND main = WaitForDialog(run, "Dialog Setup");
  ASSERT_NE(main, nullptr) << "no main window";
  ExpectControls(main, {320, 200}, {{1001, "Static", "Dialog sample", {7, 7, 313, 24}},
                        {1000, "Edit", "Read me first.\r\nTwo lines.", {7, 29, 313, 171}},
                        {IDOK, "Button", "Install", {110, 179, 160, 193}},
                        {IDCANCEL, "Button", "Cancel", {178, 179, 228, 193}}});
  if (UnderWine()) {
    std::printf("note: Wine does not answer WM_GETICON from another process; icon not checked\n");
  } else {
    EXPECT_NE(::SendMessageA(main, WM_GETICON, ICON_BIG, 0), 0);
  }
  EXPECT_NE(::GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "system-modal";
  // The confirm button has the focus: no readme text selected, Enter confirms.
  EXPECT_EQ(FocusOf(main), ::GetDlgItem(main, IDOK));
  DWORD selStart = 1;
  DWORD selEnd = 2;
  ::SendDlgItemMessageA(main, 1000, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
                        reinterpret_cast<LPARAM>(&selEnd));
  EXPECT_EQ(selStart, selEnd) << "readme text selected";
  KeepPicture(main, "main_window");
  Press(main, IDOK);

  HWND progress = WaitForDialog(run, "Dialog Progress");
  ASSERT_NE(progress, nullptr) << "no progress window";
  HWND input = WaitForDialog(run, "Ostrel Install package");
  ASSERT_NE(input, nullptr) << "no input window";
  ExpectControls(input, {247, 71}, {{1006, "Static", "Your name?", {7, 7, 240, 27}},
                         {1000, "Edit", "nobody", {7, 32, 240, 44}},
                         {IDOK, "Button", "OK", {133, 50, 183, 64}},
                         {IDCANCEL, "Button", "Cancel", {190, 50, 240, 64}}});
  EXPECT_EQ(::SendDlgItemMessageA(input, 1000, EM_GETLIMITTEXT, 0, 0), 8);
  EXPECT_EQ(::GetWindow(input, GW_OWNER), progress);
  {
    // Centred over the progress window, as far as the screen allows.
    RECT area = {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT box;
    ::GetWindowRect(input, &box);
    const POINT centre = CentreOf(progress);
    const LONG halfWidth = (box.right - box.left) / 2;
    const LONG halfHeight = (box.bottom - box.top) / 2;
    const POINT wanted = {std::clamp(centre.x, area.left + halfWidth, area.right - halfWidth),
                          std::clamp(centre.y, area.top + halfHeight, area.bottom - halfHeight)};
    EXPECT_NEAR(CentreOf(input).x, wanted.x, 1);
    EXPECT_NEAR(CentreOf(input).y, wanted.y, 1);
  }
  // The run waits for the answer: OK stays disabled and close requests are refused.
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(progress, IDOK)));
  ::PostMessageA(progress, WM_CLOSE, 0, 0);
  ::PostMessageA(progress, WM_COMMAND, IDCANCEL, 0);
  ::SendDlgItemMessageA(input, 1000, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Ada"));
  ::Sleep(300);
  KeepPicture(input, "input_window");
  Press(input, IDOK);

  ASSERT_TRUE(WaitUntilEnabled(::GetDlgItem(progress, IDOK))) << "the run did not end";
  ASSERT_TRUE(::IsWindow(progress));
  ExpectControls(progress, {214, 102}, {{1003, "Static", "Installation successful!", {7, 7, 207, 15}},
                            {1004, "Edit", nullptr, {7, 22, 207, 69}},
                            {1002, "msctls_progress32", nullptr, {7, 72, 207, 79}},
                            {IDOK, "Button", "OK", {78, 81, 128, 95}}});
  EXPECT_NE(TextOf(::GetDlgItem(progress, 1004)).find(" - Ada\r\n"), std::string::npos);
  EXPECT_EQ(::SendDlgItemMessageA(progress, 1002, PBM_GETPOS, 0, 0), 100);
  EXPECT_EQ(::SendDlgItemMessageA(progress, 1002, PBM_GETRANGE, FALSE, 0), 100);
  KeepPicture(progress, "progress_window");
  Press(progress, IDOK);

  EXPECT_EQ(run.Wait(kWaitMs), 0);
  std::string after;
  testing_support::ReadFileBytes(PackageFixture::kLogPath, after);
  const std::string log = after.substr(before.size());
  EXPECT_NE(log.find("]User Input = 'Ada'"), std::string::npos) << log;
  EXPECT_NE(log.find("\r\nInstallation successful!\r\n"), std::string::npos) << log;
}

const char kFolderScript[] =
    "[ProductInstall.Main]\r\nMainDescription=Folder sample\r\nWelcomeWindowTitle=Folder Setup\r\n"
    "SetupWindowTitle=Folder Progress\r\nStepCount=1\r\n"
    "Step1.Section=ProductInstall.GetUserInput.Where\r\nStep1.Description=Choosing\r\n"
    "[ProductInstall.GetUserInput.Where]\r\nInputCount=1\r\nInput1.Description=Where to?\r\n"
    "Input1.Type=BRVN_INPUT_FOLDER_SELECT\r\nInput1.RefSymbol=TARGET\r\n";

// Confirms the main window of a kFolderScript package; the folder browser
// over its progress window, or null after reporting what did not appear.
HWND ConfirmUntilTheFolderBrowser(const RunningProgram& run, HWND& progress) {
  HWND main = WaitForDialog(run, "Folder Setup");
  if (main == nullptr) ADD_FAILURE() << "no main window";
  if (main == nullptr) return nullptr;
  Press(main, IDOK);
  progress = WaitForDialog(run, "Folder Progress");
  if (progress == nullptr) ADD_FAILURE() << "no progress window";
  HWND browser = progress == nullptr ? nullptr : WaitForOtherDialog("Ostrel Install package", nullptr);
  if (progress != nullptr && browser == nullptr) ADD_FAILURE() << "no folder browser";
  return browser;
}

TEST(WindowsDialogsTest, FolderBrowserTakesATypedFolderOnlyOnceConfirmed) {
  if (NoDisplay()) GTEST_SKIP() << "DISPLAY is unset: Wine has no X display for the windows";
  PackageFixture package(kFolderScript);
  const std::string made = package.Folder() + "\\made";
  std::string before;
  testing_support::ReadFileBytes(PackageFixture::kLogPath, before);
  std::string program = testing_support::BuiltProgramPath();
  program = package.Folder() + program.substr(program.rfind('\\'));
  RunningProgram run(program, package.Folder());
  ASSERT_TRUE(run.Started());
  HWND progress = nullptr;
  HWND browser = ConfirmUntilTheFolderBrowser(run, progress);
  ASSERT_NE(browser, nullptr);

  // The added edit box lies just above the tree, as wide as it; the status
  // line is hidden.
  HWND edit = ::GetDlgItem(browser, 14148);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(ClassOf(edit), "Edit");
  const RECT tree = RectIn(browser, ::GetDlgItem(browser, 14145));
  const RECT box = RectIn(browser, edit);
  EXPECT_EQ(box.left, tree.left);
  EXPECT_EQ(box.right, tree.right);
  EXPECT_EQ(box.top, tree.top - 27);
  EXPECT_EQ(box.bottom, tree.top - 4);
  EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(browser, 14147)));
  EXPECT_EQ(::SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), MAX_PATH - 1) << "room of the result";
  KeepPicture(browser, "folder_browser");

  // OK agrees with the box from the start; an empty box disables it, a typed
  // path enables it.
  HWND ok = ::GetDlgItem(browser, IDOK);
  EXPECT_EQ(::IsWindowEnabled(ok) != FALSE, !TextOf(edit).empty()) << TextOf(edit);
  ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  EXPECT_FALSE(::IsWindowEnabled(ok));
  ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("relative\\dir"));
  EXPECT_TRUE(::IsWindowEnabled(ok));

  // An invalid name is reported and the browser stays open.
  Press(browser, IDOK);
  HWND box1 = WaitForOtherDialog("Ostrel Install package", browser);
  ASSERT_NE(box1, nullptr) << "no invalid-name message";
  EXPECT_NE(MessageOf(box1).find("name is invalid"), std::string::npos) << MessageOf(box1);
  Press(box1, IDOK);
  ::Sleep(500);
  EXPECT_TRUE(::IsWindowVisible(browser));

  // A missing folder is created once the user agrees.
  ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(made.c_str()));
  Press(browser, IDOK);
  HWND box2 = WaitForOtherDialog("Ostrel Install package", browser);
  ASSERT_NE(box2, nullptr) << "no creation question";
  EXPECT_NE(MessageOf(box2).find("does not exist. Do you want to create the folder?"),
            std::string::npos)
      << MessageOf(box2);
  Press(box2, IDYES);

  ASSERT_TRUE(WaitUntilEnabled(::GetDlgItem(progress, IDOK))) << "the run did not end";
  EXPECT_EQ(TextOf(::GetDlgItem(progress, 1003)), "Installation successful!");
  Press(progress, IDOK);
  EXPECT_EQ(run.Wait(kWaitMs), 0);
  EXPECT_TRUE(testing_support::FileExists(made));
  std::string after;
  testing_support::ReadFileBytes(PackageFixture::kLogPath, after);
  const std::string log = after.substr(before.size());
  EXPECT_NE(log.find("]User Select folder = '" + made + "'"), std::string::npos) << log;
}

TEST(WindowsDialogsTest, RemoveLabelsTheButtonAndCancelRunsNothing) {
  if (NoDisplay()) GTEST_SKIP() << "DISPLAY is unset: Wine has no X display for the windows";
  PackageFixture package("[ProductInstall.Main]\r\nMainDescription=Removal\r\n"
                         "[ProductRemove.Main]\r\nStepCount=1\r\n"
                         "Step1.Section=ProductRemove.Nothing\r\n");
  const std::string record = package.Folder() + "\\HotFix.ini";
  std::string program = testing_support::BuiltProgramPath();
  program = package.Folder() + program.substr(program.rfind('\\'));
  RunningProgram run(program, package.Folder(), " /U:" + record);
  ASSERT_TRUE(run.Started());
  HWND main = WaitForDialog(run, "Brevane");  // the template's caption: no title given
  ASSERT_NE(main, nullptr) << "no main window";
  EXPECT_EQ(TextOf(::GetDlgItem(main, IDOK)), "Remove");
  Press(main, IDCANCEL);
  EXPECT_EQ(run.Wait(kWaitMs), 4);
}

// A starting folder not made yet cannot be selected in the tree; the box still
// offers it, with OK enabled, and OK on it asks to create it.
TEST(WindowsDialogsTest, FolderBrowserOffersAStartingFolderNotMadeYet) {
  if (NoDisplay()) GTEST_SKIP() << "DISPLAY is unset: Wine has no X display for the windows";
  const std::string later = testing_support::NewTestFolder() + "\\not\\yet";
  PackageFixture package("[ProductInstall.Symbols]\r\nTARGET=" + later + "\r\n" + kFolderScript);
  const std::string built = testing_support::BuiltProgramPath();
  RunningProgram run(package.Folder() + built.substr(built.rfind('\\')), package.Folder());
  HWND progress = nullptr;
  HWND browser = run.Started() ? ConfirmUntilTheFolderBrowser(run, progress) : nullptr;
  ASSERT_NE(browser, nullptr);
  EXPECT_EQ(TextOf(::GetDlgItem(browser, 14148)), later);
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(browser, IDOK)));
  KeepPicture(browser, "folder_browser_not_made_yet");
  Press(browser, IDOK);
  HWND question = WaitForOtherDialog("Ostrel Install package", browser);
  ASSERT_NE(question, nullptr) << "no creation question";
  EXPECT_NE(MessageOf(question).find(later), std::string::npos) << MessageOf(question);
  Press(question, IDYES);
  ASSERT_TRUE(WaitUntilEnabled(::GetDlgItem(progress, IDOK))) << "the run did not end";
  Press(progress, IDOK);
  EXPECT_EQ(run.Wait(kWaitMs), 0);
  EXPECT_TRUE(testing_support::FileExists(later));
}

}  // namespace

namespace {

// The end of the Windows session while the run goes on: the progress window
// answers "not yet", the run stops at its next safe point (here once the
// question on the screen is answered, before the step that would write the
// INI file), is rolled back and ends as stopped.
TEST(WindowsDialogsTest, SessionEndingStopsTheRunAtTheNextSafePoint) {
  if (NoDisplay()) GTEST_SKIP() << "DISPLAY is unset: Wine has no X display for the windows";
  const std::string ini = testing_support::NewTestFolder() + "\\out.ini";
  std::string script = kScript;
  script.replace(script.find("StepCount=1"), 11, "StepCount=2\r\nStep2.Section=ProductInstall.UpdateINI");
  PackageFixture package(script + "[ProductInstall.UpdateINI]\r\nItemCount=1\r\nItem1.Key=INI:" + ini +
                         ",Main,Name\r\nItem1.Value=%USERNAME%\r\n");
  std::string before;
  testing_support::ReadFileBytes(PackageFixture::kLogPath, before);
  std::string program = testing_support::BuiltProgramPath();
  program = package.Folder() + program.substr(program.rfind('\\'));
  RunningProgram run(program, package.Folder());
  ASSERT_TRUE(run.Started());
  HWND main = WaitForDialog(run, "Dialog Setup");
  ASSERT_NE(main, nullptr) << "no main window";
  Press(main, IDOK);
  HWND progress = WaitForDialog(run, "Dialog Progress");
  ASSERT_NE(progress, nullptr) << "no progress window";
  HWND input = WaitForDialog(run, "Ostrel Install package");
  ASSERT_NE(input, nullptr) << "no input window";

  DWORD_PTR answer = 1;
  ASSERT_NE(0, ::SendMessageTimeoutA(progress, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer));
  EXPECT_EQ(0u, answer) << "the session is asked to wait for the run";
  Press(input, IDOK);
  ASSERT_TRUE(WaitUntilEnabled(::GetDlgItem(progress, IDOK))) << "the run did not end";
  EXPECT_NE(TextOf(::GetDlgItem(progress, 1004)).find("Installation terminated by user!"), std::string::npos);
  ASSERT_NE(0, ::SendMessageTimeoutA(progress, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer));
  EXPECT_EQ(1u, answer) << "the run is over: the session may end";
  Press(progress, IDOK);
  EXPECT_EQ(run.Wait(kWaitMs), 2);
  EXPECT_FALSE(testing_support::FileExists(ini)) << "the step after the stop never ran";
  std::string after;
  testing_support::ReadFileBytes(PackageFixture::kLogPath, after);
  const std::string log = after.substr(before.size());
  EXPECT_NE(log.find("*** Interrupted: Windows session ending; stopping "), std::string::npos) << log;
  EXPECT_NE(log.find("*** Interrupted run rolled back."), std::string::npos) << log;
}

}  // namespace
