#include "vcl/tray_icon.h"

#include "vcl/application.h"
#include "vcl/backend.h"

namespace vcl {
namespace {

// Clears a mark when the scope ends, also when a step throws.
class MarkGuard {
 public:
  explicit MarkGuard(bool& mark) : mark_(mark) { mark_ = true; }
  ~MarkGuard() { mark_ = false; }
  MarkGuard(const MarkGuard&) = delete;
  MarkGuard& operator=(const MarkGuard&) = delete;

 private:
  bool& mark_;
};

}  // namespace

TRzTrayIconClicks GestureOf(unsigned callbackCode) {
  switch (callbackCode) {
    case tray_code::kLButtonDown:
      return TRzTrayIconClicks::ticLeftClick;
    case tray_code::kLButtonUp:
      return TRzTrayIconClicks::ticLeftClickUp;
    case tray_code::kLButtonDblClk:
      return TRzTrayIconClicks::ticLeftDblClick;
    case tray_code::kRButtonDown:
      return TRzTrayIconClicks::ticRightClick;
    case tray_code::kRButtonUp:
      return TRzTrayIconClicks::ticRightClickUp;
    case tray_code::kRButtonDblClk:
      return TRzTrayIconClicks::ticRightDblClick;
    default:
      return TRzTrayIconClicks::ticNone;
  }
}

// Created while the form is read: the shell (with its receiving window) comes first, and the
// component takes over the application's minimize and restore notifications.
TRzTrayIcon::TRzTrayIcon(TComponent* owner, std::wstring name)
    : TComponent(owner, std::move(name)) {
  if (!HasApplication()) return;
  TApplication& application = Application();
  shell_ = application.GetBackend().CreateTrayShell(*this);
  application.OnMinimize = [this] { ApplicationMinimized(); };
  application.OnRestore = [this] { ApplicationRestored(); };
  registered_ = true;
}

TRzTrayIcon::~TRzTrayIcon() {
  if (shell_) shell_->DeleteIcon();
  if (registered_ && HasApplication()) {
    Application().OnMinimize = nullptr;
    Application().OnRestore = nullptr;
  }
}

// The icon goes into the notification area once the whole form is read, before its OnCreate,
// so it is there before the window first shows.
void TRzTrayIcon::AllLoaded() {
  AddIcon();
}

void TRzTrayIcon::AddIcon() {
  if (!enabled_) return;
  if (!shell_ || !shell_->AddIcon()) enabled_ = false;
}

void TRzTrayIcon::ApplicationMinimized() {
  // Hiding the minimized application window takes its taskbar button away.
  if (enabled_ && hideOnMinimize_ && shell_) {
    shell_->ShowApplicationWindow(TrayShell::AppShow::kHide);
  }
  if (OnMinimizeApp) OnMinimizeApp(this);
}

void TRzTrayIcon::ApplicationRestored() {
  // The notification of our own restore; a restore from elsewhere runs the sequence too.
  if (restoring_) return;
  RestoreApp();
}

void TRzTrayIcon::RestoreApp() {
  if (menuOpen_) return;
  MarkGuard mark(restoring_);
  if (HasApplication()) Application().Restore();
  if (enabled_ && shell_) {
    shell_->ShowApplicationWindow(TrayShell::AppShow::kRestore);
    shell_->SetApplicationForeground();
  }
  if (OnRestoreApp) OnRestoreApp(this);
}

void TRzTrayIcon::ShowTrayMenu() {
  if (popupMenu_ == nullptr || !shell_) return;
  TMenuItem* chosen = nullptr;
  {
    const TPoint at = shell_->CursorPos();
    // The menu's owner must be the foreground window, or the menu does not close when the
    // user clicks elsewhere.
    if (auto* form = dynamic_cast<TForm*>(Owner())) shell_->SetFormForeground(*form);
    MarkGuard mark(menuOpen_);
    popupMenu_->PrepareAccessKeys();
    chosen = shell_->TrackPopupMenu(*popupMenu_, at.x, at.y);
    shell_->PostNullMessage();
  }
  // The chosen item's command arrives after the menu has closed.
  if (chosen != nullptr) chosen->Click();
}

void TRzTrayIcon::HandleCallback(unsigned callbackCode) {
  const TRzTrayIconClicks gesture = GestureOf(callbackCode);
  if (gesture == TRzTrayIconClicks::ticNone) return;
  if (gesture == restoreOn_) RestoreApp();
  if (gesture == popupMenuOn_) ShowTrayMenu();
}

void TRzTrayIcon::TaskbarCreated() {
  // A new taskbar has no icons; errors on this path are suppressed.
  try {
    if (enabled_ && shell_) {
      // Windows also sends this message when the icon still exists (a change of the display's
      // DPI, another program's broadcast); removing it first keeps that from reading as a
      // refusal.
      shell_->DeleteIcon();
      AddIcon();
    }
  } catch (const std::exception&) {
  }
}

bool TRzTrayIcon::QueryEndSession() {
  return true;
}

void TRzTrayIcon::EndSession(bool ending) {
  if (ending && shell_) shell_->DeleteIcon();
}

}  // namespace vcl
