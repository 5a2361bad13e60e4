#pragma once
// Helpers of the end-to-end test driver: it runs under Wine next to the program and drives it
// through Win32 messages the way a user's clicks and keys would arrive. See ../README.md.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace e2e {

// ---- text --------------------------------------------------------------------------------
std::string Utf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

// ---- paths given by the harness (Windows paths) -------------------------------------------
std::wstring TestExePath();  // CD_TEST_EXE: the exe with scripted services
std::wstring RealExePath();  // CD_REAL_EXE: the shipped exe's x86_64 twin
std::wstring ArtifactDir();  // CD_E2E_ARTIFACTS: screenshots and logs kept for review
std::wstring WorkDir();      // CD_E2E_WORK: scratch space for script folders

// Polls until `condition` holds or `timeoutMs` passes; returns whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000, DWORD pollMs = 20);

// ---- windows -----------------------------------------------------------------------------
std::wstring Text(HWND window);  // WM_GETTEXT with a time-out, so a hung program fails a test
std::wstring ClassName(HWND window);
LONG Style(HWND window);
LONG ExStyle(HWND window);
RECT WindowRect(HWND window);  // screen coordinates, frame included
SIZE ClientSize(HWND window);
POINT ClientOrigin(HWND window);  // screen position of the client area's top-left corner
HWND Owner(HWND window);
DWORD ProcessOf(HWND window);
// Every descendant window, in z-order per parent.
std::vector<HWND> Descendants(HWND parent);
// The first descendant with this class (case-insensitive) and, if given, this exact text.
HWND FindDescendant(HWND parent, std::wstring_view className,
                    std::optional<std::wstring_view> text = std::nullopt);
// Top-level windows of a process, visible or not.
std::vector<HWND> TopLevelWindows(DWORD processId);

// ---- input (posted, so nothing blocks while the program runs a modal loop) ----------------
void Click(HWND button);                  // BM_CLICK
void ClickAt(HWND window, int x, int y);  // left button down/up at client coordinates
void RightClickAt(HWND window, int x, int y);
void TypeText(HWND window, std::wstring_view text);  // one WM_CHAR per UTF-16 unit
void PressKey(HWND window, UINT virtualKey);         // WM_KEYDOWN + WM_KEYUP
// WM_CONTEXTMENU at a screen point; by default the centre of the window's client area.
void OpenContextMenu(HWND window, std::optional<POINT> screenPoint = std::nullopt);
// Posts keys to an open popup menu (#32768): arrows, VK_RETURN, VK_ESCAPE...
void MenuKeys(HWND menu, const std::vector<UINT>& virtualKeys);
// Chooses a popup menu item by its access letter.
void MenuAccessKey(HWND menu, wchar_t letter);
// Window and process of a #32768 popup menu currently open, or nullptr.
HWND OpenPopupMenu(DWORD processId);

// ---- the taskbar of the Wine desktop ------------------------------------------------------
// The visible task buttons, Start button excluded. Wine draws them itself with the text of the
// window they stand for, so their own window text is empty: tests read that window's text.
std::vector<HWND> TaskButtons();

// ---- message boxes -----------------------------------------------------------------------
struct MessageBoxInfo {
  HWND window = nullptr;
  std::wstring caption;
  std::wstring text;  // the static with id 0xFFFF
  std::vector<std::pair<HWND, std::wstring>> buttons;
  bool hasIcon = false;  // a static with SS_ICON
  // Posts BM_CLICK to the button with this text; false if there is none.
  bool Press(std::wstring_view buttonText) const;
};
MessageBoxInfo ReadMessageBox(HWND box);

// ---- screenshots -------------------------------------------------------------------------
// Saves the whole screen as <ArtifactDir>\<name>.bmp (the harness converts it to PNG);
// returns the path written, empty on failure.
std::wstring SaveScreenshot(const std::wstring& name);
// Saves one window as the window itself paints it (PrintWindow).
std::wstring SaveWindowShot(HWND window, const std::wstring& name);

// ---- the program under test --------------------------------------------------------------
struct LaunchOptions {
  std::wstring exe;  // empty: the test exe
  std::wstring arguments;
  WORD showCommand = SW_SHOWNORMAL;
  std::vector<std::pair<std::wstring, std::wstring>> environment;  // added or replaced
  std::wstring clock;  // first line of clock.txt before start; empty: none (the real clock)
};

class App {
 public:
  // Starts the program with a fresh script folder; throws std::runtime_error on failure.
  static std::unique_ptr<App> Launch(const LaunchOptions& options = {});
  ~App();  // ends the process if it still runs
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  DWORD Pid() const { return pid_; }
  HANDLE Process() const { return process_; }
  const std::wstring& ScriptDir() const { return scriptDir_; }

  // The visible, captioned top-level window (the main form); nullptr after the time-out.
  HWND WaitForMainWindow(DWORD timeoutMs = 20000);
  // The main window's owner: the hidden application window with the taskbar button.
  HWND ApplicationWindow();
  std::vector<HWND> TopLevelWindows() const { return e2e::TopLevelWindows(pid_); }
  // A #32770 dialog owned by the main window (message and error boxes); nullptr after the wait.
  HWND WaitForMessageBox(DWORD timeoutMs = 10000);
  HWND WaitForPopupMenu(DWORD timeoutMs = 5000);

  bool IsRunning() const;
  // The exit code once the process ended within the time-out.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs = 10000);

  // clock.txt: "real", "offset <seconds>" or "frozen YYYY-MM-DD HH:MM:SS.mmm". The write is
  // made so that the program sees the change at its next clock reading.
  void SetClock(const std::wstring& line);
  void SetClockFrozen(const SYSTEMTIME& localTime);
  void SetClockOffset(double seconds);
  // Lines recorded by the program in calls.log so far.
  std::vector<std::wstring> CallsLog() const;

 private:
  App() = default;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  std::wstring scriptDir_;
  HWND main_ = nullptr;
};

// Fixture: launches through Launch(), ends leftovers and saves a screenshot when a test failed.
class E2eTest : public ::testing::Test {
 protected:
  App& Launch(const LaunchOptions& options = {});
  void TearDown() override;

 private:
  std::vector<std::unique_ptr<App>> apps_;
};

}  // namespace e2e
