#pragma once
// The notification area and the top-level windows as the headless backend models them: the
// shell calls in order, the icon, the hidden application window and the main window.
#include <functional>
#include <string>
#include <vector>

#include "vcl/screen.h"
#include "vcl/tray_icon.h"

namespace vcl {

class HeadlessBackend;

struct HeadlessShell {
  // Every shell and window call, in order, e.g. "NIM_ADD", "ShowWindow app SW_HIDE",
  // "SetWindowPos Form1 HWND_NOTOPMOST 807,436,248,111 SWP_SHOWWINDOW".
  std::vector<std::wstring> calls;
  bool iconPresent = false;
  // The shell refuses NIM_ADD.
  bool refuseAdd = false;
  // The application window hidden (no taskbar button); the main window hidden by a minimize.
  bool applicationWindowHidden = false;
  bool mainWindowHidden = false;
  TPoint cursor{500, 690};
  // Captions of the tray menus opened, as shown (access letters included).
  std::vector<std::vector<std::wstring>> menus;
  // Runs while a tray menu is open; returns the chosen item, nullptr to close without one.
  std::function<TMenuItem*(TPopupMenu&)> whileMenuOpen;
  // The tray component whose shell was created last (the receiving window's target).
  TRzTrayIcon* tray = nullptr;
  std::vector<TMonitorInfo> monitors{{{0, 0, 1920, 1080}, {0, 0, 1920, 1050}}};
  TRect formOuterBounds;

  // The calls since the last Take(), and the log emptied.
  std::vector<std::wstring> Take();
};

// The headless shell of a tray component.
class HeadlessTrayShell : public TrayShell {
 public:
  HeadlessTrayShell(HeadlessShell& shell, TRzTrayIcon& tray);
  ~HeadlessTrayShell() override;
  bool AddIcon() override;
  void DeleteIcon() override;
  void ShowApplicationWindow(AppShow how) override;
  void SetApplicationForeground() override;
  void SetFormForeground(TForm& form) override;
  TPoint CursorPos() override;
  TMenuItem* TrackPopupMenu(TPopupMenu& menu, int x, int y) override;
  void PostNullMessage() override;

 private:
  HeadlessShell& shell_;
  TRzTrayIcon& tray_;
};

}  // namespace vcl
