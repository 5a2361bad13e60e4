#pragma once
// A backend without windows: every control keeps its state in plain objects, boxes and menus
// are recorded, and tests decide what happens while a box or menu is "open".
#include <functional>
#include <string>
#include <vector>

#include "vcl/backend.h"
#include "vcl/headless/headless_shell.h"

namespace vcl {

struct RecordedBox {
  BoxKind kind;
  std::wstring caption;
  std::wstring text;
};

struct RecordedPopup {
  std::vector<std::wstring> captions;  // as the menu shows them, access letters included
  int x;
  int y;
};

class HeadlessBackend : public Backend {
 public:
  std::unique_ptr<ControlPeer> CreatePeer(TControl& control) override;
  std::unique_ptr<TimerPeer> CreateTimerPeer(TTimer& timer) override;
  void ShowBox(BoxKind kind, const std::wstring& caption, const std::wstring& text) override;
  void Popup(TPopupMenu& menu, int x, int y) override;
  bool IsDoubleByteCodePage() override { return doubleByte; }
  void SetTitle(const std::wstring& title) override { this->title = title; }
  void Run(TApplication&) override { ++runs; }
  void Terminate() override { ++terminations; }
  void Beep() override { ++beeps; }
  void Minimize() override;
  void Restore() override;
  bool IsMinimized() override { return minimized; }
  std::unique_ptr<TrayShell> CreateTrayShell(TRzTrayIcon& tray) override;
  std::vector<TMonitorInfo> Monitors() override;
  void SetFormOuterBounds(TForm& form, const TRect& screenRect) override;
  void RestoreForm(TForm& form) override;

  // Runs while a box is open: the nested message loop in which ticks go on.
  std::function<void(const RecordedBox&)> whileBoxOpen;
  // Runs while a menu is open; typically clicks one of its items.
  std::function<void(TPopupMenu&)> whileMenuOpen;

  bool doubleByte = true;
  std::wstring title;
  std::vector<RecordedBox> boxes;
  std::vector<RecordedPopup> popups;
  int openBoxes = 0;
  int runs = 0;
  int terminations = 0;
  int beeps = 0;
  bool minimized = false;
  // The notification area and the top-level windows (vcl/headless/headless_shell.h).
  HeadlessShell shell;
  TControl* focused = nullptr;
  std::vector<TTimer*> timers;
};

// The headless peer of a control: counts what reached it.
class HeadlessPeer : public ControlPeer {
 public:
  HeadlessPeer(HeadlessBackend& backend, TControl& control)
      : backend_(backend), control_(control) {}
  void Changed(Change what) override;
  std::wstring ReadText() const override { return text; }
  TPoint MeasureText() const override;
  bool Focused() const override { return backend_.focused == &control_; }
  void SetFocus() override { backend_.focused = &control_; }

  // The text the user sees (edits: what the user typed).
  std::wstring text;
  // The window's own states, as passed on to it.
  bool enabled = true;
  bool checked = false;
  int repaints = 0;

 private:
  HeadlessBackend& backend_;
  TControl& control_;
};

}  // namespace vcl
