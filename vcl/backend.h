#pragma once
// The seam between the class library and what shows it: real windows (vcl/win32) or plain
// recording objects (vcl/headless) for unit tests.
#include <memory>
#include <string>
#include <vector>

#include "vcl/controls.h"
#include "vcl/screen.h"

namespace vcl {

class ControlPeer {
 public:
  virtual ~ControlPeer() = default;
  // The control's state changed; the peer mirrors it (and repaints only what it must).
  virtual void Changed(Change what) = 0;
  // The live text for controls the user edits.
  virtual std::wstring ReadText() const = 0;
  // The size the control needs for its caption in its font, in 96-DPI pixels.
  virtual TPoint MeasureText() const = 0;
  virtual bool Focused() const = 0;
  virtual void SetFocus() = 0;
};

class TimerPeer {
 public:
  virtual ~TimerPeer() = default;
  // Interval or Enabled changed.
  virtual void Update() = 0;
};

enum class BoxKind { kMessage, kError };

class TrayShell;
class TRzTrayIcon;

class Backend {
 public:
  virtual ~Backend() = default;
  virtual std::unique_ptr<ControlPeer> CreatePeer(TControl& control) = 0;
  virtual std::unique_ptr<TimerPeer> CreateTimerPeer(TTimer& timer) = 0;
  // A modal box; returns when the user has closed it. Ticks go on meanwhile.
  virtual void ShowBox(BoxKind kind, const std::wstring& caption, const std::wstring& text) = 0;
  // Opens the menu at a screen point; runs the chosen item's Click before it returns.
  virtual void Popup(TPopupMenu& menu, int x, int y) = 0;
  // Whether the ANSI code page is a double-byte one (menu access letters depend on it).
  virtual bool IsDoubleByteCodePage() = 0;
  virtual void SetTitle(const std::wstring& title) = 0;
  virtual void Run(TApplication& application) = 0;
  virtual void Terminate() = 0;
  virtual void Beep() = 0;
  // Application minimize/restore of the hidden application window.
  virtual void Minimize() = 0;
  virtual void Restore() = 0;
  virtual bool IsMinimized() = 0;
  // The skin in force (vcl::ActiveSkin) changed: every open window takes it on.
  virtual void SkinChanged() {}
  // The notification-area side of a tray component (with its own receiving window).
  virtual std::unique_ptr<TrayShell> CreateTrayShell(TRzTrayIcon& tray) = 0;
  // The monitors, in screen pixels.
  virtual std::vector<TMonitorInfo> Monitors() = 0;
  // SetWindowPos on the form's window with HWND_NOTOPMOST and SWP_SHOWWINDOW: the outer window
  // (frame included) takes the screen rectangle, is shown, activated and put above every window
  // that is not topmost.
  virtual void SetFormOuterBounds(TForm& form, const TRect& screenRect) = 0;
  // ShowWindow on the form's window with SW_RESTORE: restored if it is minimized itself, and
  // activated.
  virtual void RestoreForm(TForm& form) = 0;
};

}  // namespace vcl
