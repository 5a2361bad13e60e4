#include "vcl/headless/headless_shell.h"

#include "vcl/access_keys.h"
#include "vcl/headless/headless_backend.h"

namespace vcl {

std::vector<std::wstring> HeadlessShell::Take() {
  std::vector<std::wstring> taken;
  taken.swap(calls);
  return taken;
}

HeadlessTrayShell::HeadlessTrayShell(HeadlessShell& shell, TRzTrayIcon& tray)
    : shell_(shell), tray_(tray) {
  shell_.tray = &tray_;
}

HeadlessTrayShell::~HeadlessTrayShell() {
  if (shell_.tray == &tray_) shell_.tray = nullptr;
}

bool HeadlessTrayShell::AddIcon() {
  shell_.calls.push_back(L"NIM_ADD");
  // As the shell does, an icon that exists already is refused.
  if (shell_.refuseAdd || shell_.iconPresent) return false;
  shell_.iconPresent = true;
  return true;
}

void HeadlessTrayShell::DeleteIcon() {
  shell_.calls.push_back(L"NIM_DELETE");
  shell_.iconPresent = false;
}

void HeadlessTrayShell::ShowApplicationWindow(AppShow how) {
  shell_.calls.push_back(how == AppShow::kHide ? L"ShowWindow app SW_HIDE"
                                               : L"ShowWindow app SW_RESTORE");
  shell_.applicationWindowHidden = how == AppShow::kHide;
}

void HeadlessTrayShell::SetApplicationForeground() {
  shell_.calls.push_back(L"SetForegroundWindow app");
}

void HeadlessTrayShell::SetFormForeground(TForm& form) {
  shell_.calls.push_back(L"SetForegroundWindow " + form.Name());
}

TPoint HeadlessTrayShell::CursorPos() {
  shell_.calls.push_back(L"GetCursorPos");
  return shell_.cursor;
}

TMenuItem* HeadlessTrayShell::TrackPopupMenu(TPopupMenu& menu, int x, int y) {
  shell_.calls.push_back(L"TrackPopupMenu " + std::to_wstring(x) + L"," + std::to_wstring(y) +
                         L" TPM_LEFTALIGN|TPM_RIGHTBUTTON");
  std::vector<std::wstring> captions;
  for (TMenuItem* item : menu.Items()) captions.push_back(StripAccessKeyMarker(item->Caption()));
  shell_.menus.push_back(captions);
  return shell_.whileMenuOpen ? shell_.whileMenuOpen(menu) : nullptr;
}

void HeadlessTrayShell::PostNullMessage() {
  shell_.calls.push_back(L"PostMessage WM_NULL");
}

// ---- the HeadlessBackend's part of the shell ----

std::unique_ptr<TrayShell> HeadlessBackend::CreateTrayShell(TRzTrayIcon& tray) {
  return std::make_unique<HeadlessTrayShell>(shell, tray);
}

std::vector<TMonitorInfo> HeadlessBackend::Monitors() {
  return shell.monitors;
}

void HeadlessBackend::SetFormOuterBounds(TForm& form, const TRect& r) {
  shell.calls.push_back(L"SetWindowPos " + form.Name() + L" HWND_NOTOPMOST " +
                        std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," +
                        std::to_wstring(r.width) + L"," + std::to_wstring(r.height) +
                        L" SWP_SHOWWINDOW");
  shell.formOuterBounds = r;
  shell.mainWindowHidden = false;
}

void HeadlessBackend::RestoreForm(TForm& form) {
  shell.calls.push_back(L"ShowWindow " + form.Name() + L" SW_RESTORE");
  shell.mainWindowHidden = false;
}

void HeadlessBackend::Minimize() {
  shell.calls.push_back(L"Application minimize");
  minimized = true;
  // The minimized application window hides the main window it owns.
  shell.mainWindowHidden = true;
}

void HeadlessBackend::Restore() {
  shell.calls.push_back(L"Application restore");
  minimized = false;
  shell.applicationWindowHidden = false;
  shell.mainWindowHidden = false;
}

}  // namespace vcl
