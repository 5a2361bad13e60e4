#pragma once
// The notification-area icon component. Its state machine (when to add the icon, what each
// mouse gesture does, the restore and menu sequences with their two marks) lives here, free of
// Windows; a TrayShell carries out the shell and window calls (vcl/win32/tray_win32.cpp for
// the real program, vcl/headless/headless_tray.cpp for unit tests).
#include <memory>

#include "vcl/controls.h"

namespace vcl {

class TrayShell;

// The mouse gestures a setting of the component can name.
enum class TRzTrayIconClicks {
  ticNone,
  ticLeftClick,  // left button down
  ticLeftDblClick,
  ticLeftClickUp,
  ticRightClick,  // right button down
  ticRightDblClick,
  ticRightClickUp,
};

// The codes the shell reports in the callback message's second parameter: the mouse messages
// and the balloon notifications, with their Windows numbers.
namespace tray_code {
inline constexpr unsigned kLButtonDown = 0x0201;
inline constexpr unsigned kLButtonUp = 0x0202;
inline constexpr unsigned kLButtonDblClk = 0x0203;
inline constexpr unsigned kRButtonDown = 0x0204;
inline constexpr unsigned kRButtonUp = 0x0205;
inline constexpr unsigned kRButtonDblClk = 0x0206;
inline constexpr unsigned kBalloonShow = 0x0402;
inline constexpr unsigned kBalloonHide = 0x0403;
inline constexpr unsigned kBalloonTimeout = 0x0404;
inline constexpr unsigned kBalloonUserClick = 0x0405;
}  // namespace tray_code

// The gesture of a callback code; ticNone for the codes that are not mouse gestures.
TRzTrayIconClicks GestureOf(unsigned callbackCode);

class TRzTrayIcon : public TComponent {
 public:
  TRzTrayIcon(TComponent* owner, std::wstring name);
  ~TRzTrayIcon() override;

  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu) { popupMenu_ = menu; }
  // True from start-up on; turns false for good when the shell refuses the icon.
  bool Enabled() const { return enabled_; }
  bool HideOnMinimize() const { return hideOnMinimize_; }
  void SetHideOnMinimize(bool hide) { hideOnMinimize_ = hide; }
  TRzTrayIconClicks RestoreOn() const { return restoreOn_; }
  void SetRestoreOn(TRzTrayIconClicks gesture) { restoreOn_ = gesture; }
  TRzTrayIconClicks PopupMenuOn() const { return popupMenuOn_; }
  void SetPopupMenuOn(TRzTrayIconClicks gesture) { popupMenuOn_ = gesture; }

  TNotifyEvent OnMinimizeApp;
  TNotifyEvent OnRestoreApp;

  // What the shell reports to the receiving window.
  void HandleCallback(unsigned callbackCode);
  void TaskbarCreated();
  // WM_QUERYENDSESSION: whether the session may end (the tray never objects).
  bool QueryEndSession();
  // WM_ENDSESSION: with `ending` the icon goes.
  void EndSession(bool ending);

  // The restore sequence: the application restored and brought to the foreground.
  void RestoreApp();
  // The tray menu at the cursor.
  void ShowTrayMenu();

  // The marks of the two sequences (for tests and for the receiving window).
  bool MenuOpen() const { return menuOpen_; }
  bool Restoring() const { return restoring_; }

 protected:
  void AllLoaded() override;

 private:
  void ApplicationMinimized();
  void ApplicationRestored();
  void AddIcon();

  std::unique_ptr<TrayShell> shell_;
  TPopupMenu* popupMenu_ = nullptr;
  bool enabled_ = true;
  bool hideOnMinimize_ = true;
  TRzTrayIconClicks restoreOn_ = TRzTrayIconClicks::ticLeftDblClick;
  TRzTrayIconClicks popupMenuOn_ = TRzTrayIconClicks::ticRightClickUp;
  bool registered_ = false;
  bool menuOpen_ = false;
  bool restoring_ = false;
};

// What the component needs of the shell and the windows; one per component.
class TrayShell {
 public:
  virtual ~TrayShell() = default;
  // NIM_ADD with the application icon, NIF_MESSAGE | NIF_ICON, no tooltip. False when the
  // shell refuses.
  virtual bool AddIcon() = 0;
  // NIM_DELETE; the result does not matter.
  virtual void DeleteIcon() = 0;
  enum class AppShow { kHide, kRestore };
  // ShowWindow on the hidden application window (SW_HIDE / SW_RESTORE).
  virtual void ShowApplicationWindow(AppShow how) = 0;
  virtual void SetApplicationForeground() = 0;
  virtual void SetFormForeground(TForm& form) = 0;
  virtual TPoint CursorPos() = 0;
  // TrackPopupMenu with TPM_LEFTALIGN | TPM_RIGHTBUTTON, top-left corner at the point; returns
  // when the menu has closed, with the chosen item or nullptr.
  virtual TMenuItem* TrackPopupMenu(TPopupMenu& menu, int x, int y) = 0;
  // WM_NULL posted to the program's own queue, so the menu closes properly.
  virtual void PostNullMessage() = 0;
};

}  // namespace vcl
